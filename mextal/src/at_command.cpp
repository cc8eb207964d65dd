#include "at_command.h"

#include <cstring>

void StoreRequestWord(AtRequest& request, size_t word, int32_t value) {
    std::memcpy(request.parameters + (word - 1) * sizeof value, &value, sizeof value);
}

int32_t RequestWord(const AtRequest& request, size_t word) {
    int32_t value;
    std::memcpy(&value, request.parameters + (word - 1) * sizeof value, sizeof value);
    return value;
}

int32_t HandsetErrorNumber(const AtResponse& response) {
    int32_t number;
    std::memcpy(&number, response.data, sizeof number);
    return number;
}

void StoreHandsetErrorNumber(AtResponse& response, int32_t number) {
    std::memcpy(response.data, &number, sizeof number);
}

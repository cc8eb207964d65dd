#include "environment.h"

#include <ravelin/win32.h>

namespace modquar {
bool ReadEnvironment(const char* name, std::string& value) {
    char buffer[64];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return false;
    value.assign(buffer, length);
    return true;
}
}  // namespace modquar

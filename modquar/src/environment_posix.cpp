#include "environment.h"

#include <cstdlib>

namespace modquar {
bool ReadEnvironment(const char* name, std::string& value) {
    const char* text = std::getenv(name);
    if (text == nullptr) return false;
    value = text;
    return true;
}
}  // namespace modquar

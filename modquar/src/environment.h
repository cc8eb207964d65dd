#pragma once
#include <string>

namespace modquar {
// Reads a variable of the process environment as it is now (the Windows
// variant sees SetEnvironmentVariable changes, not only the start-up copy).
bool ReadEnvironment(const char* name, std::string& value);
}  // namespace modquar

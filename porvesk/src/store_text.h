#pragma once
// Text formats of the Linux file store: the serial device map file and the
// profile file (see docs/connection-detection.md).
#include <cstdint>
#include <string>
#include <vector>

#include "port_order.h"

namespace porvesk {

// A value of the serial device map file as it is stored.
struct StoredValue {
    std::string name;
    uint32_t type = 0;
    std::string data;
};

// One value per line: name, TAB, type, TAB, data up to the end of the line. The
// type is a registry type name (REG_SZ, REG_DWORD, ...) or a decimal number.
// Lines without two TABs or with an unknown type are not values.
std::vector<StoredValue> ParseSerialMapText(const std::string& text);

// The value as a read with the fixed-size buffers gives it: string types gain a
// terminating zero, which the reported length counts; the buffers keep what fits.
SerialMapValue FitIntoBuffers(const StoredValue& value);

// Profile text: "[section]" lines and "entry=value" lines below them.
bool FindProfileEntry(const std::string& text, const std::string& section, const std::string& entry,
                      std::string& value);
std::string SetProfileEntry(const std::string& text, const std::string& section, const std::string& entry,
                            const std::string& value);

}  // namespace porvesk

#pragma once
// Which serial ports are probed for a handset, and in which order.
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "serlox/serlox.h"

namespace porvesk {

// Buffer sizes with which values of the serial device map are read.
constexpr size_t kValueNameBufferSize = 256;
constexpr size_t kValueDataBufferSize = 256;

// Value type numbers of the serial device map (the registry's numbering).
constexpr uint32_t kValueTypeString = 1;

// One value of the serial device map as it was read into the fixed-size buffers.
struct SerialMapValue {
    std::string name;  // device name, e.g. "\Device\Serial0"
    uint32_t type = 0;
    std::vector<char> data;       // what the data buffer holds (at most kValueDataBufferSize bytes)
    uint32_t reportedLength = 0;  // length the store reported; beyond data.size() when the value did not fit
};

using PortList = std::list<SerloxIDTag>;

// Port number of a "COMn" text of `length` bytes (the length counts a terminating
// zero when there is one), or SERLOX_NO_PORT when it is not a port 1..30.
SerloxIDTag CommNameToSerloxID(const char* data, int length);

// Port number read from the leading decimal digits of a text, or SERLOX_NO_PORT
// when it is not a port 1..30.
SerloxIDTag PortFromNumberText(const std::string& text);

// Candidate ports in probing order: ports of a phone's USB serial driver first
// (the last one enumerated foremost), then standard serial ports.
PortList OrderSerialPorts(const std::vector<SerialMapValue>& values);

// Moves the first occurrence of `port` to the front; false when it is absent.
bool MoveSerloxtoHead(PortList& ports, SerloxIDTag port);

}  // namespace porvesk

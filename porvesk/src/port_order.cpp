#include "port_order.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace porvesk {
namespace {

constexpr char kComPrefix[] = "COM";
constexpr size_t kComPrefixLength = sizeof kComPrefix - 1;
constexpr char kStandardPortPrefix[] = "\\Device\\Serial";

// Device names of the USB serial drivers that phones bring, in the order they are tested.
constexpr const char* kPhonePortPrefixes[] = {
    "\\Device\\vcommusb",  "\\Device\\ASCDC_VID", "\\Device\\USBSER",
    "\\Device\\AITSerial", "\\Device\\qkkm3cdc",  "\\Device\\qkkm20cd",
};

enum class PortKind { kStandard, kPhone, kOther };

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

PortKind ClassifyDevice(const SerialMapValue& value) {
    if ((value.type == kValueTypeString && StartsWith(value.name, kStandardPortPrefix)) ||
        StartsWith(value.name, kComPrefix)) {
        return PortKind::kStandard;
    }
    for (const char* prefix : kPhonePortPrefixes) {
        if (StartsWith(value.name, prefix)) return PortKind::kPhone;
    }
    return PortKind::kOther;
}

// Only the bytes the buffer really holds are examined, whatever length was reported.
SerloxIDTag PortOfValue(const SerialMapValue& value) {
    size_t length = std::min<size_t>(value.reportedLength, value.data.size());
    return CommNameToSerloxID(value.data.data(), static_cast<int>(length));
}

}  // namespace

SerloxIDTag PortFromNumberText(const std::string& text) {
    // strtol saturates on overflow where atoi would be undefined.
    long number = std::strtol(text.c_str(), nullptr, 10);
    if (number < SERLOX_FIRST_PORT || number > SERLOX_LAST_PORT) return SERLOX_NO_PORT;
    return static_cast<SerloxIDTag>(number);
}

SerloxIDTag CommNameToSerloxID(const char* data, int length) {
    if (data == nullptr || length <= static_cast<int>(kComPrefixLength)) return SERLOX_NO_PORT;
    std::string text(data, static_cast<size_t>(length));
    if (text.compare(0, kComPrefixLength, kComPrefix) != 0) return SERLOX_NO_PORT;
    return PortFromNumberText(text.substr(kComPrefixLength));
}

PortList OrderSerialPorts(const std::vector<SerialMapValue>& values) {
    PortList ports;
    PortList phonePorts;
    SerloxIDTag highestStandard = SERLOX_NO_PORT;
    for (const SerialMapValue& value : values) {
        PortKind kind = ClassifyDevice(value);
        if (kind == PortKind::kOther) continue;
        SerloxIDTag port = PortOfValue(value);
        if (port == SERLOX_NO_PORT) continue;
        if (kind == PortKind::kPhone) {
            phonePorts.push_back(port);
        } else if (port > highestStandard) {
            ports.push_front(port);
            highestStandard = port;
        } else {
            ports.push_back(port);
        }
    }
    for (SerloxIDTag port : phonePorts) ports.push_front(port);
    return ports;
}

bool MoveSerloxtoHead(PortList& ports, SerloxIDTag port) {
    auto found = std::find(ports.begin(), ports.end(), port);
    if (found == ports.end()) return false;
    ports.splice(ports.begin(), ports, found);
    return true;
}

}  // namespace porvesk

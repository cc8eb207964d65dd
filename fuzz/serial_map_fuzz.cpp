// Ordering of the candidate ports from the values of the serial device map, and
// moving a port to the front.
//
// Input: one value per line, "<type><device name>=<data>". Type "s" is a string
// value read with its terminating zero; "b" binary and "d" a double word, read
// without; any other character is taken as the type number itself. Names and
// data are cut to the 256-byte read buffers; a string too long for its buffer
// reports its full length, as a read that runs out of room does.
//
// Checks: phone ports come first, the last enumerated foremost; then each
// standard port that was higher than all before it, the latest first; then
// the other standard ports in enumeration order; nothing else is listed.
// Moving a port to the front keeps every other port in place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "port_order.h"

namespace {

using fuzz::StartsWith;

using porvesk::PortList;
using porvesk::SerialMapValue;

constexpr uint32_t kValueTypeBinary = 3;
constexpr uint32_t kValueTypeDword = 4;

constexpr std::string_view kPhonePrefixes[] = {
    "\\Device\\vcommusb",  "\\Device\\ASCDC_VID", "\\Device\\USBSER",
    "\\Device\\AITSerial", "\\Device\\qkkm3cdc",  "\\Device\\qkkm20cd",
};

SerialMapValue ValueOfLine(std::string_view line) {
    SerialMapValue value;
    const char typeCode = line.empty() ? 's' : line.front();
    if (!line.empty()) line.remove_prefix(1);
    const size_t equals = line.find('=');
    const std::string_view name = line.substr(0, equals);
    std::string data(equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1));
    value.name = std::string(name.substr(0, porvesk::kValueNameBufferSize - 1));
    switch (typeCode) {
        case 's':
            value.type = porvesk::kValueTypeString;
            data.push_back('\0');
            break;
        case 'b':
            value.type = kValueTypeBinary;
            break;
        case 'd':
            value.type = kValueTypeDword;
            break;
        default:
            value.type = static_cast<uint8_t>(typeCode);
            break;
    }
    value.reportedLength = static_cast<uint32_t>(data.size());
    data.resize(std::min(data.size(), porvesk::kValueDataBufferSize));
    value.data.assign(data.begin(), data.end());
    return value;
}

std::vector<SerialMapValue> ValuesOf(std::string_view input) {
    std::vector<SerialMapValue> values;
    while (!input.empty()) {
        const size_t end = input.find('\n');
        values.push_back(ValueOfLine(input.substr(0, end)));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    return values;
}

bool IsStandard(const SerialMapValue& value) {
    return (value.type == porvesk::kValueTypeString && StartsWith(value.name, "\\Device\\Serial")) ||
           StartsWith(value.name, "COM");
}

bool IsPhone(const SerialMapValue& value) {
    return std::any_of(std::begin(kPhonePrefixes), std::end(kPhonePrefixes),
                       [&](std::string_view prefix) { return StartsWith(value.name, prefix); });
}

SerloxIDTag PortOf(const SerialMapValue& value) {
    const size_t length = std::min<size_t>(value.reportedLength, value.data.size());
    return porvesk::CommNameToSerloxID(value.data.data(), static_cast<int>(length));
}

PortList ExpectedOrder(const std::vector<SerialMapValue>& values) {
    std::vector<SerloxIDTag> phones;
    std::vector<SerloxIDTag> newHighs;
    std::vector<SerloxIDTag> others;
    int highest = SERLOX_NO_PORT;
    for (const SerialMapValue& value : values) {
        const SerloxIDTag port = PortOf(value);
        if (port == SERLOX_NO_PORT) continue;
        if (IsStandard(value)) {
            if (port > highest) {
                newHighs.push_back(port);
                highest = port;
            } else {
                others.push_back(port);
            }
        } else if (IsPhone(value)) {
            phones.push_back(port);
        }
    }
    PortList expected(phones.rbegin(), phones.rend());
    expected.insert(expected.end(), newHighs.rbegin(), newHighs.rend());
    expected.insert(expected.end(), others.begin(), others.end());
    return expected;
}

void CheckMoveToHead(const PortList& ports) {
    for (int number = SERLOX_NO_PORT; number <= SERLOX_LAST_PORT + 1; ++number) {
        const auto port = static_cast<SerloxIDTag>(number);
        PortList moved = ports;
        const auto first = std::find(ports.begin(), ports.end(), port);
        const bool present = first != ports.end();
        FUZZ_CHECK(porvesk::MoveSerloxtoHead(moved, port) == present);
        if (!present) {
            FUZZ_CHECK(moved == ports);
            continue;
        }
        PortList expected = ports;
        expected.erase(std::find(expected.begin(), expected.end(), port));
        expected.push_front(port);
        FUZZ_CHECK(moved == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<SerialMapValue> values = ValuesOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const PortList ports = porvesk::OrderSerialPorts(values);
    for (SerloxIDTag port : ports) FUZZ_CHECK(port >= SERLOX_FIRST_PORT && port <= SERLOX_LAST_PORT);
    FUZZ_CHECK(ports == ExpectedOrder(values));
    CheckMoveToHead(ports);
    return 0;
}

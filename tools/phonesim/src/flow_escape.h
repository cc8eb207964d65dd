#pragma once
// Software flow-control escaping on the wire: after "AT+IFC=1" the phone sends
// XON (0x11), XOFF (0x13) and the escape byte "}" (0x7D) as two-byte pairs and
// decodes the same pairs in what it receives.
// Deliberately a copy of the serial link's: the simulator shares no code with what it tests.
#include <optional>
#include <string>
#include <string_view>

namespace phonesim {

constexpr char kEscapeByte = 0x7D;
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

std::string EscapeFlow(std::string_view bytes);

// Decodes escape pairs one byte at a time, so a pair split between two reads is
// still decoded. A "}" followed by any other byte yields that byte unchanged.
class FlowUnescaper {
public:
    // The decoded byte, or nothing while an escape pair is incomplete.
    std::optional<char> Feed(char byte);
    void Reset() { pending_ = false; }

private:
    bool pending_ = false;
};

}  // namespace phonesim

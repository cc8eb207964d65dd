#pragma once
// Software flow control reserves XON (0x11) and XOFF (0x13) on the line, so in
// that mode data bytes 0x11, 0x13 and the escape byte "}" itself travel as "}"
// followed by a code byte.
#include <cstddef>
#include <string>

namespace serlox {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr char kEscape = 0x7D;

// The bytes as they go on the wire in software flow mode.
std::string EscapeForWire(const char* bytes, size_t count);

// Undoes the escaping of received bytes. An escape byte at the end of one
// block is remembered, so a pair split across two reads is still decoded.
class Unescaper {
public:
    // Decodes in place and returns the decoded count (never more than `count`).
    size_t Decode(char* bytes, size_t count);
    void Reset() { escapePending_ = false; }
    bool EscapePending() const { return escapePending_; }

private:
    bool escapePending_ = false;
};

}  // namespace serlox

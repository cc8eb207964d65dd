#include "flow_escape.h"

namespace serlox {
namespace {

constexpr char kXonCode = '1';
constexpr char kXoffCode = '3';
constexpr char kEscapeCode = ']';

bool CodeFor(char raw, char& code) {
    switch (raw) {
        case kXon:
            code = kXonCode;
            return true;
        case kXoff:
            code = kXoffCode;
            return true;
        case kEscape:
            code = kEscapeCode;
            return true;
        default:
            return false;
    }
}

// A code byte the sending side never produces stands for itself.
char RawFor(char code) {
    switch (code) {
        case kXonCode:
            return kXon;
        case kXoffCode:
            return kXoff;
        case kEscapeCode:
            return kEscape;
        default:
            return code;
    }
}

}  // namespace

std::string EscapeForWire(const char* bytes, size_t count) {
    std::string wire;
    wire.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        char code;
        if (CodeFor(bytes[i], code)) {
            wire += kEscape;
            wire += code;
        } else {
            wire += bytes[i];
        }
    }
    return wire;
}

size_t Unescaper::Decode(char* bytes, size_t count) {
    size_t out = 0;
    for (size_t i = 0; i < count; ++i) {
        if (escapePending_) {
            bytes[out++] = RawFor(bytes[i]);
            escapePending_ = false;
        } else if (bytes[i] == kEscape) {
            escapePending_ = true;
        } else {
            bytes[out++] = bytes[i];
        }
    }
    return out;
}

}  // namespace serlox

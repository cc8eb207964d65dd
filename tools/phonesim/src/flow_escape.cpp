#include "flow_escape.h"

namespace phonesim {
namespace {

constexpr char kXonCode = '1';
constexpr char kXoffCode = '3';
constexpr char kEscapeCode = ']';

}  // namespace

std::string EscapeFlow(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        switch (c) {
            case kXon:
                out += {kEscapeByte, kXonCode};
                break;
            case kXoff:
                out += {kEscapeByte, kXoffCode};
                break;
            case kEscapeByte:
                out += {kEscapeByte, kEscapeCode};
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

std::optional<char> FlowUnescaper::Feed(char byte) {
    if (!pending_) {
        if (byte == kEscapeByte) {
            pending_ = true;
            return std::nullopt;
        }
        return byte;
    }
    pending_ = false;
    switch (byte) {
        case kXonCode:
            return kXon;
        case kXoffCode:
            return kXoff;
        case kEscapeCode:
            return kEscapeByte;
        default:
            return byte;
    }
}

}  // namespace phonesim

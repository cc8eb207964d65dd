#include "control_format.h"

#include "hex.h"

namespace phonesim {
namespace {

constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr std::string_view kHexPrefix = "hex:";
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool NeedsHex(std::string_view command) {
    for (unsigned char c : command) {
        if (c < kFirstPrintable || c > kLastPrintable) return true;
    }
    return command == kFinalOk || StartsWith(command, kFinalError) || StartsWith(command, kHexPrefix);
}

}  // namespace

std::vector<RequestLine> RequestReader::Feed(std::string_view bytes) {
    std::vector<RequestLine> lines;
    for (char c : bytes) {
        if (c != kLf) {
            if (partial_.size() < kMaxRequestLine) {
                partial_ += c;
            } else {
                overlong_ = true;
            }
            continue;
        }
        if (!partial_.empty() && partial_.back() == kCr) partial_.pop_back();
        lines.push_back({std::move(partial_), overlong_});
        partial_.clear();
        overlong_ = false;
    }
    return lines;
}

ControlRequest ParseControlRequest(std::string_view line) {
    size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return {std::string(line), std::string()};
    return {std::string(line.substr(0, blank)), std::string(line.substr(blank + 1))};
}

std::string ErrorReply(std::string_view text) {
    std::string reply(kFinalError);
    reply += ' ';
    for (char c : text) reply += (c == kLf || c == kCr) ? ' ' : c;
    return reply;
}

std::string FormatLoggedCommand(std::string_view command) {
    if (!NeedsHex(command)) return std::string(command);
    return std::string(kHexPrefix) + ToHex(command);
}

}  // namespace phonesim

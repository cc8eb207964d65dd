#include "command_framer.h"

namespace phonesim {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

}  // namespace

std::optional<CommandLine> CommandFramer::Feed(char byte) {
    if (byte == kLf) return std::nullopt;
    if (byte != kCr) {
        if (line_.size() < kMaxCommandLine) {
            line_ += byte;
        } else {
            overlong_ = true;
        }
        return std::nullopt;
    }
    if (line_.empty()) return std::nullopt;
    CommandLine done{std::move(line_), overlong_};
    Reset();
    return done;
}

void CommandFramer::Reset() {
    line_.clear();
    overlong_ = false;
}

}  // namespace phonesim

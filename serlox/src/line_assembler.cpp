#include "line_assembler.h"

namespace serlox {
namespace {

bool IsCrLf(const char* pair) { return pair[0] == '\r' && pair[1] == '\n'; }

}  // namespace

bool LineAssembler::LineComplete() const {
    // A three-byte line is one character and its CR LF.
    if (fill_ == 3) return IsCrLf(buffer_ + 1);
    // Longer: ends in CR LF that does not merely follow an empty line.
    return fill_ >= 4 && IsCrLf(buffer_ + fill_ - 2) && !IsCrLf(buffer_ + fill_ - 4);
}

void LineAssembler::Feed(const char* bytes, size_t count, std::vector<std::string>& chunks) {
    for (size_t i = 0; i < count; ++i) {
        buffer_[fill_++] = bytes[i];
        if (LineComplete() || fill_ == kCapacity) {
            chunks.emplace_back(buffer_, fill_);
            fill_ = 0;
        }
    }
}

}  // namespace serlox

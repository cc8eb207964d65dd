#include "output_scheduler.h"

#include <algorithm>

namespace phonesim {
namespace {

constexpr long kBitsPerByte = 10;
constexpr auto kOneSecond = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1));

}  // namespace

void OutputScheduler::Push(std::string bytes, TimePoint due) {
    if (bytes.empty()) return;
    queue_.push_back({std::move(bytes), due, false});
}

void OutputScheduler::PushHangup(TimePoint due) { queue_.push_back({std::string(), due, true}); }

std::string_view OutputScheduler::Ready(TimePoint now) const {
    if (queue_.empty()) return {};
    const Item& head = queue_.front();
    if (head.hangup || now < head.due) return {};
    if (Throttled() && now < lineFreeAt_) return {};
    std::string_view rest = std::string_view(head.bytes).substr(headSent_);
    return rest.substr(0, WriteSize());
}

void OutputScheduler::Consumed(size_t count, TimePoint now) {
    if (count == 0 || queue_.empty()) return;
    if (timing_.split) {
        lineFreeAt_ = now + std::max<Clock::duration>(kSplitPause, LineTime(count));
    } else if (timing_.paceBaud > 0) {
        lineFreeAt_ = std::max(lineFreeAt_, now) + LineTime(count);
    }
    headSent_ += count;
    if (headSent_ >= queue_.front().bytes.size()) {
        queue_.pop_front();
        headSent_ = 0;
    }
}

bool OutputScheduler::HangupReady(TimePoint now) const {
    return !queue_.empty() && queue_.front().hangup && now >= queue_.front().due;
}

std::optional<TimePoint> OutputScheduler::NextEvent() const {
    if (queue_.empty()) return std::nullopt;
    const Item& head = queue_.front();
    if (!head.hangup && Throttled()) return std::max(head.due, lineFreeAt_);
    return head.due;
}

void OutputScheduler::Clear() {
    queue_.clear();
    headSent_ = 0;
}

size_t OutputScheduler::WriteSize() const {
    if (timing_.split) return 1;
    if (timing_.paceBaud > 0) {
        long perSlice =
            timing_.paceBaud * std::chrono::duration_cast<Clock::duration>(kPaceSlice) / (kBitsPerByte * kOneSecond);
        return static_cast<size_t>(std::max(1L, perSlice));
    }
    return std::string::npos;
}

Clock::duration OutputScheduler::LineTime(size_t bytes) const {
    if (timing_.paceBaud <= 0) return Clock::duration::zero();
    return kOneSecond * static_cast<long>(bytes) * kBitsPerByte / timing_.paceBaud;
}

}  // namespace phonesim

#pragma once
// Decides when the phone's output bytes go on the wire: answers wait for their
// delay, --split sends one byte per write with a pause, --pace throttles to a
// line rate of 10 bits per byte. Output leaves strictly in the order it was
// queued. Time is passed in, so the schedule is tested without a clock.
#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace phonesim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// Pause after each single-byte write of --split.
constexpr std::chrono::milliseconds kSplitPause{2};
// With --pace, bytes go out in writes of about this much line time.
constexpr std::chrono::milliseconds kPaceSlice{10};

struct LineTiming {
    bool split = false;
    long paceBaud = 0;  // 0: no throttle
};

class OutputScheduler {
public:
    explicit OutputScheduler(LineTiming timing = {}) : timing_(timing) {}

    // Queues bytes that may go out from `due` on; empty bytes are dropped.
    void Push(std::string bytes, TimePoint due);
    // Queues a hang-up that happens once everything queued before it is out.
    void PushHangup(TimePoint due);

    // The bytes of one write that may go out at `now`; empty when none may.
    std::string_view Ready(TimePoint now) const;
    // Records that the first `count` bytes of Ready() were written at `now`.
    void Consumed(size_t count, TimePoint now);
    // True when the queued hang-up is due (all output before it is out).
    bool HangupReady(TimePoint now) const;
    // When Ready() or HangupReady() may next change; nothing when the queue is empty.
    std::optional<TimePoint> NextEvent() const;

    bool Empty() const { return queue_.empty(); }
    void Clear();

private:
    struct Item {
        std::string bytes;
        TimePoint due;
        bool hangup = false;
    };

    bool Throttled() const { return timing_.split || timing_.paceBaud > 0; }
    size_t WriteSize() const;
    Clock::duration LineTime(size_t bytes) const;

    LineTiming timing_;
    std::deque<Item> queue_;
    size_t headSent_ = 0;  // bytes of the head item already written
    TimePoint lineFreeAt_{};
};

}  // namespace phonesim

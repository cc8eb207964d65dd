#pragma once
// Line chunks received from the port, oldest first. The reader thread appends;
// callers take them, waiting up to a deadline.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

namespace serlox {

class ReceiveQueue {
public:
    using Clock = std::chrono::steady_clock;

    void Push(std::string chunk);
    // Takes the oldest chunk. Looks at least once, also when the deadline has
    // passed already; false when no chunk came before the deadline.
    bool TakeUntil(Clock::time_point deadline, std::string& chunk);
    void Clear();

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<std::string> chunks_;
};

}  // namespace serlox

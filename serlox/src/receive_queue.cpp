#include "receive_queue.h"

#include <utility>

namespace serlox {

void ReceiveQueue::Push(std::string chunk) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        chunks_.push_back(std::move(chunk));
    }
    arrived_.notify_all();
}

bool ReceiveQueue::TakeUntil(Clock::time_point deadline, std::string& chunk) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!arrived_.wait_until(guard, deadline, [this] { return !chunks_.empty(); })) return false;
    chunk = std::move(chunks_.front());
    chunks_.pop_front();
    return true;
}

void ReceiveQueue::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    chunks_.clear();
}

}  // namespace serlox

#include "detector_signals.h"

#include <chrono>

namespace porvesk {

Wake DetectorSignals::WaitFor(int timeoutMs, bool* request, bool consume) {
    std::unique_lock<std::mutex> hold(lock_);
    bool woken = changed_.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                                   [&] { return stop_ || (request != nullptr && *request); });
    if (stop_) return Wake::kStopped;
    if (!woken) return Wake::kTimedOut;
    if (consume) *request = false;
    return Wake::kSignalled;
}

void DetectorSignals::RequestRescan() {
    std::lock_guard<std::mutex> hold(lock_);
    rescan_ = true;
    changed_.notify_all();
}

void DetectorSignals::ResetRescan() {
    std::lock_guard<std::mutex> hold(lock_);
    rescan_ = false;
}

Wake DetectorSignals::WaitForRescan(int timeoutMs) { return WaitFor(timeoutMs, &rescan_, false); }

void DetectorSignals::RequestCheck() {
    std::lock_guard<std::mutex> hold(lock_);
    check_ = true;
    changed_.notify_all();
}

Wake DetectorSignals::WaitForCheck(int timeoutMs) { return WaitFor(timeoutMs, &check_, true); }

bool DetectorSignals::Sleep(int timeoutMs) { return WaitFor(timeoutMs, nullptr, false) != Wake::kStopped; }

void DetectorSignals::Stop() {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
    changed_.notify_all();
}

bool DetectorSignals::Stopped() {
    std::lock_guard<std::mutex> hold(lock_);
    return stop_;
}

}  // namespace porvesk

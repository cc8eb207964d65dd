#pragma once
// The detector thread's wake-up reasons: the rescan request (stays set until
// reset), the connection check request (cleared by the wait that sees it) and the
// stop request (final).
#include <condition_variable>
#include <mutex>

namespace porvesk {

enum class Wake { kSignalled, kTimedOut, kStopped };

class DetectorSignals {
public:
    void RequestRescan();
    void ResetRescan();
    // Returns at once while a rescan is requested; does not clear the request.
    Wake WaitForRescan(int timeoutMs);

    void RequestCheck();
    // Clears the check request it returns for.
    Wake WaitForCheck(int timeoutMs);

    // False when the sleep was cut short by a stop request.
    bool Sleep(int timeoutMs);

    void Stop();
    bool Stopped();

private:
    // Waits for `request` (none: only for a stop) and clears it when `consume` is set.
    Wake WaitFor(int timeoutMs, bool* request, bool consume);

    std::mutex lock_;
    std::condition_variable changed_;
    bool rescan_ = false;
    bool check_ = false;
    bool stop_ = false;
};

}  // namespace porvesk

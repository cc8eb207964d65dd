#pragma once
// Helpers shared by the fault tests: timing, and shortening the handset library's
// waits through its own settings. Counting what a process holds and waiting for a
// condition come from the shared test support (process_resources.h).
#include <chrono>

#include "process_resources.h"

namespace ravelin::faults {

// Milliseconds since construction.
class Stopwatch {
public:
    long long ElapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The handset library's retry count and waits for the lifetime of the object;
// the shipped values come back at the end.
class HandsetWaits {
public:
    HandsetWaits(int retries, int handshakeMs, int responseMs);
    ~HandsetWaits();
    HandsetWaits(const HandsetWaits&) = delete;
    HandsetWaits& operator=(const HandsetWaits&) = delete;
};

}  // namespace ravelin::faults

#pragma once
// What a test process holds (open handles and threads), for checking that an
// operation leaves nothing behind, and waiting for a condition.
#include <chrono>
#include <map>
#include <string>
#include <thread>

namespace ravelin::test {

// Open handles and threads of this process: natively every file descriptor; on
// Windows every handle but events and semaphores (see process_resources.cpp).
struct ProcessResources {
    long handles = 0;
    long threads = 0;
    // Handles by what they are, for telling what was left behind.
    std::map<std::string, long> handleKinds;
};

ProcessResources CountProcessResources();
std::string Describe(const ProcessResources& resources);

// True when `now` holds nothing more than `before`. The system may end threads
// of its own meanwhile (Wine does), so fewer is no fault.
inline bool HoldsNoMoreThan(const ProcessResources& now, const ProcessResources& before) {
    return now.handles <= before.handles && now.threads <= before.threads;
}

// Polls `condition` every 10 ms until it holds or `bound` has passed; a last look
// at the bound decides.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace ravelin::test

#include "ravelin/trace.h"

#include <atomic>
#include <mutex>

#include "trace_platform.h"
#include "ravelin/trace_testing.h"

namespace ravelin::trace {

namespace {

enum Decision : int { kUndecided, kOff, kOn };

std::atomic<int> decision{kUndecided};
std::mutex deciding;

// On when a trace file is configured and can be opened for appending.
void Decide() {
    std::lock_guard<std::mutex> hold(deciding);
    if (decision.load() != kUndecided) return;
    platform::PreservedError keep;
    bool on = false;
    try {
        on = platform::LoadConfiguredPath() && platform::Append({});
    } catch (...) {
        // Out of memory while reading the configuration: the trace stays off.
    }
    decision.store(on ? kOn : kOff);
}

}  // namespace

bool On() {
    if (decision.load(std::memory_order_acquire) == kUndecided) Decide();
    return decision.load(std::memory_order_acquire) == kOn;
}

void Write(std::string_view component, std::string_view text) {
    if (!On()) return;
    platform::PreservedError keep;
    try {
        if (!platform::Append(FormatLine(platform::Now(), component, text))) decision.store(kOff);
    } catch (...) {
        // Out of memory while composing the line: the line is dropped.
    }
}

std::string LastSystemError() {
    const uint32_t code = platform::LastErrorCode();
    platform::PreservedError keep;
    return "error " + std::to_string(code) + ": " + platform::ErrorText(code);
}

std::string Excerpt(std::string_view bytes, size_t limit) {
    if (bytes.size() <= limit) return std::string(bytes);
    return std::string(bytes.substr(0, limit)) + "... (" + std::to_string(bytes.size()) + " bytes)";
}

void ForgetDecisionForTesting() {
    std::lock_guard<std::mutex> hold(deciding);
    decision.store(kUndecided);
}

}  // namespace ravelin::trace

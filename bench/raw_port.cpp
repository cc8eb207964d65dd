#include "raw_port.h"

#include <chrono>

namespace bench {
namespace {

constexpr size_t kReadBlock = 64 * 1024;
constexpr char kFinalOk[] = "\r\nOK\r\n";

}  // namespace

bool RawPort::ReadUntil(const std::string& ending, size_t atLeast, std::string& received, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char block[kReadBlock];
    while (received.size() <= atLeast || received.size() < ending.size() ||
           received.compare(received.size() - ending.size(), ending.size(), ending) != 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        const long got = ReadSome(block, sizeof block, static_cast<int>(left));
        if (got < 0) return false;
        received.append(block, static_cast<size_t>(got));
    }
    return true;
}

bool RawPort::Exchange(const std::string& command, int timeoutMs) {
    std::string received;
    return Write(command + "\r") && ReadUntil(kFinalOk, 0, received, timeoutMs);
}

}  // namespace bench

// Checks the port tests share, whatever plays the phone on the far end of the
// line: a pseudo-terminal natively or the handset simulator in raw mode.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <random>
#include <string>
#include <thread>

#include "serlox/serlox.h"

namespace serlox::test {

constexpr uint32_t kLongWaitMs = 10000;
// How long a Write may take to give up once Close stops it: far below the 5 s
// that one piece may take, so a write that ignores the stop signal is caught.
constexpr std::chrono::milliseconds kStopBound{2000};

// Sets or (with null) removes a variable of this process's environment.
inline void SetVariable(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

// Takes one chunk and returns it, or "<code>" when ReadChunk did not succeed.
inline std::string TakeChunk(CSerloxObj& port, uint32_t timeoutMs = kLongWaitMs) {
    char buffer[4096];
    uint32_t length = 0;
    const LinkResult result = port.ReadChunk(buffer, sizeof buffer, &length, timeoutMs, 0, 0);
    if (result != LINK_OK) return "<" + std::to_string(result) + ">";
    return std::string(buffer, length);
}

inline bool WaitUntilClosed(CSerloxObj& port) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (port.IsOpen() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    return port.IsOpen() == 0;
}

// Printable lines of 1 to maxLength characters, at least `total` bytes in all.
inline std::string RandomLines(size_t total, size_t maxLength, std::mt19937& random) {
    std::string lines;
    while (lines.size() < total) {
        const size_t length = 1 + random() % maxLength;
        for (size_t i = 0; i < length; ++i) lines += static_cast<char>(' ' + random() % 95);
        lines += "\r\n";
    }
    return lines;
}

// Hands the same three lines to `sendSplit(head, tail)` cut at every position
// and expects the port to give back exactly those lines each time.
template <typename SendSplit>
void ExpectLinesWhateverTheSplit(CSerloxObj& port, SendSplit sendSplit) {
    const std::string wire = "AT\r\r\nOK\r\n\r\nX\r\n";
    for (size_t split = 0; split <= wire.size(); ++split) {
        sendSplit(wire.substr(0, split), wire.substr(split));
        EXPECT_EQ(TakeChunk(port), "AT\r\r\n") << "split at " << split;
        EXPECT_EQ(TakeChunk(port), "OK\r\n");
        EXPECT_EQ(TakeChunk(port), "\r\nX\r\n");
    }
}

// The far end has sent "0123456789ABCDEFGH\r\nNEXT\r\n": a ten-byte buffer gets
// the head of the first line, the rest of it is dropped.
inline void ExpectTruncatedChunkThenNextLine(CSerloxObj& port) {
    char buffer[10];
    uint32_t length = 0;
    ASSERT_EQ(port.ReadChunk(buffer, sizeof buffer, &length, kLongWaitMs, 0, 0), LINK_TRUNCATED);
    EXPECT_EQ(length, 10u);
    EXPECT_EQ(std::string(buffer, length), "0123456789");
    EXPECT_EQ(TakeChunk(port), "NEXT\r\n");
}

inline void ExpectTimeOutsGiveLengthZero(CSerloxObj& port) {
    for (uint32_t timeoutMs : {0u, 30u}) {
        char buffer[16];
        uint32_t length = 77;
        EXPECT_EQ(port.ReadChunk(buffer, sizeof buffer, &length, timeoutMs, 0, 0), LINK_TIMEOUT);
        EXPECT_EQ(length, 0u);
    }
}

// Reading, writing and configuring all answer that the port is not open.
inline void ExpectTransfersRefusedAsNotOpen(CSerloxObj& port, PortSettings settings) {
    EXPECT_EQ(port.Configure(settings, 1), LINK_NOT_OPEN);
    char buffer[8];
    uint32_t length = 0;
    EXPECT_EQ(port.ReadChunk(buffer, sizeof buffer, &length, 0, 0, 0), LINK_NOT_OPEN);
    EXPECT_EQ(port.Write("AT\r", 3, 0, 0), LINK_NOT_OPEN);
}

// Close must come back promptly with OK and leave the port closed.
inline void ExpectPromptClose(CSerloxObj& port) {
    using namespace std::chrono_literals;
    auto closed = std::async(std::launch::async, [&port] { return port.Close(); });
    ASSERT_EQ(closed.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(closed.get(), LINK_OK);
    EXPECT_EQ(port.IsOpen(), 0);
}

// The far end takes nothing: a large Write blocks until Close stops it, and
// then both end promptly, the write failed.
inline void ExpectCloseEndsBlockedWrite(CSerloxObj& port) {
    using namespace std::chrono_literals;
    const std::string big(1 << 20, 'w');
    auto written =
        std::async(std::launch::async, [&] { return port.Write(big.data(), static_cast<uint32_t>(big.size()), 0, 0); });
    ASSERT_EQ(written.wait_for(200ms), std::future_status::timeout) << "the write did not block";
    auto closed = std::async(std::launch::async, [&port] { return port.Close(); });
    ASSERT_EQ(closed.wait_for(kStopBound), std::future_status::ready) << "Close waited for the blocked write";
    ASSERT_EQ(written.wait_for(kStopBound), std::future_status::ready);
    EXPECT_EQ(written.get(), LINK_WRITE_FAILED);
    EXPECT_EQ(port.IsOpen(), 0);
}

}  // namespace serlox::test

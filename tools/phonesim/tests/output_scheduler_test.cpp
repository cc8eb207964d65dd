#include "output_scheduler.h"

#include <gtest/gtest.h>

namespace phonesim {
namespace {

using std::chrono::milliseconds;

const TimePoint kStart = TimePoint() + std::chrono::hours(1);

// Writes everything the schedule allows, advancing a virtual clock to each next
// event; returns the bytes and the time the last one went out.
struct Drained {
    std::string bytes;
    TimePoint end;
    int writes = 0;
    size_t lastWrite = 0;
};

Drained Drain(OutputScheduler& output, TimePoint now) {
    Drained result{"", now, 0};
    while (std::optional<TimePoint> next = output.NextEvent()) {
        now = std::max(now, *next);
        std::string_view ready = output.Ready(now);
        if (ready.empty()) break;
        result.bytes += ready;
        result.end = now;
        ++result.writes;
        result.lastWrite = ready.size();
        output.Consumed(ready.size(), now);
    }
    return result;
}

TEST(PhonesimOutput, ImmediateBytesGoOutInOneWrite) {
    OutputScheduler output;
    output.Push("AT\r\r\nOK\r\n", kStart);
    EXPECT_EQ(output.Ready(kStart), "AT\r\r\nOK\r\n");
    output.Consumed(9, kStart);
    EXPECT_TRUE(output.Empty());
    EXPECT_FALSE(output.NextEvent());
}

TEST(PhonesimOutput, PartialWrite_ResumesWithTheRest) {
    OutputScheduler output;
    output.Push("abcdef", kStart);
    output.Consumed(2, kStart);
    EXPECT_EQ(output.Ready(kStart), "cdef");
}

TEST(PhonesimOutput, DelayedAnswer_WaitsAndHoldsBackLaterOutput) {
    OutputScheduler output;
    output.Push("echo1", kStart);
    output.Push("answer1", kStart + milliseconds(200));
    output.Push("echo2", kStart + milliseconds(10));
    output.Consumed(output.Ready(kStart).size(), kStart);

    EXPECT_EQ(output.Ready(kStart + milliseconds(199)), "");
    EXPECT_EQ(output.NextEvent(), kStart + milliseconds(200));
    EXPECT_EQ(output.Ready(kStart + milliseconds(200)), "answer1");
    output.Consumed(7, kStart + milliseconds(200));
    EXPECT_EQ(output.Ready(kStart + milliseconds(200)), "echo2") << "order is kept";
}

TEST(PhonesimOutput, EmptyBytesAreNotQueued) {
    OutputScheduler output;
    output.Push("", kStart);
    EXPECT_TRUE(output.Empty());
}

TEST(PhonesimOutput, Split_OneBytePerWriteWithAPause) {
    OutputScheduler output(LineTiming{true, 0});
    output.Push("OK\r\n", kStart);
    EXPECT_EQ(output.Ready(kStart), "O");
    output.Consumed(1, kStart);
    EXPECT_EQ(output.Ready(kStart + kSplitPause - milliseconds(1)), "");
    EXPECT_EQ(output.NextEvent(), kStart + kSplitPause);

    Drained rest = Drain(output, kStart + kSplitPause);
    EXPECT_EQ(rest.bytes, "K\r\n");
    EXPECT_EQ(rest.writes, 3);
}

struct PaceCase {
    long baud;
    size_t bytes;
};

TEST(PhonesimOutput, Pace_TakesTenBitsPerByteOfLineTime) {
    const PaceCase cases[] = {{1200, 60}, {9600, 960}, {115200, 11520}, {300, 3}};
    for (const PaceCase& c : cases) {
        OutputScheduler output(LineTiming{false, c.baud});
        output.Push(std::string(c.bytes, 'x'), kStart);
        Drained drained = Drain(output, kStart);
        EXPECT_EQ(drained.bytes.size(), c.bytes) << c.baud;
        auto lineTime = [&](size_t bytes) {
            return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) * static_cast<long>(bytes) *
                   10 / c.baud;
        };
        // The last write starts when all bytes before it have had their line time.
        EXPECT_GE(drained.end - kStart, lineTime(c.bytes - drained.lastWrite) - std::chrono::microseconds(1)) << c.baud;
        EXPECT_LT(drained.end - kStart, lineTime(c.bytes)) << c.baud;
        EXPECT_GT(drained.writes, 1) << c.baud;
    }
}

TEST(PhonesimOutput, Hangup_WaitsForTheOutputBeforeIt) {
    OutputScheduler output;
    output.Push("OK", kStart);
    output.PushHangup(kStart);
    EXPECT_FALSE(output.HangupReady(kStart));
    output.Consumed(2, kStart);
    EXPECT_TRUE(output.HangupReady(kStart));
}

TEST(PhonesimOutput, Hangup_WaitsForItsDelay) {
    OutputScheduler output;
    output.PushHangup(kStart + milliseconds(50));
    EXPECT_FALSE(output.HangupReady(kStart));
    EXPECT_EQ(output.NextEvent(), kStart + milliseconds(50));
    EXPECT_TRUE(output.HangupReady(kStart + milliseconds(50)));
    EXPECT_EQ(output.Ready(kStart + milliseconds(50)), "");
}

TEST(PhonesimOutput, Clear_DropsEverything) {
    OutputScheduler output;
    output.Push("abc", kStart);
    output.Consumed(1, kStart);
    output.PushHangup(kStart);
    output.Clear();
    EXPECT_TRUE(output.Empty());
    output.Push("xyz", kStart);
    EXPECT_EQ(output.Ready(kStart), "xyz");
}

}  // namespace
}  // namespace phonesim

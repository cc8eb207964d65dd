#include "comm_event_turns.h"

#include <gtest/gtest.h>

#include <chrono>

namespace serlox {
namespace {

using Outcome = CommEventTurns::Outcome;
using Next = CommEventTurns::Next;
using std::chrono::milliseconds;

constexpr int kLimit = CommEventTurns::kImmediateAbortLimit;
constexpr int kAtOnceBound = static_cast<int>(CommEventTurns::kImmediateAbort.count());

// After `abortsBefore` immediate aborts, one turn gives `next`. A turn that lets
// the wait go on also ends any run of immediate aborts.
TEST(CommEventTurns, DecidesEachTurn) {
    const struct {
        const char* name;
        int abortsBefore;
        Outcome outcome;
        int waitedMs;
        bool stopRaised;
        Next next;
    } rows[] = {
        {"stop event woke the wait", 0, Outcome::Stopped, 500, false, Next::Stop},
        {"stop raised as an event came", 0, Outcome::Event, 0, true, Next::Stop},
        {"failed wait", 0, Outcome::Failed, 0, false, Next::DeviceGone},
        {"last of a run, just under the bound", kLimit - 1, Outcome::Aborted, kAtOnceBound - 1, false,
         Next::DeviceGone},
        {"an event ends the run", kLimit - 1, Outcome::Event, 0, false, Next::WaitAgain},
        {"an abort after a real wait ends the run", kLimit - 1, Outcome::Aborted, kAtOnceBound, false, Next::WaitAgain},
    };
    for (const auto& row : rows) {
        CommEventTurns turns;
        for (int i = 0; i < row.abortsBefore; ++i) {
            ASSERT_EQ(turns.After(Outcome::Aborted, milliseconds(0), false), Next::WaitAgain) << row.name;
        }
        EXPECT_EQ(turns.After(row.outcome, milliseconds(row.waitedMs), row.stopRaised), row.next) << row.name;
        for (int i = 0; row.next == Next::WaitAgain && i < kLimit - 1; ++i) {
            ASSERT_EQ(turns.After(Outcome::Aborted, milliseconds(0), false), Next::WaitAgain) << row.name;
        }
    }
}

}  // namespace
}  // namespace serlox

#include "comm_event_turns.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace serlox {
namespace {

using Outcome = CommEventTurns::Outcome;
using Next = CommEventTurns::Next;

constexpr int kLimit = CommEventTurns::kImmediateAbortLimit;
constexpr int kQuick = 0;
constexpr int kAtOnceBound = static_cast<int>(CommEventTurns::kImmediateAbort.count());

// `times` turns alike in a row.
struct Turns {
    Outcome outcome;
    int waitedMs;
    bool stopRaised;
    int times;
};

// Every turn but the last must let the wait go on; the last must give `last`.
struct Row {
    const char* name;
    std::vector<Turns> turns;
    Next last;
};

TEST(CommEventTurns, DecidesEachTurn) {
    const Row rows[] = {
        {"event", {{Outcome::Event, kQuick, false, 1}}, Next::WaitAgain},
        {"failed wait", {{Outcome::Failed, kQuick, false, 1}}, Next::DeviceGone},
        {"stop event woke the wait", {{Outcome::Stopped, 500, false, 1}}, Next::Stop},
        {"stop raised as an event came", {{Outcome::Event, kQuick, true, 1}}, Next::Stop},
        {"stop raised as the wait failed", {{Outcome::Failed, kQuick, true, 1}}, Next::Stop},
        {"one immediate abort", {{Outcome::Aborted, kQuick, false, 1}}, Next::WaitAgain},
        {"immediate aborts just short of the limit", {{Outcome::Aborted, kQuick, false, kLimit - 1}},
         Next::WaitAgain},
        {"a run of immediate aborts", {{Outcome::Aborted, kQuick, false, kLimit}}, Next::DeviceGone},
        {"aborts just under the bound are immediate",
         {{Outcome::Aborted, kAtOnceBound - 1, false, kLimit}}, Next::DeviceGone},
        {"stop raised during a run of aborts",
         {{Outcome::Aborted, kQuick, false, kLimit - 1}, {Outcome::Aborted, kQuick, true, 1}}, Next::Stop},
        {"an event ends the run",
         {{Outcome::Aborted, kQuick, false, kLimit - 1},
          {Outcome::Event, kQuick, false, 1},
          {Outcome::Aborted, kQuick, false, kLimit - 1}},
         Next::WaitAgain},
        {"an abort after a real wait ends the run",
         {{Outcome::Aborted, kQuick, false, kLimit - 1},
          {Outcome::Aborted, kAtOnceBound, false, 1},
          {Outcome::Aborted, kQuick, false, kLimit - 1}},
         Next::WaitAgain},
        {"aborts after real waits never add up", {{Outcome::Aborted, 1000, false, 10 * kLimit}}, Next::WaitAgain},
    };
    for (const Row& row : rows) {
        CommEventTurns turns;
        std::vector<Next> decisions;
        for (const Turns& alike : row.turns) {
            for (int i = 0; i < alike.times; ++i) {
                decisions.push_back(
                    turns.After(alike.outcome, std::chrono::milliseconds(alike.waitedMs), alike.stopRaised));
            }
        }
        for (size_t i = 0; i + 1 < decisions.size(); ++i) {
            ASSERT_EQ(decisions[i], Next::WaitAgain) << row.name << ", turn " << i;
        }
        EXPECT_EQ(decisions.back(), row.last) << row.name;
    }
}

}  // namespace
}  // namespace serlox

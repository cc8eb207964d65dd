#pragma once
// What the reader's comm-event wait does after each turn. Some drivers end a
// wait with "operation aborted" now and then (for instance when the modem lines
// are polled); that is a spurious wake-up and the wait starts again. A driver
// that aborts every wait at once, though, would keep the reader spinning on a
// core and Close waiting for ever, so a run of immediate aborts counts as a
// failed wait, which closes the port as a lost device does.
#include <chrono>

namespace serlox {

class CommEventTurns {
public:
    // An abort this soon after the wait began did not wait at all.
    static constexpr std::chrono::milliseconds kImmediateAbort{10};
    // Immediate aborts in a row, with no event between them, that make a failed wait.
    static constexpr int kImmediateAbortLimit = 32;

    enum class Outcome { Event, Aborted, Stopped, Failed };
    enum class Next { WaitAgain, Stop, DeviceGone };

    // `waited` is how long the turn's wait lasted; `stopRaised` is the stop
    // signal as seen after the turn, which ends the wait whatever the outcome.
    Next After(Outcome outcome, std::chrono::milliseconds waited, bool stopRaised);

private:
    int immediateAborts_ = 0;
};

}  // namespace serlox

#include "comm_event_turns.h"

namespace serlox {

CommEventTurns::Next CommEventTurns::After(Outcome outcome, std::chrono::milliseconds waited, bool stopRaised) {
    if (stopRaised || outcome == Outcome::Stopped) return Next::Stop;
    if (outcome == Outcome::Failed) return Next::DeviceGone;
    if (outcome == Outcome::Event || waited >= kImmediateAbort) {
        immediateAborts_ = 0;
        return Next::WaitAgain;
    }
    return ++immediateAborts_ < kImmediateAbortLimit ? Next::WaitAgain : Next::DeviceGone;
}

}  // namespace serlox

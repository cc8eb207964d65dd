#pragma once
// What a detector is built on: its collaborators and its waiting times. The
// library always uses SystemDetectorSetup(); tests build their own and pass it to
// the CConDetect constructor that is not exported.
#include <memory>

#include "handset_link.h"
#include "platform.h"

namespace porvesk {

struct DetectorTimings {
    int rescanWaitMs = 2000;         // wait for a rescan request at the start of each scan pass
    int settleMs = 4000;             // settle time after a rescan request
    int betweenPortsWaitMs = 2000;   // wait for a rescan request after each port without a handset
    int answerTimeoutMs = 2000;      // handset answer time-out of a probe
    int aliveWaitMs = 2000;          // time between two connection checks
    int handsetMutexWaitMs = 1000;   // longest wait for the handset lock before a check
    int simQueryMutexWaitMs = 3000;  // longest wait for the handset lock before reading the SIM
};

struct DetectorSetup {
    DetectorTimings timings;
    std::shared_ptr<HandsetLink> link;
    std::shared_ptr<DetectorPlatform> platform;
};

// The shipped timings with the system's serial link, handset library and services.
DetectorSetup SystemDetectorSetup();

}  // namespace porvesk

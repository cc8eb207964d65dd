#pragma once
// Everything a CConDetect holds.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "detector_setup.h"
#include "detector_signals.h"
#include "port_order.h"

namespace porvesk {

struct DetectorState {
    explicit DetectorState(const DetectorSetup& setup)
        : timings(setup.timings), link(setup.link), platform(setup.platform) {}

    const DetectorTimings timings;
    const std::shared_ptr<HandsetLink> link;
    const std::shared_ptr<DetectorPlatform> platform;

    // Candidate ports, guarded by the list lock.
    std::mutex listLock;
    PortList ports;
    std::unique_ptr<SerialMap> serialMap;

    // Guards starting and stopping the thread.
    std::mutex startLock;
    bool started = false;
    std::thread thread;
    DetectorSignals signals;

    std::unique_ptr<NamedMutex> handsetMutex;

    std::atomic<SerloxIDTag> currentPort{SERLOX_NO_PORT};
    std::atomic<bool> connected{false};
    // Model and IMEI are copied in and out under the text lock so that a reader
    // never sees a text half written.
    std::mutex textLock;
    std::string model;
    std::string imei;

    std::atomic<ConDetectWindow> window{nullptr};
};

}  // namespace porvesk

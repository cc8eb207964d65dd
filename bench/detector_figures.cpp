// Figures of the connection detector with its shipped waits: how soon a phone is
// found, what watching it costs, and how soon a phone that appears is found.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>

#include "detector_setup.h"
#include "figures.h"
#include "process_meter.h"
#include "porvesk/porvesk.h"
#include "raw_port.h"
#include "serial_map.h"
#include "support/simulated_phone.h"

namespace bench {
namespace {

using ravelin::test::SimulatedPhone;

constexpr double kPollMs = 1;
constexpr double kFindBoundMs = 60000;
constexpr double kSlackMs = 300;
// Connected to watching: the first check of the phone comes after this.
constexpr int kSettleAfterConnectMs = 1000;
// The phone appears this long after a probe of its port failed: the longest
// wait a scan pass can make it wait, bar this much.
constexpr double kAppearAfterProbeMs = 100;
// Length of the reference run of a bare port waiting for input.
constexpr int kBareWaitSeconds = 10;
#if defined(_WIN32)
constexpr double kIdleTarget = 0.005;
#else
constexpr double kIdleTarget = 0.001;
#endif
// Finding the phone: opening its port and the probe's own settings purge, and
// so do setting its flow control and that operation's handshake; four command
// lines probe, three set the flow control.
constexpr int kFindPurges = 4;
constexpr int kFindWrites = 7;

// Polls until `condition` holds; the time it took, in ms.
template <typename Condition>
double MsUntil(Condition condition) {
    const double start = NowMs();
    while (!condition()) {
        if (NowMs() - start > kFindBoundMs) throw std::runtime_error("the detector did not get there in time");
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(kPollMs));
    }
    return NowMs() - start;
}

std::string Ms(double value) { return Format(value, 1) + " ms"; }

Figure DetectionFigure(const std::string& name, double measured, double floor, const std::string& basis) {
    Figure figure;
    figure.name = name;
    figure.measured = Ms(measured);
    figure.reference = Ms(floor) + " (" + basis + ")";
    figure.ratio = measured / floor;
    figure.ratioMeaning = "measured / floor";
    figure.target = "<= floor + " + Format(kSlackMs, 0) + " ms (" + Format((floor + kSlackMs) / floor, 3) + ")";
    figure.met = measured <= floor + kSlackMs;
    return figure;
}

// CPU share of one core that a bare port costs while a thread of its own waits
// for input that does not come: what the system charges for a waiting reader.
double BareWaitShare(SimulatedPhone& phone, int seconds) {
    std::unique_ptr<RawPort> raw = RawPort::Open(phone.ComPort());
    if (raw == nullptr) throw std::runtime_error("the bare port cannot be opened");
    const double cpuBefore = OtherThreadsCpuMs();
    const double start = NowMs();
    std::thread waiter([&] {
        char byte;
        raw->ReadSome(&byte, 1, seconds * 1000);
    });
    waiter.join();
    return (OtherThreadsCpuMs() - cpuBefore) / (NowMs() - start);
}

std::map<std::string, double> CpuByThread() {
    std::map<std::string, double> threads;
    for (const ThreadCpu& thread : CpuPerThread()) threads[thread.thread] = thread.cpuMs;
    return threads;
}

// What finding the phone on its port adds to the detector's waits.
struct Probe {
    double ms;
    std::string basis;
};

Figure StartToConnected(CConDetect& detector, const porvesk::DetectorTimings& shipped, const Probe& probe) {
    const double found = MsUntil([&, started = false]() mutable {
        if (!started && !detector.StartDetect()) throw std::runtime_error("the detector did not start");
        started = true;
        return detector.GetCurConnectStatus();
    });
    return DetectionFigure("detection: StartDetect to connected", found, shipped.rescanWaitMs + probe.ms,
                           "rescan wait " + Ms(shipped.rescanWaitMs) + ", " + probe.basis);
}

// CPU of every thread but this one while the detector watches the phone.
Figure Idle(const Options& options, int bareSeconds, double bareShare) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleAfterConnectMs));
    const std::map<std::string, double> before = CpuByThread();
    const double cpuBefore = OtherThreadsCpuMs();
    const double start = NowMs();
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const double cpuMs = OtherThreadsCpuMs() - cpuBefore;
    const double wallMs = NowMs() - start;
    Figure idle;
    idle.name = "idle: reader and detector threads watching for " + std::to_string(options.idleSeconds) + " s";
    idle.measured = Format(cpuMs, 1) + " ms CPU in " + Format(wallMs / 1000.0, 1) + " s";
    idle.reference =
        "one core; a bare port waiting " + std::to_string(bareSeconds) + " s: " + Format(bareShare * 100, 3) + " %";
    idle.ratio = cpuMs / wallMs;
    idle.ratioMeaning = "share of one core";
    idle.target = "< " + Format(kIdleTarget * 100, 1) + " %";
    idle.met = idle.ratio < kIdleTarget;
    if (options.verbose || !idle.met) {
        for (const auto& [thread, cpu] : CpuByThread()) {
            auto earlier = before.find(thread);
            const double used = cpu - (earlier != before.end() ? earlier->second : 0.0);
            if (used > 0) std::printf("  idle CPU of %s: %.1f ms\n", thread.c_str(), used);
        }
    }
    return idle;
}

// The cable is pulled: once the detector has noticed, it scans again, and a
// probe of the missing port fails at once. The phone comes back just after
// such a probe, the worst moment: it waits a whole pass.
Figure Appearing(SimulatedPhone& phone, CConDetect& detector, const porvesk::DetectorTimings& shipped,
                 const Probe& probe) {
    phone.Hangup();
    MsUntil([&] { return !detector.GetCurConnectStatus(); });
    const double firstProbe = NowMs() + shipped.rescanWaitMs;
    const double passMs = shipped.rescanWaitMs + shipped.betweenPortsWaitMs;
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(firstProbe + kAppearAfterProbeMs - NowMs()));
    const double appeared = NowMs();
    phone.Plug();
    const double found = MsUntil([&] { return detector.GetCurConnectStatus(); });
    const double nextProbe = firstProbe + passMs * std::ceil((appeared - firstProbe) / passMs);
    return DetectionFigure(
        "detection: phone appearing to connected", found, nextProbe - appeared + probe.ms,
        "next probe after " + Ms(nextProbe - appeared) + " by the pass of " + Ms(passMs) + ", " + probe.basis);
}

}  // namespace

std::vector<Figure> DetectorFigures(SimulatedPhone& phone, const RawTrips& trips, const Options& options) {
    phone.Reset("");
    const int bareSeconds = std::min(options.idleSeconds, kBareWaitSeconds);
    const double bareShare = BareWaitShare(phone, bareSeconds);
    SerialMap map(phone.ComPort());
    porvesk::DetectorSetup setup;
    setup.link = porvesk::MakeSystemHandsetLink();
    setup.platform = map.Platform();
    CConDetect detector(setup);
    const porvesk::DetectorTimings shipped;
    const Probe probe{kFindPurges * kPurgePauseMs + kFindWrites * kWritePauseMs + trips.findMs,
                      "probe and flow control: 4 purges, 7 write pauses, raw " + Ms(trips.findMs)};
    std::vector<Figure> figures;
    figures.push_back(StartToConnected(detector, shipped, probe));
    figures.push_back(Idle(options, bareSeconds, bareShare));
    figures.push_back(Appearing(phone, detector, shipped, probe));
    detector.StopDetect();
    return figures;
}

}  // namespace bench

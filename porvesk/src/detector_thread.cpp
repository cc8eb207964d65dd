// The detector thread: scans the candidate ports until a handset answers, then
// checks every few seconds that the same handset (same IMEI) is still there.
#include "porvesk/porvesk.h"

#include "detector_state.h"
#include "detector_trace.h"
#include "mextal/mextal.h"
#include "release_on_exit.h"

using porvesk::DetectorRun;
using porvesk::DetectorState;
using porvesk::LockResult;
using porvesk::TraceDetector;
using porvesk::Wake;

namespace {

// The handset library makes attempts + 1 reset tries: the first port of a pass
// gets more patience than the others.
constexpr int32_t kFirstPortAttempts = 4;
constexpr int32_t kLaterPortAttempts = 1;
constexpr uint32_t kHandsetTextSize = 128;

void TraceCandidates(const std::list<SerloxIDTag>& ports) noexcept {
    if (!ravelin::trace::On()) return;
    try {
        std::string text;
        for (SerloxIDTag port : ports) text += (text.empty() ? "COM" : ", COM") + std::to_string(port);
        TraceDetector("candidate ports: ", text.empty() ? "none" : text);
    } catch (...) {
        // Out of memory: the line is dropped.
    }
}

}  // namespace

namespace porvesk {

// What the detector thread carries from one connection to the next.
struct DetectorRun {
    PortSettings settings{SERLOX_NO_PORT, porvesk::kHandsetBaudRate, 0};
    bool firstPass = true;
    // settings.port was opened by this thread and is not closed yet.
    bool portOpen = false;
};

}  // namespace porvesk

void CConDetect::ConDetectThreadCallBack(void* detector) { static_cast<CConDetect*>(detector)->ConDetectThreadProc(); }

void CConDetect::ConDetectThreadProc() {
    DetectorRun run;
    for (;;) {
        try {
            if (!FollowOneConnection(run)) break;
        } catch (...) {
            // No exception may end the thread: the handset counts as lost, and
            // scanning starts again.
            RecoverFromFault(run);
        }
    }
    // Stopped while a handset was connected: give its port back quietly.
    ClosePortOf(run);
    state_->connected = false;
}

bool CConDetect::FollowOneConnection(DetectorRun& run) {
    DetectorState& s = *state_;
    if (!ScanUntilConnected(run) || s.signals.Stopped()) return false;
    ReportConnected(run);
    if (!WatchConnection(run.settings)) return false;
    TraceDetector("handset on COM", run.settings.port, " lost");
    ClosePortOf(run);
    SendConnectionMessage(WM_CONDETECT_DISCONNECTED);
    return true;
}

void CConDetect::RecoverFromFault(DetectorRun& run) {
    DetectorState& s = *state_;
    TraceDetector("fault in the detector thread; the handset counts as lost");
    try {
        ClosePortOf(run);
        if (s.connected.exchange(false)) SendConnectionMessage(WM_CONDETECT_DISCONNECTED);
    } catch (...) {
        // The window learns of the loss from the status alone.
    }
}

bool CConDetect::ScanUntilConnected(DetectorRun& run) {
    DetectorState& s = *state_;
    bool found = false;
    while (!found) {
        Wake wake = s.signals.WaitForRescan(s.timings.rescanWaitMs);
        if (wake == Wake::kStopped) return false;
        if (wake == Wake::kSignalled) {
            TraceDetector("rescanning after a request");
            if (!s.signals.Sleep(s.timings.settleMs)) return false;
            s.signals.ResetRescan();
        }
        GetSysSerloxList();
        if (run.firstPass) {
            run.firstPass = false;
            MoveLastCommportToHead();
        }
        if (s.currentPort != SERLOX_NO_PORT) MoveSerloxtoHead(s.currentPort);
        std::list<SerloxIDTag> ports;
        GetSerloxListCopy(ports);
        TraceCandidates(ports);
        int32_t attempts = kFirstPortAttempts;
        for (SerloxIDTag port : ports) {
            found = ProbePort(run, port, attempts);
            if (found) break;
            attempts = kLaterPortAttempts;
            wake = s.signals.WaitForRescan(s.timings.betweenPortsWaitMs);
            if (wake == Wake::kStopped) return false;
            // A rescan request stays set: the next pass begins with the settle time.
            if (wake == Wake::kSignalled) break;
        }
    }
    return true;
}

bool CConDetect::ProbePort(DetectorRun& run, SerloxIDTag port, int32_t attempts) {
    DetectorState& s = *state_;
    run.settings.port = static_cast<uint32_t>(port);
    const LinkResult opened = s.link->OpenPort(run.settings);
    if (opened != LINK_OK) {
        TraceDetector("COM", port, ": not opened, result ", opened);
        return false;
    }
    run.portOpen = true;
    char model[kHandsetTextSize] = {};
    char imei[kHandsetTextSize] = {};
    int32_t result = s.link->DetectHandSetModel(run.settings, attempts, s.timings.answerTimeoutMs, model,
                                                kHandsetTextSize, imei, kHandsetTextSize);
    model[kHandsetTextSize - 1] = '\0';
    imei[kHandsetTextSize - 1] = '\0';
    if (result == MEXTAL_OK && CheckRecvModelStr(model) && CheckRecvImeiStr(imei)) {
        s.currentPort = port;
        TraceDetector("COM", port, ": handset \"", model, "\" found");
        return true;
    }
    TraceDetector("COM", port, ": no handset, result ", result);
    // Also when the IMEI was refused: a port left open would answer "already
    // open" to every later probe and never be tried again.
    ClosePortOf(run);
    return false;
}

void CConDetect::ClosePortOf(DetectorRun& run) {
    if (!run.portOpen) return;
    run.portOpen = false;
    state_->link->ClosePort(static_cast<SerloxIDTag>(run.settings.port));
}

void CConDetect::ReportConnected(DetectorRun& run) {
    DetectorState& s = *state_;
    s.link->SetMsFlowControl(run.settings, porvesk::FlowControlSelector(s.link->GetFlowControlIndex()));
    // Set only now: the flow-control exchange runs without the handset lock, and
    // the media-centre cache of this process starts its exchanges once it sees
    // the handset connected. The handset library takes one call at a time.
    s.connected = true;
    TraceDetector("connected on COM", run.settings.port);
    SendConnectionMessage(WM_CONDETECT_CONNECTED);
}

bool CConDetect::WatchConnection(const PortSettings& settings) {
    DetectorState& s = *state_;
    while (s.connected) {
        if (s.signals.WaitForCheck(s.timings.aliveWaitMs) == Wake::kStopped) return false;
        CheckConnection(settings);
    }
    return true;
}

// Only a time-out skips a check: another component is talking to the handset and
// the connection counts as alive for this cycle. A lock that cannot be made or
// waited for must not make a lost handset count as connected for ever, so the
// check then goes ahead without it.
void CConDetect::CheckConnection(const PortSettings& settings) {
    DetectorState& s = *state_;
    LockResult locked = TakeHandsetMutexForCheck();
    if (locked == LockResult::kTimedOut) {
        TraceDetector("check skipped: another component holds the handset");
        return;
    }
    porvesk::ReleaseOnExit<porvesk::NamedMutex> hold(locked == LockResult::kAcquired ? s.handsetMutex.get() : nullptr);
    if (!HandsetStillThere(settings)) s.connected = false;
}

// A lock that could not be made, or whose wait failed, is made afresh for the
// next check.
LockResult CConDetect::TakeHandsetMutexForCheck() {
    DetectorState& s = *state_;
    if (s.handsetMutex == nullptr) s.handsetMutex = s.platform->CreateNamedMutex(porvesk::kHandsetMutexName);
    if (s.handsetMutex == nullptr) return LockResult::kFailed;
    LockResult locked = s.handsetMutex->Wait(s.timings.handsetMutexWaitMs);
    if (locked == LockResult::kFailed) s.handsetMutex.reset();
    return locked;
}

bool CConDetect::HandsetStillThere(const PortSettings& settings) {
    DetectorState& s = *state_;
    char imei[kHandsetTextSize] = {};
    if (s.link->QueryImei(settings, imei, kHandsetTextSize) != MEXTAL_OK) return false;
    imei[kHandsetTextSize - 1] = '\0';
    std::lock_guard<std::mutex> hold(s.textLock);
    return GetImeiFrmImeiStr(imei) == s.imei;
}

void CConDetect::SendConnectionMessage(uint32_t message) {
    ConDetectWindow window = state_->window;
    TraceDetector("message ", message, window != nullptr ? " sent" : " not sent: no window registered");
    if (window != nullptr) state_->platform->SendWindowMessage(window, message);
}

bool CConDetect::CheckRecvModelStr(const char* text) {
    std::lock_guard<std::mutex> hold(state_->textLock);
    state_->model = text;
    return true;
}

std::string CConDetect::GetImeiFrmImeiStr(const char* text) { return text; }

bool CConDetect::CheckRecvImeiStr(const char* text) {
    std::string imei = GetImeiFrmImeiStr(text);
    if (imei.empty()) return false;
    std::lock_guard<std::mutex> hold(state_->textLock);
    state_->imei = imei;
    return true;
}

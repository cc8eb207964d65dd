// The detector thread: scans the candidate ports until a handset answers, then
// checks every few seconds that the same handset (same IMEI) is still there.
#include "porvesk/porvesk.h"


#include "detector_state.h"
#include "mextal/mextal.h"

using porvesk::DetectorState;
using porvesk::Wake;

namespace {

constexpr uint32_t kProbeBaudRate = 115200;
// The handset library makes attempts + 1 reset tries: the first port of a pass
// gets more patience than the others.
constexpr int32_t kFirstPortAttempts = 4;
constexpr int32_t kLaterPortAttempts = 1;
constexpr uint32_t kHandsetTextSize = 128;

}  // namespace

void CConDetect::ConDetectThreadCallBack(void* detector) {
    try {
        static_cast<CConDetect*>(detector)->ConDetectThreadProc();
    } catch (...) {
        // Out of memory: the thread ends; nothing may escape a thread.
    }
}

void CConDetect::ConDetectThreadProc() {
    DetectorState& s = *state_;
    PortSettings settings{SERLOX_NO_PORT, kProbeBaudRate, 0};
    bool firstPass = true;
    for (;;) {
        if (!ScanUntilConnected(settings, firstPass)) return;
        if (s.signals.Stopped()) break;
        ReportConnected(settings);
        if (!WatchConnection(settings)) break;
        s.link->ClosePort(static_cast<SerloxIDTag>(settings.port));
        SendConnectionMessage(WM_CONDETECT_DISCONNECTED);
    }
    // Stopped while a handset was connected: give its port back quietly.
    s.link->ClosePort(static_cast<SerloxIDTag>(settings.port));
    s.connected = false;
}

bool CConDetect::ScanUntilConnected(PortSettings& settings, bool& firstPass) {
    DetectorState& s = *state_;
    bool found = false;
    while (!found) {
        Wake wake = s.signals.WaitForRescan(s.timings.rescanWaitMs);
        if (wake == Wake::kStopped) return false;
        if (wake == Wake::kSignalled) {
            if (!s.signals.Sleep(s.timings.settleMs)) return false;
            s.signals.ResetRescan();
        }
        GetSysSerloxList();
        if (firstPass) {
            firstPass = false;
            MoveLastCommportToHead();
        }
        if (s.currentPort != SERLOX_NO_PORT) MoveSerloxtoHead(s.currentPort);
        std::list<SerloxIDTag> ports;
        GetSerloxListCopy(ports);
        int32_t attempts = kFirstPortAttempts;
        for (SerloxIDTag port : ports) {
            found = ProbePort(settings, port, attempts);
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

bool CConDetect::ProbePort(PortSettings& settings, SerloxIDTag port, int32_t attempts) {
    DetectorState& s = *state_;
    settings.port = static_cast<uint32_t>(port);
    if (s.link->OpenPort(settings) != LINK_OK) return false;
    char model[kHandsetTextSize] = {};
    char imei[kHandsetTextSize] = {};
    int32_t result = s.link->DetectHandSetModel(settings, attempts, s.timings.answerTimeoutMs, model,
                                                kHandsetTextSize, imei, kHandsetTextSize);
    model[kHandsetTextSize - 1] = '\0';
    imei[kHandsetTextSize - 1] = '\0';
    if (result == MEXTAL_OK && CheckRecvModelStr(model) && CheckRecvImeiStr(imei)) {
        s.currentPort = port;
        return true;
    }
    // Also when the IMEI was refused: a port left open would answer "already
    // open" to every later probe and never be tried again.
    s.link->ClosePort(port);
    return false;
}

void CConDetect::ReportConnected(PortSettings& settings) {
    DetectorState& s = *state_;
    s.link->SetMsFlowControl(settings, porvesk::FlowControlSelector(s.link->GetFlowControlIndex()));
    settings.port = static_cast<uint32_t>(s.currentPort.load());
    // Set only now: the flow-control exchange runs without the handset lock, and
    // the media-centre cache of this process starts its exchanges once it sees
    // the handset connected. The handset library takes one call at a time.
    s.connected = true;
    SendConnectionMessage(WM_CONDETECT_CONNECTED);
}

bool CConDetect::WatchConnection(const PortSettings& settings) {
    DetectorState& s = *state_;
    while (s.connected) {
        if (s.signals.WaitForCheck(s.timings.aliveWaitMs) == Wake::kStopped) return false;
        if (s.handsetMutex == nullptr) continue;
        // Another component talking to the handset holds the lock: the
        // connection counts as alive for this cycle.
        if (s.handsetMutex->Wait(s.timings.handsetMutexWaitMs) != porvesk::LockResult::kAcquired) continue;
        if (!HandsetStillThere(settings)) s.connected = false;
        s.handsetMutex->Release();
    }
    return true;
}

bool CConDetect::HandsetStillThere(const PortSettings& settings) {
    DetectorState& s = *state_;
    char imei[kHandsetTextSize] = {};
    if (state_->link->QueryImei(settings, imei, kHandsetTextSize) != MEXTAL_OK) return false;
    imei[kHandsetTextSize - 1] = '\0';
    std::lock_guard<std::mutex> hold(s.textLock);
    return GetImeiFrmImeiStr(imei) == s.imei;
}

void CConDetect::SendConnectionMessage(uint32_t message) {
    ConDetectWindow window = state_->window;
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

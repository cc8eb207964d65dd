#include "porvesk/porvesk.h"

#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "detector_state.h"
#include "detector_trace.h"

using porvesk::DetectorState;

namespace {

constexpr char kProfileSection[] = "SerialPort";
constexpr char kLastPortEntry[] = "LastCommport";

}  // namespace

namespace porvesk {

DetectorSetup SystemDetectorSetup() {
    DetectorSetup setup;
    setup.link = MakeSystemHandsetLink();
    setup.platform = MakeSystemPlatform();
    return setup;
}

}  // namespace porvesk

CConDetect::CConDetect() : CConDetect(porvesk::SystemDetectorSetup()) {}

CConDetect::CConDetect(const porvesk::DetectorSetup& setup) : state_(std::make_unique<DetectorState>(setup)) {
    state_->handsetMutex = state_->platform->CreateNamedMutex(porvesk::kHandsetMutexName);
    GetSerialPortHKEY();
}

CConDetect::~CConDetect() {
    StopDetect();
    WriteCurPortToRegistry();
}

void CConDetect::RegisterRecvConChangeMsg(ConDetectWindow window) { state_->window = window; }

bool CConDetect::StartDetect() {
    DetectorState& s = *state_;
    std::lock_guard<std::mutex> hold(s.startLock);
    if (s.started || s.signals.Stopped()) return false;
    try {
        s.thread = std::thread(&CConDetect::ConDetectThreadCallBack, this);
    } catch (const std::system_error&) {
        return false;
    }
    s.started = true;
    porvesk::KeepModuleLoaded();
    porvesk::TraceDetector("detector started");
    return true;
}

void CConDetect::StopDetect() {
    DetectorState& s = *state_;
    std::thread worker;
    {
        std::lock_guard<std::mutex> hold(s.startLock);
        s.signals.Stop();
        // The thread itself (from a message handler) can only ask; whoever
        // destroys the object waits.
        if (s.thread.joinable() && s.thread.get_id() != std::this_thread::get_id()) {
            worker = std::move(s.thread);
        }
    }
    if (worker.joinable()) worker.join();
}

bool CConDetect::GetCurConnectStatus() { return state_->connected; }

std::string CConDetect::GetCurConnectModel() {
    std::lock_guard<std::mutex> hold(state_->textLock);
    return state_->model;
}

std::string CConDetect::GetCurConnectImei() {
    std::lock_guard<std::mutex> hold(state_->textLock);
    return state_->imei;
}

SerloxIDTag CConDetect::GetCurConnectPort() { return state_->currentPort; }

void CConDetect::ReGetSysSerloxList() {
    if (state_->connected) return;
    porvesk::TraceDetector("rescan requested");
    state_->signals.RequestRescan();
}

void CConDetect::DetectConIsAlive() {
    if (state_->connected) state_->signals.RequestCheck();
}

bool CConDetect::GetSerialPortHKEY() {
    state_->serialMap = state_->platform->OpenSerialMap();
    return state_->serialMap != nullptr;
}

SerloxIDTag CConDetect::CommNameToSerloxID(const char* data, int length) {
    return porvesk::CommNameToSerloxID(data, length);
}

bool CConDetect::GetSysSerloxList() {
    DetectorState& s = *state_;
    uint32_t count = 0;
    if (s.serialMap == nullptr || !s.serialMap->CountValues(count) || count == 0) return false;
    std::vector<porvesk::SerialMapValue> values;
    for (uint32_t index = 0; index < count; ++index) {
        porvesk::SerialMapValue value;
        if (s.serialMap->ReadValue(index, value)) values.push_back(std::move(value));
    }
    porvesk::PortList ports = porvesk::OrderSerialPorts(values);
    std::lock_guard<std::mutex> hold(s.listLock);
    s.ports = std::move(ports);
    return true;
}

bool CConDetect::MoveSerloxtoHead(SerloxIDTag port) {
    std::lock_guard<std::mutex> hold(state_->listLock);
    return porvesk::MoveSerloxtoHead(state_->ports, port);
}

bool CConDetect::GetSerloxListCopy(std::list<SerloxIDTag>& ports) {
    std::lock_guard<std::mutex> hold(state_->listLock);
    ports = state_->ports;
    return true;
}

void CConDetect::WriteCurPortToRegistry() {
    state_->platform->WriteProfileEntry(kProfileSection, kLastPortEntry,
                                        std::to_string(static_cast<int>(state_->currentPort.load())));
}

void CConDetect::MoveLastCommportToHead() {
    std::string text;
    if (!state_->platform->ReadProfileEntry(kProfileSection, kLastPortEntry, text)) return;
    SerloxIDTag port = porvesk::PortFromNumberText(text);
    if (port != SERLOX_NO_PORT) MoveSerloxtoHead(port);
}

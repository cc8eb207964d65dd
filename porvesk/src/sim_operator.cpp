// Reading the SIM's operator (IMSI and service provider name) from the
// connected handset on the caller's thread.
#include <algorithm>
#include <memory>
#include <string>

#include "detector_state.h"
#include "detector_trace.h"
#include "porvesk/porvesk.h"
#include "release_on_exit.h"

namespace {

constexpr uint32_t kSimTextSize = 128;
constexpr size_t kMinImsiDigits = 6;
constexpr size_t kMaxImsiDigits = 15;
constexpr size_t kMccDigits = 3;
constexpr size_t kMaxMncDigits = 3;

bool IsImsi(const std::string& text) {
    return text.size() >= kMinImsiDigits && text.size() <= kMaxImsiDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

int32_t CConDetect::QuerySimOperator(ConDetectSimOperator& sim) {
    porvesk::DetectorState& s = *state_;
    sim = ConDetectSimOperator{};
    if (!s.connected) return CONDETECT_NOT_CONNECTED;
    // A lock of its own: the detector thread uses the detector's handle.
    std::unique_ptr<porvesk::NamedMutex> lock = s.platform->CreateNamedMutex(porvesk::kHandsetMutexName);
    porvesk::LockResult locked = lock ? lock->Wait(s.timings.simQueryMutexWaitMs) : porvesk::LockResult::kFailed;
    if (locked == porvesk::LockResult::kTimedOut) return CONDETECT_HANDSET_BUSY;
    porvesk::ReleaseOnExit<porvesk::NamedMutex> hold(locked == porvesk::LockResult::kAcquired ? lock.get() : nullptr);
    // The detector gives up a handset only while it holds the lock, so a
    // handset still connected now stays connected until the lock is released.
    if (!s.connected) return CONDETECT_NOT_CONNECTED;

    const PortSettings settings{static_cast<uint32_t>(s.currentPort.load()), porvesk::kHandsetBaudRate, 0};
    char text[kSimTextSize] = {};
    int32_t result = s.link->QueryImsi(settings, text, kSimTextSize);
    if (result != CONDETECT_OK) return result;
    text[kSimTextSize - 1] = '\0';
    const std::string imsi = text;
    if (!IsImsi(imsi)) return CONDETECT_BAD_IMSI;

    std::fill(std::begin(text), std::end(text), '\0');
    if (s.link->QuerySpn(settings, text, kSimTextSize) == CONDETECT_OK) {
        text[kSimTextSize - 1] = '\0';
        sim.spn = text;
    }
    sim.mcc = imsi.substr(0, kMccDigits);
    sim.mnc = imsi.substr(kMccDigits, kMaxMncDigits);
    // The operator's codes only: the rest of the IMSI stays out of the trace.
    porvesk::TraceDetector("SIM operator: country code ", sim.mcc, ", network code (2 or 3 digits) ", sim.mnc);
    return CONDETECT_OK;
}

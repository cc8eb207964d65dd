// Serial device on Windows: one overlapped request record per direction (read,
// write, comm event), each with a manual-reset event. The driver does no
// time-outs; every wait is on these events together with the stop event.
// A request that is still pending when a wait gives up is cancelled and
// completed before its record or buffer is used again.
#include "serial_device.h"

#include <ravelin/win32.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "comm_event_turns.h"
#include "device_name.h"

namespace serlox {
namespace {

using ravelin::win32::UniqueHandle;

constexpr DWORD kInputEvents = EV_RXCHAR;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

class Request {
public:
    Request() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) { record_.hEvent = event_.get(); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    bool Valid() const { return static_cast<bool>(event_); }
    OVERLAPPED* Prepare() {
        record_ = OVERLAPPED();
        record_.hEvent = event_.get();
        ResetEvent(event_.get());
        return &record_;
    }
    HANDLE Event() const { return event_.get(); }
    OVERLAPPED* Record() { return &record_; }

private:
    UniqueHandle event_;
    OVERLAPPED record_{};
};

enum class Pending { Completed, Stopped, TimedOut };

}  // namespace

struct StopSignal::State {
    UniqueHandle event;
};

StopSignal::StopSignal() : state_(std::make_unique<State>()) {
    state_->event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

StopSignal::~StopSignal() = default;

bool StopSignal::Valid() const { return static_cast<bool>(state_->event); }
void StopSignal::Raise() { SetEvent(state_->event.get()); }
void StopSignal::Clear() { ResetEvent(state_->event.get()); }
bool StopSignal::IsRaised() const { return WaitFor(0); }
bool StopSignal::WaitFor(uint32_t timeoutMs) const {
    return WaitForSingleObject(state_->event.get(), timeoutMs) == WAIT_OBJECT_0;
}

struct SerialDevice::State {
    UniqueHandle handle;
    Request read;
    Request write;
    Request event;

    // Clears the driver's error state; false when the device does not answer
    // any more (a pulled cable fails here, not only with its read or write).
    bool ClearErrors(DWORD& waiting) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle.get(), &errors, &status)) return false;
        waiting = status.cbInQue;
        return true;
    }
    bool ClearErrors() {
        DWORD waiting;
        return ClearErrors(waiting);
    }

    // Waits for a pending request or the stop signal. A request that is
    // given up is cancelled and waited for, so its record is free again.
    Pending Await(Request& request, const StopSignal& stop, DWORD timeoutMs) {
        const HANDLE events[2] = {request.Event(), stop.Native().event.get()};
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, timeoutMs);
        if (woken == WAIT_OBJECT_0) return Pending::Completed;
        Abandon(request);
        return woken == WAIT_OBJECT_0 + 1 ? Pending::Stopped : Pending::TimedOut;
    }

    // Not every driver ends a comm-event wait on CancelIo, but all end it when
    // the event mask is set again.
    void Abandon(Request& request) {
        if (&request == &event) SetCommMask(handle.get(), kInputEvents);
        CancelIo(handle.get());
        DWORD ignored;
        GetOverlappedResult(handle.get(), request.Record(), &ignored, TRUE);
    }

    using Outcome = CommEventTurns::Outcome;

    // One wait for a comm event.
    Outcome WaitCommEventOnce(const StopSignal& stop) {
        DWORD mask = 0;
        if (WaitCommEvent(handle.get(), &mask, event.Prepare())) return Outcome::Event;
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            if (Await(event, stop, INFINITE) != Pending::Completed) return Outcome::Stopped;
            // Wait for the result even though the event is set: Wine may signal the
            // event before it posts the result, and a non-waiting fetch would then
            // report an incomplete request as a lost device.
            DWORD ignored;
            if (GetOverlappedResult(handle.get(), event.Record(), &ignored, TRUE)) return Outcome::Event;
            error = GetLastError();
        }
        return error == ERROR_OPERATION_ABORTED ? Outcome::Aborted : Outcome::Failed;
    }
};

SerialDevice::SerialDevice() : state_(std::make_unique<State>()) {}

SerialDevice::~SerialDevice() { Close(); }

bool SerialDevice::Valid() const { return state_->read.Valid() && state_->write.Valid() && state_->event.Valid(); }

bool SerialDevice::Open(int port) {
    const std::string name = WindowsDeviceName(port);
    state_->handle.reset(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    if (!state_->handle) return false;
    open_ = true;
    return true;
}

bool SerialDevice::SetUp() {
    const HANDLE handle = state_->handle.get();
    if (!SetCommMask(handle, kInputEvents) || !SetupComm(handle, kDriverQueueSize, kDriverQueueSize)) return false;
    Purge();
    COMMTIMEOUTS none{};
    return SetCommTimeouts(handle, &none) != FALSE;
}

bool SerialDevice::ReadLineSettings(LineSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(state_->handle.get(), &dcb)) return false;
    settings.baudRate = dcb.BaudRate;
    settings.byteSize = dcb.ByteSize;
    settings.parity = static_cast<Parity>(dcb.Parity);
    settings.stopBits = static_cast<StopBits>(dcb.StopBits);
    settings.xonChar = dcb.XonChar;
    settings.xoffChar = dcb.XoffChar;
    settings.parityCheck = dcb.fParity;
    settings.txContinueOnXoff = dcb.fTXContinueOnXoff;
    settings.ctsOutFlow = dcb.fOutxCtsFlow;
    settings.dsrOutFlow = dcb.fOutxDsrFlow;
    settings.dsrSensitivity = dcb.fDsrSensitivity;
    settings.xonXoffOut = dcb.fOutX;
    settings.xonXoffIn = dcb.fInX;
    settings.dtrControl = static_cast<DtrControl>(dcb.fDtrControl);
    settings.rtsControl = static_cast<RtsControl>(dcb.fRtsControl);
    return true;
}

// Only the fields of LineSettings change; XON/XOFF limits and the error, null
// and abort-on-error switches stay as the driver has them.
bool SerialDevice::WriteLineSettings(const LineSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(state_->handle.get(), &dcb)) return false;
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = static_cast<BYTE>(settings.parity);
    dcb.StopBits = static_cast<BYTE>(settings.stopBits);
    dcb.XonChar = settings.xonChar;
    dcb.XoffChar = settings.xoffChar;
    dcb.fParity = settings.parityCheck;
    dcb.fTXContinueOnXoff = settings.txContinueOnXoff;
    dcb.fOutxCtsFlow = settings.ctsOutFlow;
    dcb.fOutxDsrFlow = settings.dsrOutFlow;
    dcb.fDsrSensitivity = settings.dsrSensitivity;
    dcb.fOutX = settings.xonXoffOut;
    dcb.fInX = settings.xonXoffIn;
    dcb.fDtrControl = static_cast<DWORD>(settings.dtrControl);
    dcb.fRtsControl = static_cast<DWORD>(settings.rtsControl);
    return SetCommState(state_->handle.get(), &dcb) != FALSE;
}

void SerialDevice::Purge() { PurgeComm(state_->handle.get(), kPurgeAll); }

// Looks at the driver's input queue before every wait, so bytes that came
// while no wait was pending are never overlooked.
WaitResult SerialDevice::WaitForInput(const StopSignal& stop) {
    using Clock = std::chrono::steady_clock;
    CommEventTurns turns;
    for (;;) {
        DWORD waiting = 0;
        if (!state_->ClearErrors(waiting)) return WaitResult::Gone;
        if (waiting > 0) return WaitResult::Input;
        const Clock::time_point started = Clock::now();
        const CommEventTurns::Outcome outcome = state_->WaitCommEventOnce(stop);
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        switch (turns.After(outcome, waited, stop.IsRaised())) {
            case CommEventTurns::Next::Stop:
                return WaitResult::Stopped;
            case CommEventTurns::Next::DeviceGone:
                state_->ClearErrors();
                return WaitResult::Gone;
            case CommEventTurns::Next::WaitAgain:
                break;
        }
    }
}

bool SerialDevice::ReadAvailable(char* buffer, size_t capacity, size_t& count, const StopSignal& stop) {
    count = 0;
    DWORD waiting = 0;
    if (!state_->ClearErrors(waiting)) return false;
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(waiting, capacity));
    if (wanted == 0) return true;
    OVERLAPPED* record = state_->read.Prepare();
    if (!ReadFile(state_->handle.get(), buffer, wanted, nullptr, record)) {
        if (GetLastError() != ERROR_IO_PENDING) return state_->ClearErrors();
        if (state_->Await(state_->read, stop, INFINITE) != Pending::Completed) return true;
    }
    DWORD got = 0;
    if (!GetOverlappedResult(state_->handle.get(), record, &got, TRUE)) return state_->ClearErrors();
    count = got;
    return true;
}

bool SerialDevice::WritePiece(const char* bytes, size_t count, uint32_t timeoutMs, const StopSignal& stop,
                              size_t& written) {
    written = 0;
    OVERLAPPED* record = state_->write.Prepare();
    if (!WriteFile(state_->handle.get(), bytes, static_cast<DWORD>(count), nullptr, record)) {
        if (GetLastError() != ERROR_IO_PENDING || state_->Await(state_->write, stop, timeoutMs) != Pending::Completed) {
            state_->ClearErrors();
            return false;
        }
    }
    DWORD put = 0;
    if (!GetOverlappedResult(state_->handle.get(), record, &put, TRUE)) {
        state_->ClearErrors();
        return false;
    }
    written = put;
    return true;
}

void SerialDevice::RaiseDtr() { EscapeCommFunction(state_->handle.get(), SETDTR); }

void SerialDevice::Close() {
    if (!state_->handle) return;
    open_ = false;
    SetCommMask(state_->handle.get(), 0);
    Purge();
    state_->handle.reset();
}

}  // namespace serlox

#include <ravelin/win32.h>

#include <algorithm>
#include <utility>

#include "raw_port.h"

namespace bench {
namespace {

using ravelin::win32::UniqueHandle;

// One overlapped request with its own manual-reset event.
class Request {
public:
    Request() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) { record_.hEvent = event_.get(); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    OVERLAPPED* Prepare() {
        record_ = OVERLAPPED();
        record_.hEvent = event_.get();
        ResetEvent(event_.get());
        return &record_;
    }
    OVERLAPPED* Record() { return &record_; }
    HANDLE Event() const { return event_.get(); }

private:
    UniqueHandle event_;
    OVERLAPPED record_{};
};

class OverlappedPort : public RawPort {
public:
    explicit OverlappedPort(UniqueHandle port) : port_(std::move(port)) {}

    bool Write(const std::string& bytes) override {
        OVERLAPPED* record = write_.Prepare();
        if (!WriteFile(port_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, record) &&
            GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        DWORD put = 0;
        return GetOverlappedResult(port_.get(), record, &put, TRUE) && put == bytes.size();
    }

    // Looks at the input queue, waits for a character event when it is empty,
    // then reads what is queued.
    long ReadSome(char* buffer, size_t capacity, int timeoutMs) override {
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(timeoutMs);
        for (;;) {
            DWORD errors = 0;
            COMSTAT status{};
            if (!ClearCommError(port_.get(), &errors, &status)) return -1;
            if (status.cbInQue > 0) return Read(buffer, std::min<size_t>(capacity, status.cbInQue));
            const long left = static_cast<long>(deadline - GetTickCount());
            if (left <= 0) return 0;
            if (!WaitForCharacter(static_cast<DWORD>(left))) return -1;
        }
    }

private:
    long Read(char* buffer, size_t count) {
        OVERLAPPED* record = read_.Prepare();
        if (!ReadFile(port_.get(), buffer, static_cast<DWORD>(count), nullptr, record) &&
            GetLastError() != ERROR_IO_PENDING) {
            return -1;
        }
        DWORD got = 0;
        return GetOverlappedResult(port_.get(), record, &got, TRUE) ? static_cast<long>(got) : -1;
    }

    // False only when the device failed; a time-out or an aborted wait is a
    // plain return to the caller's loop.
    bool WaitForCharacter(DWORD timeoutMs) {
        DWORD mask = 0;
        OVERLAPPED* record = event_.Prepare();
        if (WaitCommEvent(port_.get(), &mask, record)) return true;
        const DWORD error = GetLastError();
        if (error == ERROR_OPERATION_ABORTED) return true;
        if (error != ERROR_IO_PENDING) return false;
        if (WaitForSingleObject(event_.Event(), timeoutMs) != WAIT_OBJECT_0) {
            SetCommMask(port_.get(), EV_RXCHAR);
            CancelIo(port_.get());
        }
        DWORD ignored = 0;
        return GetOverlappedResult(port_.get(), record, &ignored, TRUE) || GetLastError() == ERROR_OPERATION_ABORTED;
    }

    Request read_;
    Request write_;
    Request event_;
    // Declared last, so the port closes before the requests' events.
    UniqueHandle port_;
};

}  // namespace

std::unique_ptr<RawPort> RawPort::Open(int comPort) {
    const std::string name = "\\\\.\\COM" + std::to_string(comPort);
    UniqueHandle port(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr));
    if (!port) return nullptr;
    const HANDLE handle = port.get();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle, &dcb);
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    SetCommState(handle, &dcb);
    COMMTIMEOUTS none{};
    SetCommTimeouts(handle, &none);
    SetCommMask(handle, EV_RXCHAR);
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return std::make_unique<OverlappedPort>(std::move(port));
}

}  // namespace bench

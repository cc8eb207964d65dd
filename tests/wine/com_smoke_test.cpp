// A 32-bit Windows program opens a COM port mapped to the handset simulator with
// overlapped I/O, the way the serial link does, and exchanges "AT" / "OK".
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "simulated_phone.h"

namespace {

class OverlappedPort {
public:
    explicit OverlappedPort(int com) {
        std::string name = "\\\\.\\COM" + std::to_string(com);
        handle_ = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
        event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~OverlappedPort() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        CloseHandle(event_);
    }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    bool Setup() {
        COMMTIMEOUTS timeouts = {};
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        if (!SetCommMask(handle_, EV_RXCHAR) || !SetCommTimeouts(handle_, &timeouts) ||
            !GetCommState(handle_, &dcb))
            return false;
        dcb.BaudRate = 115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        return SetCommState(handle_, &dcb) && PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
    }

    bool Send(const std::string& text) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event_;
        DWORD written = 0;
        if (!WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING) return false;
            if (!GetOverlappedResult(handle_, &overlapped, &written, TRUE)) return false;
        }
        return written == text.size();
    }

    // Collects input until `expected` appears or the time runs out.
    std::string ReceiveUntil(const std::string& expected, DWORD timeoutMs) {
        std::string received;
        DWORD deadline = GetTickCount() + timeoutMs;
        while (received.find(expected) == std::string::npos &&
               static_cast<LONG>(deadline - GetTickCount()) > 0) {
            DWORD events = 0;
            OVERLAPPED overlapped = {};
            overlapped.hEvent = event_;
            ResetEvent(event_);
            if (!WaitCommEvent(handle_, &events, &overlapped)) {
                if (GetLastError() != ERROR_IO_PENDING) break;
                DWORD left = static_cast<DWORD>(deadline - GetTickCount());
                if (WaitForSingleObject(event_, left) != WAIT_OBJECT_0) {
                    CancelIo(handle_);
                    GetOverlappedResult(handle_, &overlapped, &events, TRUE);
                    break;
                }
            }
            received += ReadWaiting();
        }
        return received;
    }

private:
    std::string ReadWaiting() {
        COMSTAT status = {};
        DWORD errors = 0;
        if (!ClearCommError(handle_, &errors, &status) || status.cbInQue == 0) return {};
        std::string bytes(status.cbInQue, '\0');
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event_;
        DWORD count = 0;
        if (!ReadFile(handle_, &bytes[0], status.cbInQue, &count, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING ||
                !GetOverlappedResult(handle_, &overlapped, &count, TRUE))
                return {};
        }
        bytes.resize(count);
        return bytes;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
};

TEST(WineBench, OverlappedPortExchangesAtAndOkWithSimulator) {
    auto phone = ravelin::test::SimulatedPhone::Start(1);
    ASSERT_GE(phone->ComPort(), 10) << "the bench maps simulator 1 to a two-digit COM port";

    OverlappedPort port(phone->ComPort());
    ASSERT_TRUE(port.IsOpen()) << "CreateFile error " << GetLastError();
    ASSERT_TRUE(port.Setup()) << "error " << GetLastError();
    ASSERT_TRUE(port.Send("AT\r"));

    std::string answer = port.ReceiveUntil("OK\r\n", 5000);
    EXPECT_NE(answer.find("\r\nOK\r\n"), std::string::npos) << answer;
    EXPECT_EQ(phone->Commands(), std::vector<std::string>{"AT"});
}

TEST(WineBench, PlainComNameOpensPortsBelowTen) {
    auto phone = ravelin::test::SimulatedPhone::Start(0);
    ASSERT_LT(phone->ComPort(), 10);
    std::string name = "COM" + std::to_string(phone->ComPort());
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    CloseHandle(handle);
}

}  // namespace

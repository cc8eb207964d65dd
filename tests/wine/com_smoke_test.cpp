// A 32-bit Windows program opens a COM port mapped to the handset simulator with
// overlapped I/O, the way the serial link does, and exchanges "AT" / "OK".
#include <ravelin/win32.h>

#include <gtest/gtest.h>

#include <string>

#include "simulated_phone.h"

namespace {

using ravelin::win32::UniqueHandle;

class OverlappedPort {
public:
    explicit OverlappedPort(int com) {
        std::string name = "\\\\.\\COM" + std::to_string(com);
        port_.reset(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
        event_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    }
    bool IsOpen() const { return static_cast<bool>(port_); }

    bool Setup() {
        COMMTIMEOUTS timeouts = {};
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        if (!SetCommMask(port_.get(), EV_RXCHAR) || !SetCommTimeouts(port_.get(), &timeouts) ||
            !GetCommState(port_.get(), &dcb))
            return false;
        dcb.BaudRate = 115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        return SetCommState(port_.get(), &dcb) && PurgeComm(port_.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);
    }

    bool Send(const std::string& text) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event_.get();
        DWORD written = 0;
        if (!WriteFile(port_.get(), text.data(), static_cast<DWORD>(text.size()), &written, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING) return false;
            if (!GetOverlappedResult(port_.get(), &overlapped, &written, TRUE)) return false;
        }
        return written == text.size();
    }

    // Collects input until `expected` appears or the time runs out.
    std::string ReceiveUntil(const std::string& expected, DWORD timeoutMs) {
        std::string received;
        DWORD deadline = GetTickCount() + timeoutMs;
        while (received.find(expected) == std::string::npos && static_cast<LONG>(deadline - GetTickCount()) > 0) {
            DWORD events = 0;
            OVERLAPPED overlapped = {};
            overlapped.hEvent = event_.get();
            ResetEvent(event_.get());
            if (!WaitCommEvent(port_.get(), &events, &overlapped)) {
                if (GetLastError() != ERROR_IO_PENDING) break;
                DWORD left = static_cast<DWORD>(deadline - GetTickCount());
                if (WaitForSingleObject(event_.get(), left) != WAIT_OBJECT_0) {
                    CancelIo(port_.get());
                    GetOverlappedResult(port_.get(), &overlapped, &events, TRUE);
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
        if (!ClearCommError(port_.get(), &errors, &status) || status.cbInQue == 0) return {};
        std::string bytes(status.cbInQue, '\0');
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event_.get();
        DWORD count = 0;
        if (!ReadFile(port_.get(), &bytes[0], status.cbInQue, &count, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(port_.get(), &overlapped, &count, TRUE))
                return {};
        }
        bytes.resize(count);
        return bytes;
    }

    // The port closes before its event.
    UniqueHandle event_;
    UniqueHandle port_;
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
    const UniqueHandle port(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OVERLAPPED, nullptr));
    ASSERT_NE(port.get(), INVALID_HANDLE_VALUE) << "error " << GetLastError();
}

}  // namespace

// The detector with the real serial link and handset library against the
// handset simulator: it finds the phone, then notices the cable being pulled.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "detector_setup.h"
#include "mextal/mextal.h"
#include "porvesk/porvesk.h"
#include "support/simulated_phone.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <stdlib.h>

#include <fstream>
#endif

namespace porvesk::test {
namespace {

using namespace std::chrono_literals;
using ravelin::test::SimulatedPhone;

constexpr char kModel[] = "T-SIM7";
constexpr char kImei[] = "356938035643809";
constexpr char kPhoneDeviceName[] = "\\Device\\USBSER000";

// Shorter waits than the shipped ones; the handset answer time-out stays.
DetectorTimings QuickTimings() {
    DetectorTimings timings;
    timings.rescanWaitMs = 100;
    timings.settleMs = 100;
    timings.betweenPortsWaitMs = 100;
    timings.aliveWaitMs = 200;
    return timings;
}

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds bound) {
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

#if defined(_WIN32)
// Lists the phone's port in the system's serial device map.
class SerialMapEntry {
public:
    explicit SerialMapEntry(int comPort) {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key_, nullptr);
        std::string data = "COM" + std::to_string(comPort);
        RegSetValueExA(key_, kPhoneDeviceName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    }
    ~SerialMapEntry() {
        RegDeleteValueA(key_, kPhoneDeviceName);
        RegCloseKey(key_);
    }
    std::shared_ptr<DetectorPlatform> Platform() { return MakeSystemPlatform(); }

private:
    HKEY key_ = nullptr;
};
#else
// A store folder whose serial device map lists only the phone's port.
class SerialMapEntry {
public:
    explicit SerialMapEntry(int comPort) {
        char pattern[] = "/tmp/porvesk-sim-XXXXXX";
        folder_ = mkdtemp(pattern) != nullptr ? pattern : "";
        std::ofstream(folder_ + "/serialcomm") << kPhoneDeviceName << "\tREG_SZ\tCOM" << comPort << "\n";
    }
    ~SerialMapEntry() { std::system(("rm -rf '" + folder_ + "'").c_str()); }
    std::shared_ptr<DetectorPlatform> Platform() { return MakeFileStorePlatform(folder_); }

private:
    std::string folder_;
};
#endif

TEST(DetectorWithSimulatedPhone, FindsHandsetThenNoticesPulledCable) {
    std::unique_ptr<SimulatedPhone> phone =
        SimulatedPhone::Start(0, std::string("--model ") + kModel + " --imei " + kImei);
    SerialMapEntry entry(phone->ComPort());
    // A pulled cable fails the check after one short handshake.
    SetRetryInfo(1, 500);
    SetWaitResTime(1000);

    DetectorSetup setup;
    setup.timings = QuickTimings();
    setup.link = MakeSystemHandsetLink();
    setup.platform = entry.Platform();
    CConDetect detector(setup);
#if !defined(_WIN32)
    struct Inbox {
        std::mutex lock;
        std::vector<uint32_t> messages;
    } inbox;
    ConDetectNativeWindow window{[](void* context, uint32_t message) {
                                     auto* box = static_cast<Inbox*>(context);
                                     std::lock_guard<std::mutex> hold(box->lock);
                                     box->messages.push_back(message);
                                 },
                                 &inbox};
    detector.RegisterRecvConChangeMsg(&window);
#endif

    ASSERT_TRUE(detector.StartDetect());
    ASSERT_TRUE(WaitUntil([&] { return detector.GetCurConnectStatus(); }, 8s));
    EXPECT_EQ(detector.GetCurConnectPort(), phone->ComPort());
    EXPECT_EQ(detector.GetCurConnectModel(), kModel);
    EXPECT_EQ(detector.GetCurConnectImei(), kImei);

    phone->Hangup();
    ASSERT_TRUE(WaitUntil([&] { return !detector.GetCurConnectStatus(); }, 8s));
    detector.StopDetect();
#if !defined(_WIN32)
    std::lock_guard<std::mutex> hold(inbox.lock);
    EXPECT_EQ(inbox.messages, (std::vector<uint32_t>{WM_CONDETECT_CONNECTED, WM_CONDETECT_DISCONNECTED}));
#endif
}

}  // namespace
}  // namespace porvesk::test

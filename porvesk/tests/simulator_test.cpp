// The detector with the real serial link and handset library against the
// handset simulator: it finds the phone, then notices the cable being pulled.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "mextal/mextal.h"
#include "porvesk/porvesk.h"
#include "simulated_phone_map.h"
#include "support/simulated_phone.h"

namespace porvesk::test {
namespace {

using namespace std::chrono_literals;
using ravelin::test::SimulatedPhone;

constexpr char kModel[] = "T-SIM7";
constexpr char kImei[] = "356938035643809";

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

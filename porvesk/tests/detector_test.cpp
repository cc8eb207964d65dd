// The detector thread against scripted fakes, with shortened waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "detector_setup.h"
#include "fake_handset.h"
#include "fake_platform.h"
#include "mextal/mextal.h"
#include "porvesk/porvesk.h"

namespace porvesk::test {
namespace {

using namespace std::chrono_literals;

int g_windowStandIn;
const ConDetectWindow kWindow = &g_windowStandIn;

constexpr int kLongWaitMs = 60000;  // longer than any test may take

DetectorTimings ShortTimings() {
    DetectorTimings timings;
    timings.rescanWaitMs = 5;
    timings.settleMs = 20;
    timings.betweenPortsWaitMs = 5;
    timings.aliveWaitMs = 5;
    timings.handsetMutexWaitMs = 5;
    timings.simQueryMutexWaitMs = 5;
    return timings;
}

template <typename Condition>
bool WaitUntil(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

FakePhone Phone(const std::string& model, const std::string& imei) {
    FakePhone phone;
    phone.model = model;
    phone.imei = imei;
    return phone;
}

// The index of the first logged `call`, or the log's size.
size_t IndexOf(const CallLog& calls, const std::string& call) {
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
}

class DetectorTest : public ::testing::Test {
protected:
    // Stops the detector when it goes out of scope: tests whose hooks capture
    // their locals declare one after those locals.
    struct StopOnExit {
        DetectorTest& test;
        ~StopOnExit() {
            if (test.detector_) test.detector_->StopDetect();
        }
    };

    void Build(const DetectorTimings& timings = ShortTimings()) {
        DetectorSetup setup;
        setup.timings = timings;
        setup.link = link_;
        setup.platform = platform_;
        detector_ = std::make_unique<CConDetect>(setup);
        detector_->RegisterRecvConChangeMsg(kWindow);
    }

    // Builds the detector, starts it and waits for its first message; callers
    // wrap it in ASSERT_NO_FATAL_FAILURE so that a failure ends the test.
    void StartUntilFirstMessage(const DetectorTimings& timings = ShortTimings()) {
        Build(timings);
        ASSERT_TRUE(detector_->StartDetect());
        ASSERT_TRUE(platform_->WaitForMessages(1));
    }

    void UsePorts(std::vector<SerialMapValue> values) { platform_->SetSerialMap(std::move(values)); }

    bool WaitConnected() {
        return WaitUntil([&] { return detector_->GetCurConnectStatus(); });
    }

    // Fresh doubles for one row of a table, with `phone` on COM5.
    void FreshPhoneOnCom5(const FakePhone& phone = Phone("M", "AAA")) {
        detector_.reset();
        link_ = std::make_shared<FakeHandsetLink>();
        platform_ = std::make_shared<FakePlatform>();
        UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
        link_->PutPhone(5, phone);
    }

    std::shared_ptr<FakeHandsetLink> link_ = std::make_shared<FakeHandsetLink>();
    std::shared_ptr<FakePlatform> platform_ = std::make_shared<FakePlatform>();
    std::unique_ptr<CConDetect> detector_;
};

TEST_F(DetectorTest, HandsetOnFirstPort_IsRecordedFlowSetThenConnectedSent) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5"), StringValue("\\Device\\Serial0", "COM1")});
    link_->PutPhone(5, Phone("T-100", "356000111222333"));
    link_->SetFlowControlIndex(0);
    bool flowSetBeforeMessage = false;
    // Nobody else may start talking to the handset before its flow control is set.
    bool connectedDuringFlowControl = true;
    platform_->OnMessage([&](uint32_t) { flowSetBeforeMessage = link_->CountCalls("flow 5 1") == 1; });
    link_->OnFlowControl([&] { connectedDuringFlowControl = detector_->GetCurConnectStatus(); });
    StopOnExit stopFirst{*this};
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());

    EXPECT_EQ(platform_->Messages(), std::vector<uint32_t>{WM_CONDETECT_CONNECTED});
    EXPECT_TRUE(flowSetBeforeMessage);
    EXPECT_FALSE(connectedDuringFlowControl);
    EXPECT_TRUE(detector_->GetCurConnectStatus());
    EXPECT_EQ(detector_->GetCurConnectPort(), 5);
    EXPECT_EQ(detector_->GetCurConnectModel(), "T-100");
    EXPECT_EQ(detector_->GetCurConnectImei(), "356000111222333");
    CallLog calls = link_->Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "open 5");
    EXPECT_EQ(calls[1], "detect 5 4");
    EXPECT_EQ(calls[2], "flow 5 1");
    EXPECT_TRUE(link_->IsOpen(5));
    EXPECT_EQ(link_->CountCalls("open 1"), 0u);
}

TEST_F(DetectorTest, PortsWithoutHandset_AreClosedAndLaterPortsGetOneAttempt) {
    UsePorts({StringValue("\\Device\\Serial0", "COM1"), StringValue("\\Device\\Serial1", "COM2"),
              StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(2, Phone("T-100", "1"));
    Build();

    ASSERT_TRUE(detector_->StartDetect());
    ASSERT_TRUE(WaitConnected());

    CallLog calls = link_->Calls();
    CallLog expected = {"open 5", "detect 5 4", "close 5", "open 2", "detect 2 1"};
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(CallLog(calls.begin(), calls.begin() + expected.size()), expected);
    EXPECT_FALSE(link_->IsOpen(5));
    EXPECT_EQ(detector_->GetCurConnectPort(), 2);
    EXPECT_EQ(link_->Probes(), (CallLog{"5,115200,0 2000", "2,115200,0 2000"}));
}

TEST_F(DetectorTest, PortOpenedBySomeoneElse_IsSkippedAndLeftOpen) {
    UsePorts({StringValue("\\Device\\Serial0", "COM1"), StringValue("\\Device\\USBSER000", "COM4")});
    link_->SetOpenResult(4, LINK_ALREADY_OPEN);
    link_->PutPhone(1, Phone("M", "I"));
    Build();

    ASSERT_TRUE(detector_->StartDetect());
    ASSERT_TRUE(WaitConnected());

    EXPECT_EQ(link_->CountCalls("detect 4 4"), 0u);
    EXPECT_EQ(link_->CountCalls("close 4"), 0u);
    EXPECT_EQ(detector_->GetCurConnectPort(), 1);
}

TEST_F(DetectorTest, EmptyImei_IsNotAcceptedAndPortIsClosedAndProbedAgain) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM3")});
    link_->PutPhone(3, Phone("T-100", ""));
    Build();

    ASSERT_TRUE(detector_->StartDetect());
    ASSERT_TRUE(link_->WaitForCall("detect 3 4", 3));

    EXPECT_FALSE(detector_->GetCurConnectStatus());
    EXPECT_EQ(detector_->GetCurConnectImei(), "");
    EXPECT_EQ(detector_->GetCurConnectPort(), SERLOX_NO_PORT);
    EXPECT_TRUE(platform_->Messages().empty());
    EXPECT_GE(link_->CountCalls("close 3"), 2u);

    link_->PutPhone(3, Phone("T-100", "490154203237518"));
    ASSERT_TRUE(platform_->WaitForMessages(1));
    EXPECT_EQ(detector_->GetCurConnectImei(), "490154203237518");
    EXPECT_EQ(detector_->GetCurConnectPort(), 3);
}

TEST_F(DetectorTest, ImeiChange_ClosesPortSendsDisconnectedAndFindsNewHandsetThere) {
    // Probing order 9, 5: the lost port is not the first one by nature.
    UsePorts({StringValue("\\Device\\USBSER000", "COM5"), StringValue("\\Device\\USBSER001", "COM9")});
    link_->PutPhone(5, Phone("T-100", "AAA"));
    std::atomic<bool> portClosedAtDisconnect{false};
    platform_->OnMessage([&](uint32_t message) {
        if (message == WM_CONDETECT_DISCONNECTED) portClosedAtDisconnect = !link_->IsOpen(5);
    });
    StopOnExit stopFirst{*this};
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());
    ASSERT_TRUE(link_->WaitForCall("imei 5"));

    link_->PutPhone(5, Phone("T-200", "BBB"));
    ASSERT_TRUE(platform_->WaitForMessages(3));

    EXPECT_EQ(platform_->Messages(),
              (std::vector<uint32_t>{WM_CONDETECT_CONNECTED, WM_CONDETECT_DISCONNECTED, WM_CONDETECT_CONNECTED}));
    EXPECT_TRUE(portClosedAtDisconnect);
    EXPECT_EQ(detector_->GetCurConnectImei(), "BBB");
    EXPECT_EQ(detector_->GetCurConnectModel(), "T-200");
    CallLog calls = link_->Calls();
    size_t closed = IndexOf(calls, "close 5");
    ASSERT_LT(closed + 2, calls.size());
    EXPECT_EQ(IndexOf(calls, "open 9"), 0u);
    EXPECT_EQ(calls[closed + 1], "open 5");  // the lost port is tried first
    EXPECT_EQ(calls[closed + 2], "detect 5 4");
}

TEST_F(DetectorTest, ImeiDifferingOnlyInCase_CountsAsAnotherHandset) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(5, Phone("T-100", "35a"));
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());

    link_->PutPhone(5, Phone("T-100", "35A"));
    ASSERT_TRUE(platform_->WaitForMessages(2));
    EXPECT_EQ(platform_->Messages()[1], WM_CONDETECT_DISCONNECTED);
}

TEST_F(DetectorTest, HandsetMovedToAnotherPort_OldPortTriedFirstThenFoundOnNewOne) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(5, Phone("T-100", "AAA"));
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());

    link_->RemovePhone(5);
    UsePorts({StringValue("\\Device\\USBSER001", "COM9"), StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(9, Phone("T-100", "AAA"));
    ASSERT_TRUE(platform_->WaitForMessages(3));

    EXPECT_EQ(detector_->GetCurConnectPort(), 9);
    CallLog calls = link_->Calls();
    size_t lost = IndexOf(calls, "close 5");
    CallLog expected = {"close 5", "open 5", "detect 5 4", "close 5", "open 9", "detect 9 1"};
    ASSERT_LE(lost + expected.size(), calls.size());
    EXPECT_EQ(CallLog(calls.begin() + lost, calls.begin() + lost + expected.size()), expected);
}

TEST_F(DetectorTest, GettersAfterDisconnection_KeepLastPortAndTexts) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(5, Phone("T-100", "AAA"));
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());

    link_->RemovePhone(5);
    ASSERT_TRUE(platform_->WaitForMessages(2));

    EXPECT_FALSE(detector_->GetCurConnectStatus());
    EXPECT_EQ(detector_->GetCurConnectPort(), 5);
    EXPECT_EQ(detector_->GetCurConnectModel(), "T-100");
    EXPECT_EQ(detector_->GetCurConnectImei(), "AAA");
}

TEST_F(DetectorTest, RescanWhileScanning_EndsPassSettlesThenRebuildsList) {
    UsePorts({StringValue("\\Device\\Serial0", "COM1"), StringValue("\\Device\\Serial1", "COM2"),
              StringValue("\\Device\\Serial2", "COM3")});
    link_->PutPhone(9, Phone("M", "I"));
    std::atomic<bool> asked{false};
    link_->OnDetect([&](SerloxIDTag) {
        if (!asked.exchange(true)) {
            UsePorts({StringValue("\\Device\\USBSER000", "COM9")});
            detector_->ReGetSysSerloxList();
        }
    });
    StopOnExit stopFirst{*this};
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());

    CallLog calls = link_->Calls();
    CallLog expected = {"open 3", "detect 3 4", "close 3", "open 9", "detect 9 4", "flow 9 0"};
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(CallLog(calls.begin(), calls.begin() + expected.size()), expected);
    EXPECT_EQ(platform_->MapQueries(), 2u);
}

TEST_F(DetectorTest, OneRescanRequest_SettlesOnceThenNextPassProbesEveryPort) {
    UsePorts({StringValue("\\Device\\Serial0", "COM1"), StringValue("\\Device\\Serial1", "COM2"),
              StringValue("\\Device\\Serial2", "COM3")});
    DetectorTimings timings = ShortTimings();
    timings.settleMs = 2000;  // far longer than a pass of the other waits
    // Written by the detector thread, read once it has ended.
    std::vector<std::chrono::steady_clock::time_point> probeTimes;
    link_->OnDetect([&](SerloxIDTag) {
        probeTimes.push_back(std::chrono::steady_clock::now());
        if (probeTimes.size() == 1) detector_->ReGetSysSerloxList();
    });
    StopOnExit stopFirst{*this};
    Build(timings);
    ASSERT_TRUE(detector_->StartDetect());
    ASSERT_TRUE(link_->WaitForCall("detect 3 4", 3));
    detector_->StopDetect();

    // Probes: COM3, whose pass the request ends; after settling, a whole pass of
    // COM3, COM2 and COM1; then the next pass without settling again.
    ASSERT_GE(probeTimes.size(), 5u);
    EXPECT_GE(probeTimes[1] - probeTimes[0], std::chrono::milliseconds(timings.settleMs));
    EXPECT_LT(probeTimes[4] - probeTimes[3], std::chrono::milliseconds(timings.settleMs));
}

TEST_F(DetectorTest, RescanRequestWhileConnected_IsIgnored) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(5, Phone("M", "AAA"));
    DetectorTimings timings = ShortTimings();
    timings.settleMs = kLongWaitMs;  // a recorded request would hold the next pass back
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage(timings));

    detector_->ReGetSysSerloxList();
    link_->PutPhone(5, Phone("M", "BBB"));

    EXPECT_TRUE(platform_->WaitForMessages(3));
}

TEST_F(DetectorTest, CheckRequestWhileScanning_IsIgnoredButHonouredWhileConnected) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    std::atomic<bool> asked{false};
    link_->OnDetect([&](SerloxIDTag) {
        if (!asked.exchange(true)) detector_->DetectConIsAlive();
    });
    DetectorTimings timings = ShortTimings();
    timings.aliveWaitMs = kLongWaitMs;  // only a request makes the detector check
    StopOnExit stopFirst{*this};
    Build(timings);
    ASSERT_TRUE(detector_->StartDetect());
    ASSERT_TRUE(link_->WaitForCall("detect 5 4"));
    link_->PutPhone(5, Phone("M", "AAA"));
    ASSERT_TRUE(platform_->WaitForMessages(1));

    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(link_->CountCalls("imei 5"), 0u);

    detector_->DetectConIsAlive();
    EXPECT_TRUE(link_->WaitForCall("imei 5"));
}

TEST_F(DetectorTest, HandsetLockHeldElsewhere_SkipsChecks) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(5, Phone("M", "AAA"));
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());
    ASSERT_TRUE(link_->WaitForCall("imei 5"));

    platform_->HoldHandsetLockElsewhere(true);
    size_t waitsBefore = platform_->LockWaits();
    size_t queriesBefore = link_->CountCalls("imei 5");
    ASSERT_TRUE(WaitUntil([&] { return platform_->LockWaits() >= waitsBefore + 3; }));
    link_->RemovePhone(5);
    ASSERT_TRUE(WaitUntil([&] { return platform_->LockWaits() >= waitsBefore + 6; }));

    EXPECT_LE(link_->CountCalls("imei 5"), queriesBefore + 1);  // at most the one already under way
    EXPECT_TRUE(detector_->GetCurConnectStatus());

    platform_->HoldHandsetLockElsewhere(false);
    ASSERT_TRUE(platform_->WaitForMessages(2));
    EXPECT_FALSE(platform_->LockHeldByDetector());
}

TEST_F(DetectorTest, HandsetLockUnusable_ChecksGoOnAndLossIsReported) {
    struct Case {
        const char* what;
        size_t failedCreations;
        bool waitsFail;
        bool lossCheckedUnderLock;
    };
    for (const Case& c :
         {Case{"lock never made", SIZE_MAX, false, false}, Case{"lock made only at a later check", 1, false, true},
          Case{"every wait fails", 0, true, false}}) {
        SCOPED_TRACE(c.what);
        FreshPhoneOnCom5();
        platform_->BreakLock(c.failedCreations, c.waitsFail);
        std::atomic<bool> lossCheckedUnderLock{false};
        link_->OnQuery([&] { lossCheckedUnderLock = platform_->LockHeldByDetector(); });
        StopOnExit stopFirst{*this};
        ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());
        ASSERT_TRUE(link_->WaitForCall("imei 5"));

        link_->RemovePhone(5);
        ASSERT_TRUE(platform_->WaitForMessages(2));

        EXPECT_EQ(platform_->Messages()[1], WM_CONDETECT_DISCONNECTED);
        EXPECT_EQ(lossCheckedUnderLock.load(), c.lossCheckedUnderLock);
    }
}

TEST_F(DetectorTest, FaultInDetectorThread_ClosesPortClearsStatusAndScanningGoesOn) {
    const std::vector<uint32_t> found{WM_CONDETECT_CONNECTED};
    const std::vector<uint32_t> lostAndFound{WM_CONDETECT_CONNECTED, WM_CONDETECT_DISCONNECTED, WM_CONDETECT_CONNECTED};
    for (bool inCheck : {false, true}) {  // thrown by a probe, or by a connected handset's check
        SCOPED_TRACE(inCheck ? "check" : "probe");
        FreshPhoneOnCom5();
        std::atomic<bool> thrown{false};
        std::atomic<size_t> callsBeforeFault{0};
        auto throwOnce = [&](bool check) {
            if (check != inCheck || thrown.exchange(true)) return;
            callsBeforeFault = link_->Calls().size();
            throw std::runtime_error("fault of a double");
        };
        link_->OnDetect([&](SerloxIDTag) { throwOnce(false); });
        link_->OnQuery([&] { throwOnce(true); });
        StopOnExit stopFirst{*this};
        Build();
        ASSERT_TRUE(detector_->StartDetect());

        const std::vector<uint32_t>& messages = inCheck ? lostAndFound : found;  // until connected again
        ASSERT_TRUE(platform_->WaitForMessages(messages.size()));
        ASSERT_TRUE(WaitConnected());
        ASSERT_TRUE(thrown.load());
        EXPECT_EQ(platform_->Messages(), messages);
        CallLog calls = link_->Calls();
        ASSERT_GT(calls.size(), callsBeforeFault.load());
        EXPECT_EQ(calls[callsBeforeFault], "close 5");  // the port is given back first
        EXPECT_FALSE(platform_->LockHeldByDetector());
    }
}

TEST_F(DetectorTest, ImeiCheck_RunsWithHandsetLockHeldAndReleasesIt) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(5, Phone("M", "AAA"));
    std::atomic<int> checks{0};
    std::atomic<int> checksWithLock{0};
    link_->OnQuery([&] {
        ++checks;
        if (platform_->LockHeldByDetector()) ++checksWithLock;
    });
    StopOnExit stopFirst{*this};
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage());
    ASSERT_TRUE(link_->WaitForCall("imei 5", 2));

    link_->RemovePhone(5);
    ASSERT_TRUE(platform_->WaitForMessages(2));

    EXPECT_EQ(checksWithLock.load(), checks.load());
    EXPECT_FALSE(platform_->LockHeldByDetector());
}

TEST_F(DetectorTest, SimOperator_ReadFromConnectedHandsetUnderTheHandsetLock) {
    struct Case {
        const char* name;
        bool lockHeldElsewhere;
        std::string imsi;
        int32_t imsiResult;
        int32_t spnResult;  // the name on the SIM is "Talk"
        int32_t result;
        const char* sim;  // mcc/mnc/spn
    };
    const Case cases[] = {
        {"operator with name", false, "262019876543210", MEXTAL_OK, MEXTAL_OK, CONDETECT_OK, "262/019/Talk"},
        {"no name on the SIM", false, "31001012345", MEXTAL_OK, MEXTAL_HANDSET_ERROR, CONDETECT_OK, "310/010/"},
        {"shortest IMSI", false, "262011", MEXTAL_OK, MEXTAL_OK, CONDETECT_OK, "262/011/Talk"},
        {"IMSI too short", false, "26201", MEXTAL_OK, MEXTAL_OK, CONDETECT_BAD_IMSI, "//"},
        {"IMSI not digits", false, "26201A", MEXTAL_OK, MEXTAL_OK, CONDETECT_BAD_IMSI, "//"},
        {"no SIM", false, "", -10, MEXTAL_OK, -10, "//"},
        {"lock held elsewhere", true, "262011", MEXTAL_OK, MEXTAL_OK, CONDETECT_HANDSET_BUSY, "//"},
    };
    Build();
    ConDetectSimOperator sim;
    EXPECT_EQ(detector_->QuerySimOperator(sim), CONDETECT_NOT_CONNECTED);  // no handset yet
    DetectorTimings timings = ShortTimings();
    timings.aliveWaitMs = kLongWaitMs;  // no connection check takes the lock meanwhile
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshPhoneOnCom5(FakePhone{MEXTAL_OK, "M", "AAA", MEXTAL_OK, c.imsi, c.imsiResult, "Talk", c.spnResult});
        std::atomic<int> queriesWithoutLock{0};
        link_->OnQuery([&] { queriesWithoutLock += !platform_->LockHeldByDetector(); });
        StopOnExit stop{*this};
        ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage(timings));
        platform_->HoldHandsetLockElsewhere(c.lockHeldElsewhere);

        sim = ConDetectSimOperator{"x", "x", "x"};
        EXPECT_EQ(detector_->QuerySimOperator(sim), c.result);
        EXPECT_EQ(sim.mcc + "/" + sim.mnc + "/" + sim.spn, c.sim);
        EXPECT_EQ(queriesWithoutLock.load(), 0);
        EXPECT_EQ(link_->CountCalls("imsi 5"), c.lockHeldElsewhere ? 0u : 1u);
    }
}

TEST_F(DetectorTest, LastCommport_ValidPortIsProbedFirstOnFirstPass) {
    struct Case {
        const char* stored;
        const char* firstOpen;
    };
    for (const Case& c : {Case{"1", "open 1"}, Case{"0", "open 5"}, Case{"31", "open 5"}, Case{"text", "open 5"},
                          Case{"7", "open 5"}}) {
        SCOPED_TRACE(c.stored);
        link_ = std::make_shared<FakeHandsetLink>();
        platform_ = std::make_shared<FakePlatform>();
        UsePorts({StringValue("\\Device\\Serial0", "COM1"), StringValue("\\Device\\USBSER000", "COM5")});
        platform_->SetProfile("SerialPort", "LastCommport", c.stored);
        Build();
        ASSERT_TRUE(detector_->StartDetect());
        ASSERT_TRUE(link_->WaitForCall("open 1"));
        EXPECT_EQ(link_->Calls().front(), c.firstOpen);
        detector_.reset();
    }
}

TEST_F(DetectorTest, Destruction_WritesLastPort) {
    Build();
    detector_.reset();
    std::string stored;
    ASSERT_TRUE(platform_->Profile("SerialPort", "LastCommport", stored));
    EXPECT_EQ(stored, "0");

    UsePorts({StringValue("\\Device\\USBSER000", "COM12")});
    link_->PutPhone(12, Phone("M", "I"));
    Build();
    ASSERT_TRUE(detector_->StartDetect());
    ASSERT_TRUE(WaitConnected());
    detector_.reset();
    ASSERT_TRUE(platform_->Profile("SerialPort", "LastCommport", stored));
    EXPECT_EQ(stored, "12");
}

TEST_F(DetectorTest, StartDetect_StartsOnlyOnce) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    Build();
    EXPECT_TRUE(detector_->StartDetect());
    EXPECT_FALSE(detector_->StartDetect());
    detector_->StopDetect();
    EXPECT_FALSE(detector_->StartDetect());
}

TEST_F(DetectorTest, StopDetect_EndsThreadAndClosesConnectedPortWithoutMessage) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->PutPhone(5, Phone("M", "I"));
    DetectorTimings timings = ShortTimings();
    timings.aliveWaitMs = kLongWaitMs;
    ASSERT_NO_FATAL_FAILURE(StartUntilFirstMessage(timings));

    detector_->StopDetect();

    EXPECT_FALSE(link_->IsOpen(5));
    EXPECT_FALSE(detector_->GetCurConnectStatus());
    size_t calls = link_->Calls().size();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(link_->Calls().size(), calls);
    EXPECT_EQ(platform_->Messages().size(), 1u);
}

TEST_F(DetectorTest, StopDetect_CutsLongWaitsShort) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    link_->OnDetect([&](SerloxIDTag) { detector_->ReGetSysSerloxList(); });
    DetectorTimings timings;  // the shipped waits, settle time included
    timings.settleMs = kLongWaitMs;
    timings.rescanWaitMs = 0;
    Build(timings);
    ASSERT_TRUE(detector_->StartDetect());
    ASSERT_TRUE(link_->WaitForCall("close 5"));

    auto started = std::chrono::steady_clock::now();
    detector_->StopDetect();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
}

TEST_F(DetectorTest, NoSerialMap_NothingIsProbed) {
    Build();
    ASSERT_TRUE(detector_->StartDetect());
    std::this_thread::sleep_for(30ms);
    detector_->StopDetect();
    EXPECT_TRUE(link_->Calls().empty());
    EXPECT_EQ(platform_->MapQueries(), 0u);
}

TEST_F(DetectorTest, EmptySerialMap_KeepsPreviousList) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    Build();
    ASSERT_TRUE(detector_->GetSysSerloxList());
    UsePorts({});
    EXPECT_FALSE(detector_->GetSysSerloxList());
    std::list<SerloxIDTag> ports;
    ASSERT_TRUE(detector_->GetSerloxListCopy(ports));
    EXPECT_EQ(ports, std::list<SerloxIDTag>{static_cast<SerloxIDTag>(5)});
}

TEST_F(DetectorTest, GettersDuringReconnects_SeeWholeTexts) {
    UsePorts({StringValue("\\Device\\USBSER000", "COM5")});
    const std::string longA(100, 'A');
    const std::string longB(100, 'B');
    std::atomic<int> probes{0};
    // Each probe swaps the phone's texts, so every check finds another IMEI.
    link_->OnDetect([&](SerloxIDTag) {
        int n = ++probes;
        link_->PutPhone(5, Phone(n % 2 ? longB : longA, n % 2 ? longA : longB));
    });
    link_->PutPhone(5, Phone(longA, longB));
    StopOnExit stopFirst{*this};
    Build();
    ASSERT_TRUE(detector_->StartDetect());

    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (probes < 20 && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& text : {detector_->GetCurConnectModel(), detector_->GetCurConnectImei()}) {
            ASSERT_TRUE(text.empty() || text == longA || text == longB) << text;
        }
    }
    EXPECT_GE(probes.load(), 20);
    EXPECT_GE(platform_->Messages().size(), 10u);
}

}  // namespace
}  // namespace porvesk::test

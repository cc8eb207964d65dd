// The connection detector with the real serial link and handset library against a
// simulated phone that changes under it: another IMEI while it is watched, its port
// leaving the serial device map, the cable pulled during each handset operation the
// detector runs, a slow line. The detector's waits are shortened through its test
// constructor and the handset library's through its own settings.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "detector_setup.h"
#include "fault_support.h"
#include "porvesk/porvesk.h"
#include "serlox/serlox.h"
#include "support/simulated_phone.h"

#if defined(_WIN32)
#include <ravelin/win32.h>

#include <future>
#include <utility>
#else
#include <cstdio>
#include <fstream>

#include "support/temp_folder.h"
#endif

namespace {

using namespace std::chrono_literals;
using ravelin::faults::HandsetWaits;
using ravelin::test::CountProcessResources;
using ravelin::test::Describe;
using ravelin::test::HoldsNoMoreThan;
using ravelin::test::ProcessResources;
using ravelin::test::SimulatedPhone;
using ravelin::test::WaitUntil;

constexpr char kModel[] = "QV-T410";
constexpr char kImei[] = "353918057226415";
constexpr char kSecondImei[] = "490154203237518";
constexpr char kPhoneDevice[] = "\\Device\\USBSER000";

// Commands the phone gets up to a connection: the probe ("ATZ", "ATE0",
// "AT+CGMM", "AT+CGSN"), then setting its flow control ("AT", "ATE0", "AT+IFC").
constexpr int kProbeCommands = 4;
constexpr int kCommandsUntilConnected = 7;

constexpr auto kFindBound = 15s;
constexpr auto kLossBound = 10s;
// Several scan passes with the short waits below.
constexpr auto kSeveralPasses = 1500ms;

using Messages = std::vector<uint32_t>;
const Messages kConnected{WM_CONDETECT_CONNECTED};
const Messages kLostAndFoundAgain{WM_CONDETECT_CONNECTED, WM_CONDETECT_DISCONNECTED, WM_CONDETECT_CONNECTED};

porvesk::DetectorTimings QuickTimings() {
    porvesk::DetectorTimings timings;
    timings.rescanWaitMs = 100;
    timings.settleMs = 100;
    timings.betweenPortsWaitMs = 100;
    timings.answerTimeoutMs = 300;
    timings.aliveWaitMs = 200;
    timings.handsetMutexWaitMs = 500;
    return timings;
}

#if defined(_WIN32)
// The system's serial device map: lists the phone's port under a phone driver's
// device name, or takes every value naming that port out. What it took out, it
// puts back at the end.
class SerialMapEditor {
public:
    SerialMapEditor() {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
        key_.reset(key);
    }
    ~SerialMapEditor() {
        RegDeleteValueA(key_.get(), kPhoneDevice);
        for (const auto& [name, data] : removed_) SetValue(name, data);
    }
    SerialMapEditor(const SerialMapEditor&) = delete;
    SerialMapEditor& operator=(const SerialMapEditor&) = delete;

    void List(int comPort) { SetValue(kPhoneDevice, "COM" + std::to_string(comPort)); }

    void Unlist(int comPort) {
        const std::string data = "COM" + std::to_string(comPort);
        std::vector<std::string> names;
        char name[256];
        BYTE value[256];
        for (DWORD index = 0;; ++index) {
            DWORD nameSize = sizeof name;
            DWORD valueSize = sizeof value - 1;
            DWORD type = 0;
            if (RegEnumValueA(key_.get(), index, name, &nameSize, nullptr, &type, value, &valueSize) != ERROR_SUCCESS)
                break;
            value[valueSize] = 0;
            if (type == REG_SZ && data == reinterpret_cast<char*>(value)) names.push_back(name);
        }
        for (const std::string& found : names) {
            if (found != kPhoneDevice) removed_.emplace_back(found, data);
            RegDeleteValueA(key_.get(), found.c_str());
        }
    }

    std::shared_ptr<porvesk::DetectorPlatform> Platform() { return porvesk::MakeSystemPlatform(); }

private:
    void SetValue(const std::string& name, const std::string& data) {
        RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    }

    ravelin::win32::UniqueRegKey key_;
    std::vector<std::pair<std::string, std::string>> removed_;
};

// A message-only window on a thread of its own that records the connection messages.
class MessageRecorder {
public:
    MessageRecorder() {
        std::promise<HWND> created;
        std::future<HWND> window = created.get_future();
        thread_ = std::thread([this, &created] { Run(created); });
        window_ = window.get();
    }
    ~MessageRecorder() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    ConDetectWindow Window() { return window_; }
    Messages Received() {
        std::lock_guard<std::mutex> hold(lock_);
        return messages_;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CONDETECT_CONNECTED || message == WM_CONDETECT_DISCONNECTED) {
            auto* self = reinterpret_cast<MessageRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            std::lock_guard<std::mutex> hold(self->lock_);
            self->messages_.push_back(message);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    void Run(std::promise<HWND>& created) {
        static constexpr char kClass[] = "RavelinFaultMessageRecorder";
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &MessageRecorder::Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassA(&windowClass);
        threadId_ = GetCurrentThreadId();
        HWND window =
            CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here on
        created.set_value(window);
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        DestroyWindow(window);
        UnregisterClassA(kClass, windowClass.hInstance);
    }

    std::thread thread_;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
    std::mutex lock_;
    Messages messages_;
};
#else
// A store folder whose serial device map lists a standard port with no device
// behind it and, while listed, the phone's port under a phone driver's name. The
// standard port keeps the map from ever being empty: an empty map leaves the
// detector's last port list in place.
class SerialMapEditor {
public:
    SerialMapEditor() { Write(""); }
    SerialMapEditor(const SerialMapEditor&) = delete;
    SerialMapEditor& operator=(const SerialMapEditor&) = delete;

    void List(int comPort) { Write(std::string(kPhoneDevice) + "\tREG_SZ\tCOM" + std::to_string(comPort) + "\n"); }
    void Unlist(int) { Write(""); }

    std::shared_ptr<porvesk::DetectorPlatform> Platform() { return porvesk::MakeFileStorePlatform(folder_.Path()); }

private:
    // Replaced as a whole, so that the detector never reads half a map.
    void Write(const std::string& phoneLine) {
        const std::string path = folder_.Entry("serialcomm");
        std::ofstream(path + ".new") << "\\Device\\Serial0\tREG_SZ\tCOM1\n" << phoneLine;
        std::rename((path + ".new").c_str(), path.c_str());
    }

    ravelin::test::TempFolder folder_{"ravelin-faults"};
};

class MessageRecorder {
public:
    ConDetectWindow Window() { return &window_; }
    Messages Received() {
        std::lock_guard<std::mutex> hold(lock_);
        return messages_;
    }

private:
    static void Receive(void* context, uint32_t message) {
        auto* self = static_cast<MessageRecorder*>(context);
        std::lock_guard<std::mutex> hold(self->lock_);
        self->messages_.push_back(message);
    }

    ConDetectNativeWindow window_{&MessageRecorder::Receive, this};
    std::mutex lock_;
    Messages messages_;
};
#endif

class DetectorFaultTest : public testing::Test {
protected:
    void SetUp() override {
#if defined(_WIN32)
        // Under Wine the second simulated phone sits on a listed port too; silent,
        // it is never taken for the phone under test.
        otherPhone_ = SimulatedPhone::Start(1, "--silent all");
#endif
    }

    void StartPhone(const std::string& options) {
        phone_ = SimulatedPhone::Start(0, std::string("--model ") + kModel + " --imei " + kImei + " " + options);
        map_.List(phone_->ComPort());
        // A first open may set up the system's serial stack once, and a first
        // detector the system's registry roots; neither is a leak.
        PortSettings settings{static_cast<uint32_t>(phone_->ComPort()), 115200, 0};
        ASSERT_EQ(Port()->Open(settings), LINK_OK);
        Port()->Close();
        { CConDetect idle(DetectorSetup()); }
        baseline_ = CountProcessResources();
    }

    porvesk::DetectorSetup DetectorSetup() {
        porvesk::DetectorSetup setup;
        setup.timings = QuickTimings();
        setup.link = porvesk::MakeSystemHandsetLink();
        setup.platform = map_.Platform();
        return setup;
    }

    void StartDetector() {
        detector_ = std::make_unique<CConDetect>(DetectorSetup());
        detector_->RegisterRecvConChangeMsg(recorder_.Window());
        ASSERT_TRUE(detector_->StartDetect());
    }

    void TearDown() override {
        if (detector_ == nullptr) return;
        detector_.reset();
        // Under Windows a failed assertion makes the test framework start a
        // thread of its own; only a test that passed so far is checked.
        if (HasFailure()) return;
        EXPECT_TRUE(WaitUntil([&] { return HoldsNoMoreThan(CountProcessResources(), baseline_); }, 2s))
            << "before: " << Describe(baseline_) << "; after: " << Describe(CountProcessResources());
    }

    CSerloxObj* Port() { return SerloxGetObj(phone_->ComPort()); }
    bool Connected() { return detector_->GetCurConnectStatus(); }
    bool PhonePlugged() { return !phone_->Request("pty").front().empty(); }

    void ExpectConnectedTo(const char* imei) {
        EXPECT_EQ(detector_->GetCurConnectPort(), phone_->ComPort());
        EXPECT_EQ(detector_->GetCurConnectModel(), kModel);
        EXPECT_EQ(detector_->GetCurConnectImei(), imei);
    }

    // Declared first: the messages may arrive until the detector is gone.
    MessageRecorder recorder_;
    HandsetWaits waits_{1, 300, 500};
    SerialMapEditor map_;
    std::unique_ptr<SimulatedPhone> otherPhone_;
    std::unique_ptr<SimulatedPhone> phone_;
    ProcessResources baseline_;
    std::unique_ptr<CConDetect> detector_;
};

TEST_F(DetectorFaultTest, ImeiChangingWhileWatched_DisconnectsThenFindsTheNewHandset) {
    StartPhone(std::string("--second-imei ") + kSecondImei + " --imei-change-after " +
               std::to_string(kCommandsUntilConnected));
    StartDetector();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kFindBound));
    ExpectConnectedTo(kImei);

    ASSERT_TRUE(WaitUntil([&] { return Connected() && detector_->GetCurConnectImei() == kSecondImei; }, kFindBound));
    ExpectConnectedTo(kSecondImei);
    detector_->StopDetect();
    EXPECT_EQ(recorder_.Received(), kLostAndFoundAgain);
}

TEST_F(DetectorFaultTest, PortLeavingSerialMap_IsNoLongerProbedUntilListedAgain) {
    StartPhone("");
    StartDetector();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kFindBound));

    // The cable is pulled: the port goes from the map and the device with it.
    map_.Unlist(phone_->ComPort());
    phone_->Hangup();
    ASSERT_TRUE(WaitUntil([&] { return !Connected(); }, kLossBound));
    phone_->Reset(std::string("--model ") + kModel + " --imei " + kImei);
    phone_->Plug();
    std::this_thread::sleep_for(kSeveralPasses);
    EXPECT_FALSE(Connected());
    EXPECT_EQ(phone_->Commands(), std::vector<std::string>{}) << "a port that is no longer listed was probed";

    map_.List(phone_->ComPort());
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kFindBound));
    ExpectConnectedTo(kImei);
    detector_->StopDetect();
    EXPECT_EQ(recorder_.Received(), kLostAndFoundAgain);
}

// The phone pulls its cable once it has answered the n-th command line.
struct PullCase {
    const char* during;
    int answered;
};

void PrintTo(const PullCase& pull, std::ostream* out) {
    *out << pull.during << " (after command " << pull.answered << ")";
}

class CablePulledWhileDetectingTest : public DetectorFaultTest, public testing::WithParamInterface<PullCase> {};

TEST_P(CablePulledWhileDetectingTest, DetectorFindsThePhoneAgainAfterReplug) {
    const int answered = GetParam().answered;
    StartPhone("--hangup-after " + std::to_string(answered));
    StartDetector();
    ASSERT_TRUE(WaitUntil([&] { return !PhonePlugged(); }, kFindBound));
    ASSERT_TRUE(WaitUntil([&] { return !Connected() && Port()->IsOpen() == 0; }, kLossBound));
    if (answered >= kProbeCommands) {
        ASSERT_TRUE(WaitUntil([&] { return recorder_.Received().size() == 2; }, kLossBound));
    }

    phone_->Plug();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kFindBound));
    ExpectConnectedTo(kImei);
    detector_->StopDetect();
    // A probe cut short connects nothing; from a complete probe on, the loss is
    // noticed by the watch.
    EXPECT_EQ(recorder_.Received(), answered < kProbeCommands ? kConnected : kLostAndFoundAgain);
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, CablePulledWhileDetectingTest,
                         testing::Values(PullCase{"DuringProbe", 2}, PullCase{"AfterProbe", kProbeCommands},
                                         PullCase{"DuringFlowControl", 6},
                                         PullCase{"AfterFlowControl", kCommandsUntilConnected},
                                         PullCase{"DuringWatch", 9}),
                         [](const testing::TestParamInfo<PullCase>& info) { return info.param.during; });

class SlowLineDetectionTest : public DetectorFaultTest, public testing::WithParamInterface<const char*> {};

TEST_P(SlowLineDetectionTest, PhoneIsFoundWithItsTexts) {
    StartPhone(GetParam());
    StartDetector();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kFindBound));
    ExpectConnectedTo(kImei);
    detector_->StopDetect();
    EXPECT_EQ(recorder_.Received(), kConnected);
}

INSTANTIATE_TEST_SUITE_P(Line, SlowLineDetectionTest, testing::Values("--split", "--pace 115200"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).find("split") != std::string::npos ? "SplitByteByByte"
                                                                                               : "Paced115200";
                         });

}  // namespace

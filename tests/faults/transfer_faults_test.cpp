// A media-centre item of 1 MiB read with ReadMediaCenter over the real serial link
// from the simulated phone: every byte arrives, also with software flow control
// escaping a third of the byte values on the wire; a transfer cut short by a
// pulled cable, a phone that stops after announcing the item and an announced
// length no item can have all fail in time and hand out no buffer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "fault_support.h"
#include "mextal/mextal.h"
#include "serlox/serlox.h"
#include "support/simulated_phone.h"

#if defined(_WIN32)
#include <ravelin/win32.h>
#endif

namespace {

using namespace std::chrono_literals;
using ravelin::faults::HandsetWaits;
using ravelin::faults::Stopwatch;
using ravelin::test::CountProcessResources;
using ravelin::test::Describe;
using ravelin::test::HoldsNoMoreThan;
using ravelin::test::ProcessResources;
using ravelin::test::SimulatedPhone;
using ravelin::test::WaitUntil;
using testing::AnyOf;
using testing::Eq;

constexpr uint32_t kBaudRate = 115200;
constexpr int32_t kCategory = 3;
constexpr char kItem[] = "Large.bin";
constexpr uint32_t kItemBytes = 1024 * 1024;
constexpr char kSmallItem[] = "Small.bin";
constexpr uint32_t kSmallItemBytes = 4096;
constexpr int32_t kResponseMs = 500;
constexpr long long kSlackMs = 3000;
constexpr long long kHangupGraceMs = 1000;
constexpr char kFlowIndexVariable[] = "MODQUAR_FLOW_CONTROL_INDEX";
constexpr char kSoftwareFlowIndex[] = "0";
constexpr int32_t kSoftwareFlowMode = 1;

std::string Items() {
    return "--mc-item " + std::to_string(kCategory) + ":41:" + kItem + ":" + std::to_string(kItemBytes) +
           " --mc-item " + std::to_string(kCategory) + ":42:" + kSmallItem + ":" + std::to_string(kSmallItemBytes);
}

// The phone's generated content: byte i is (i * 131 + size) & 0xFF. The index of
// the first byte that differs, or `size` when all match.
uint32_t FirstWrongByte(const uint8_t* data, uint32_t size) {
    for (uint32_t i = 0; i < size; ++i) {
        if (data[i] != static_cast<uint8_t>((i * 131u + size) & 0xFFu)) return i;
    }
    return size;
}

// The model agent's flow-control index for the lifetime of the object.
class FlowIndex {
public:
    explicit FlowIndex(const char* index) { Set(index); }
    ~FlowIndex() { Set(nullptr); }
    FlowIndex(const FlowIndex&) = delete;
    FlowIndex& operator=(const FlowIndex&) = delete;

private:
    static void Set(const char* index) {
#if defined(_WIN32)
        SetEnvironmentVariableA(kFlowIndexVariable, index);
#else
        if (index != nullptr) {
            setenv(kFlowIndexVariable, index, 1);
        } else {
            unsetenv(kFlowIndexVariable);
        }
#endif
    }
};

class TransferFaultTest : public testing::Test {
protected:
    void StartPhone(const std::string& options) {
        phone_ = SimulatedPhone::Start(0, Items() + " " + options);
        settings_ = PortSettings{static_cast<uint32_t>(phone_->ComPort()), kBaudRate, 0};
        port_ = SerloxGetObj(phone_->ComPort());
        ASSERT_NE(port_, nullptr);
        // A first open may set up the system's serial stack once; that is no leak.
        ASSERT_EQ(port_->Open(settings_), LINK_OK);
        port_->Close();
        baseline_ = CountProcessResources();
        ASSERT_EQ(port_->Open(settings_), LINK_OK);
    }

    void TearDown() override {
        if (data_ != nullptr) FreeRecvMem(&data_);
        if (port_ == nullptr) return;
        port_->Close();
        // Under Windows a failed assertion makes the test framework start a
        // thread of its own; only a test that passed so far is checked.
        if (HasFailure()) return;
        EXPECT_TRUE(WaitUntil([&] { return HoldsNoMoreThan(CountProcessResources(), baseline_); }, 2s))
            << "before: " << Describe(baseline_) << "; after: " << Describe(CountProcessResources());
    }

    int32_t Read(const char* name) {
        return ReadMediaCenter(&settings_, kCategory, MC_ITEM_MEDIA_CENTER, 0, name, &data_, &length_);
    }

    void ExpectWhole(const char* name, uint32_t size) {
        ASSERT_EQ(Read(name), MEXTAL_OK);
        ASSERT_NE(data_, nullptr);
        ASSERT_EQ(length_, size);
        EXPECT_EQ(FirstWrongByte(data_, size), size);
        FreeRecvMem(&data_);
        length_ = 0;
    }

    void ExpectNoBuffer() {
        EXPECT_EQ(data_, nullptr);
        EXPECT_EQ(length_, 0u);
    }

    bool PhonePlugged() { return !phone_->Request("pty").front().empty(); }

    HandsetWaits waits_{3, 2000, kResponseMs};
    std::unique_ptr<SimulatedPhone> phone_;
    PortSettings settings_{};
    CSerloxObj* port_ = nullptr;
    ProcessResources baseline_;
    uint8_t* data_ = nullptr;
    uint32_t length_ = 0;
};

TEST_F(TransferFaultTest, ItemOf1MiB_ArrivesByteForByte) {
    StartPhone("");
    ExpectWhole(kItem, kItemBytes);
}

// The content holds every byte value, XON, XOFF and the escape byte among them.
TEST_F(TransferFaultTest, ItemOf1MiBUnderSoftwareFlowControl_ArrivesByteForByte) {
    FlowIndex software(kSoftwareFlowIndex);
    StartPhone("");
    ASSERT_EQ(SetMsFlowControl(&settings_, kSoftwareFlowMode), MEXTAL_OK);
    ExpectWhole(kItem, kItemBytes);
    ExpectWhole(kSmallItem, kSmallItemBytes);
}

TEST_F(TransferFaultTest, CablePulledHalfwayThroughItem_FailsAndHandsOutNoBuffer) {
    StartPhone("--cut-raw AT$QKMCR=" + std::to_string(kItemBytes / 2));
    Stopwatch watch;
    // Which one depends on whether the read meets the closed port or waits for
    // a piece that never comes.
    EXPECT_THAT(Read(kItem), AnyOf(Eq(LINK_TIMEOUT), Eq(LINK_NOT_OPEN)));
    EXPECT_LT(watch.ElapsedMs(), kResponseMs + kHangupGraceMs + kSlackMs);
    ExpectNoBuffer();
    ASSERT_TRUE(WaitUntil([&] { return !PhonePlugged(); }, 3s));
    EXPECT_TRUE(WaitUntil([&] { return port_->IsOpen() == 0; }, 3s)) << "the reader did not notice the loss";

    phone_->Reset(Items());
    phone_->Plug();
    ASSERT_EQ(port_->Open(settings_), LINK_OK);
    ExpectWhole(kItem, kItemBytes);
}

TEST_F(TransferFaultTest, PhoneStoppingAfterAnnouncingItem_TimesOutAndHandsOutNoBuffer) {
    StartPhone("--stall AT$QKMCR");
    Stopwatch watch;
    EXPECT_EQ(Read(kItem), LINK_TIMEOUT);
    const long long elapsed = watch.ElapsedMs();
    EXPECT_GE(elapsed, kResponseMs * 9 / 10);
    EXPECT_LT(elapsed, kResponseMs + kSlackMs);
    ExpectNoBuffer();
    phone_->Reset(Items());
    ExpectWhole(kSmallItem, kSmallItemBytes);
}

// 4294967295 bytes: nothing is allocated for it and nothing is waited for.
TEST_F(TransferFaultTest, AnnouncedLengthBeyondAnyItem_IsRefusedWithoutWaiting) {
    StartPhone("--bad-length AT$QKMCR");
    Stopwatch watch;
    EXPECT_EQ(Read(kItem), MEXTAL_UNEXPECTED_ANSWER);
    EXPECT_LT(watch.ElapsedMs(), kSlackMs);
    ExpectNoBuffer();
    phone_->Reset(Items());
    ExpectWhole(kSmallItem, kSmallItemBytes);
}

}  // namespace

// The library against the handset simulator over the real serial link.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mextal/mextal.h"
#include "serlox/serlox.h"
#include "simulated_phone.h"

namespace {

using ravelin::test::SimulatedPhone;
using testing::AnyOf;
using testing::Eq;

constexpr uint32_t kBaudRate = 115200;
constexpr int32_t kShortTimeoutMs = 300;
// Codes of the response parser that the operations pass on.
constexpr int32_t kUnrecognisedAnswer = 4097;
constexpr int32_t kWrongFieldCount = 4102;
constexpr const char* kModel = "TAVO-Q9";
constexpr const char* kImei = "356938035643809";

class SimulatorTest : public testing::Test {
protected:
    void StartPhone(const std::string& options) {
        phone_ = SimulatedPhone::Start(0, "--model " + std::string(kModel) + " --imei " + kImei + " " + options);
        settings_ = PortSettings{static_cast<uint32_t>(phone_->ComPort()), kBaudRate, 0};
        port_ = SerloxGetObj(phone_->ComPort());
        ASSERT_NE(nullptr, port_);
        ASSERT_EQ(LINK_OK, port_->Open(settings_));
    }

    void TearDown() override {
        if (port_ != nullptr) port_->Close();
        SetRetryInfo(3, 2000);
        SetWaitResTime(10000);
    }

    size_t CountCommands(const std::string& command) {
        std::vector<std::string> commands = phone_->Commands();
        return std::count(commands.begin(), commands.end(), command);
    }

    std::unique_ptr<SimulatedPhone> phone_;
    PortSettings settings_{};
    CSerloxObj* port_ = nullptr;
    char model_[128] = {};
    char imei_[128] = {};
};

TEST_F(SimulatorTest, QueryModelAndImeiOfDefaultPhone) {
    StartPhone("");
    ASSERT_EQ(MEXTAL_OK, QueryModel(&settings_, model_, sizeof model_));
    EXPECT_STREQ(kModel, model_);
    ASSERT_EQ(MEXTAL_OK, QueryImei(&settings_, imei_, sizeof imei_));
    EXPECT_STREQ(kImei, imei_);
}

TEST_F(SimulatorTest, DetectHandSetModelResetsAndReadsBoth) {
    StartPhone("");
    ASSERT_EQ(MEXTAL_OK, DetectHandSetModel(&settings_, 4, 2000, model_, sizeof model_, imei_, sizeof imei_));
    EXPECT_STREQ(kModel, model_);
    EXPECT_STREQ(kImei, imei_);
    EXPECT_EQ(1u, CountCommands("ATZ"));
    EXPECT_EQ(0u, CountCommands("AT"));
}

TEST_F(SimulatorTest, SetMsFlowControlSendsMode) {
    StartPhone("");
    EXPECT_EQ(MEXTAL_OK, SetMsFlowControl(&settings_, 2));
    EXPECT_EQ(MEXTAL_OK, SetMsFlowControl(&settings_, 0));
    EXPECT_EQ(1u, CountCommands("AT+IFC=2"));
    EXPECT_EQ(1u, CountCommands("AT+IFC=0"));
}

TEST_F(SimulatorTest, SingleFieldImeiIsRefused) {
    StartPhone("--imei-format single");
    std::memset(imei_, 'Z', sizeof imei_);
    EXPECT_EQ(kWrongFieldCount, QueryImei(&settings_, imei_, sizeof imei_));
    EXPECT_STREQ("", imei_);
    EXPECT_EQ(kWrongFieldCount, DetectHandSetModel(&settings_, 1, 2000, model_, sizeof model_, imei_, sizeof imei_));
    EXPECT_STREQ(kModel, model_);
}

TEST_F(SimulatorTest, RefusedCommandsGiveHandsetError) {
    StartPhone("--error AT+CGSN --error AT+IFC");
    EXPECT_EQ(MEXTAL_HANDSET_ERROR, QueryImei(&settings_, imei_, sizeof imei_));
    EXPECT_EQ(MEXTAL_HANDSET_ERROR, SetMsFlowControl(&settings_, 2));
    EXPECT_EQ(MEXTAL_OK, QueryModel(&settings_, model_, sizeof model_));
}

TEST_F(SimulatorTest, SilentModelQueryTimesOut) {
    StartPhone("--silent AT+CGMM");
    SetWaitResTime(kShortTimeoutMs);
    EXPECT_EQ(LINK_TIMEOUT, QueryModel(&settings_, model_, sizeof model_));
    EXPECT_STREQ("", model_);
}

TEST_F(SimulatorTest, SilentPhoneGetsEveryHandshakeTry) {
    StartPhone("--silent AT");
    SetRetryInfo(3, kShortTimeoutMs);
    EXPECT_EQ(LINK_TIMEOUT, QueryModel(&settings_, model_, sizeof model_));
    EXPECT_EQ(3u, CountCommands("AT"));
    EXPECT_EQ(0u, CountCommands("AT+CGMM"));
}

TEST_F(SimulatorTest, SilentResetIsTriedAttemptsPlusOneTimes) {
    StartPhone("--silent ATZ");
    EXPECT_EQ(LINK_TIMEOUT,
              DetectHandSetModel(&settings_, 1, kShortTimeoutMs, model_, sizeof model_, imei_, sizeof imei_));
    EXPECT_EQ(2u, CountCommands("ATZ"));
}

TEST_F(SimulatorTest, GarbageBeforeAnswersIsNotTakenForAnAnswer) {
    StartPhone("--garbage");
    SetRetryInfo(3, kShortTimeoutMs);
    SetWaitResTime(kShortTimeoutMs);
    // The handshake meets an unknown line first; should a late "OK" from an
    // earlier try slip through, the echo that follows it is out of place.
    EXPECT_THAT(QueryModel(&settings_, model_, sizeof model_),
                AnyOf(Eq(kUnrecognisedAnswer), Eq(MEXTAL_UNEXPECTED_ANSWER)));
    EXPECT_STREQ("", model_);
}

TEST_F(SimulatorTest, LinesSplitInPiecesAreReassembled) {
    StartPhone("--split");
    ASSERT_EQ(MEXTAL_OK, DetectHandSetModel(&settings_, 1, 2000, model_, sizeof model_, imei_, sizeof imei_));
    EXPECT_STREQ(kModel, model_);
    EXPECT_STREQ(kImei, imei_);
}

TEST_F(SimulatorTest, SlowAnswersWithinTimeoutsSucceed) {
    StartPhone("--delay 200");
    ASSERT_EQ(MEXTAL_OK, QueryModel(&settings_, model_, sizeof model_));
    EXPECT_STREQ(kModel, model_);
}

TEST_F(SimulatorTest, AnswersSlowerThanResponseTimeoutFail) {
    StartPhone("--delay 400");
    SetWaitResTime(100);
    EXPECT_EQ(LINK_TIMEOUT, QueryModel(&settings_, model_, sizeof model_));
}

TEST_F(SimulatorTest, ModelWithCommaIsRefused) {
    StartPhone("--model A,B");
    EXPECT_EQ(kWrongFieldCount, QueryModel(&settings_, model_, sizeof model_));
    EXPECT_STREQ("", model_);
}

TEST_F(SimulatorTest, LongModelIsCutToBuffer) {
    StartPhone("--model " + std::string(200, 'M'));
    ASSERT_EQ(MEXTAL_OK, QueryModel(&settings_, model_, sizeof model_));
    EXPECT_EQ(std::string(sizeof model_ - 1, 'M'), std::string(model_));
}

}  // namespace

// Restarting the handset and reading the SIM phonebook's figures against the
// handset simulator over the real serial link. The simulated SIM has 250 records
// of 30 bytes unless told otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "mextal/mextal.h"
#include "serlox/serlox.h"
#include "simulated_phone.h"
#include "simulated_port_fixture.h"

namespace {

using ravelin::test::SimulatedPhone;

constexpr int32_t kShortTimeoutMs = 300;
constexpr int kRebootDelayMs = 300;
constexpr auto kComeBackWithin = std::chrono::seconds(10);

class SimSimulatorTest : public mextal::test::SimulatedPortTest {
protected:
    void TearDown() override {
        ClosePort();
        SetWaitResTime(10000);
        SetRetryInfo(3, 2000);
    }

    // Both figures; each is 0 whenever its operation fails.
    void ExpectFigures(int32_t result, uint32_t records, uint32_t textLength, const std::string& what) {
        uint32_t count = 7;
        uint32_t length = 7;
        EXPECT_EQ(result, GetSIMCount(&settings_, &count)) << what;
        EXPECT_EQ(result, GetSIMTextLength(&settings_, &length)) << what;
        EXPECT_EQ(result == MEXTAL_OK ? records : 0u, count) << what;
        EXPECT_EQ(result == MEXTAL_OK ? textLength : 0u, length) << what;
    }

    // Reopens the port until the handset answers again.
    bool ComesBack() {
        auto deadline = std::chrono::steady_clock::now() + kComeBackWithin;
        while (std::chrono::steady_clock::now() < deadline) {
            port_->Close();
            char model[64];
            if (port_->Open(settings_) == LINK_OK && QueryModel(&settings_, model, sizeof model) == MEXTAL_OK) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
};

TEST_F(SimSimulatorTest, PhonebookFiguresInEveryAnswerForm) {
    StartPhone();
    const std::vector<std::pair<std::string, std::vector<uint32_t>>> cases = {
        {"", {250, 16}},
        {"--sim-format usim", {250, 16}},
        {"--sim-records 100 --sim-record-length 42", {100, 28}},
        {"--sim-format usim --sim-records 254 --sim-record-length 14", {254, 0}},
    };
    for (const auto& [options, figures] : cases) {
        phone_->Reset(options);
        ExpectFigures(MEXTAL_OK, figures[0], figures[1], options);
    }
    EXPECT_EQ(2u, CountCommands("AT+CRSM=192,28474,0,0,15"));
}

TEST_F(SimSimulatorTest, FailuresGiveTheirCodes) {
    StartPhone();
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"--fail AT+CRSM=37892", -37892},
        {"--no-sim", MEXTAL_HANDSET_ERROR},
        {"--error AT+CRSM", MEXTAL_HANDSET_ERROR},
        {"--silent AT+CRSM", LINK_TIMEOUT},
        {"--stall AT+CRSM", MEXTAL_FINAL_ANSWER_FAILED},
    };
    for (const auto& [options, result] : cases) {
        phone_->Reset(options);
        SetWaitResTime(kShortTimeoutMs);
        ExpectFigures(result, 0, 0, options);
    }
}

// The SIM's IMSI and service provider name; a SIM without EF SPN gives its
// status, a missing SIM minus the handset's equipment error.
TEST_F(SimSimulatorTest, ImsiAndServiceProviderName) {
    StartPhone();
    const struct {
        std::string options;
        int32_t imsiResult;
        std::string imsi;
        int32_t spnResult;
        std::string spn;
    } cases[] = {
        {"--imsi 262019876543210 --spn \"Talk 4 Less\"", MEXTAL_OK, "262019876543210", MEXTAL_OK, "Talk 4 Less"},
        {"--imsi 310010", MEXTAL_OK, "310010", -37892, ""},
        {"--sim-state absent --spn X", -10, "", -10, ""},
    };
    for (const auto& c : cases) {
        phone_->Reset(c.options);
        SetWaitResTime(kShortTimeoutMs);
        char imsi[16] = "x";
        char spn[32] = "x";
        EXPECT_EQ(c.imsiResult, QueryImsi(&settings_, imsi, sizeof imsi)) << c.options;
        EXPECT_EQ(c.imsi, imsi) << c.options;
        EXPECT_EQ(c.spnResult, QuerySimSpn(&settings_, spn, sizeof spn)) << c.options;
        EXPECT_EQ(c.spn, spn) << c.options;
    }
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, QueryImsi(&settings_, nullptr, 16));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, QuerySimSpn(&settings_, nullptr, 16));
}

TEST_F(SimSimulatorTest, RebootChecksModeAndRefusalsGiveHandsetError) {
    StartPhone("--error AT+SYSTEM");
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, RebootMs(&settings_, 2));
    EXPECT_EQ(0u, CountCommands("AT+SYSTEM"));
    EXPECT_EQ(MEXTAL_HANDSET_ERROR, RebootMs(&settings_, 0));
    phone_->Reset("--fail AT+SYSTEM=4");
    EXPECT_EQ(MEXTAL_HANDSET_ERROR, RebootMs(&settings_, 1));
}

TEST_F(SimSimulatorTest, RestartedHandsetAnswersAgainOnReopenedPort) {
    StartPhone("--reboot-delay " + std::to_string(kRebootDelayMs));
    ASSERT_EQ(MEXTAL_OK, RebootMs(&settings_, 0));
    SetWaitResTime(kShortTimeoutMs);
    SetRetryInfo(1, kShortTimeoutMs);
    uint32_t count = 7;
    EXPECT_NE(MEXTAL_OK, GetSIMCount(&settings_, &count));
    EXPECT_EQ(0u, count);
    SetRetryInfo(3, 2000);
    SetWaitResTime(10000);
    ASSERT_TRUE(ComesBack());
    ExpectFigures(MEXTAL_OK, 250, 16, "after the restart");
}

}  // namespace

#include <gtest/gtest.h>

#include "dialup_step.h"
#include "restart_step.h"
#include "wizard_doubles.h"

namespace ravelinwiz {
namespace {

using testing::FakePhonebook;
using testing::FakeSystem;
using testing::FakeUi;
using testing::RecordingProfile;
using testing::RecordingRestarter;

struct DialUpRun {
    FakeUi ui;
    FakeSystem system;
    FakePhonebook phonebook;
    RecordingProfile profile;
    EntryWriter writer{system, phonebook, profile};
    DialUpFields fields{u"Tavo GPRS", u"*99#", u"", u""};

    DialUpOutcome Next(const std::string& model) { return RunDialUpStep(model, fields, ui, writer); }
};

TEST(DialUpStep, WritesEntryOverTheModelsModemAndMovesOnWithNextOnly) {
    DialUpRun run;
    const DialUpOutcome outcome = run.Next("SULD8F");

    EXPECT_TRUE(outcome.goOn);
    EXPECT_EQ(run.phonebook.log, (std::vector<std::string>{"deleteW", "validateW", "setW", "dialparamsW"}));
    EXPECT_EQ(run.phonebook.wideDeletedNames, std::vector<std::u16string>{u"Tavo GPRS"});
    EXPECT_EQ(std::u16string(run.phonebook.widePropertyWrites.at(0).entry.szDeviceName),
              u"Tavo-Nelm KM20 USB Communication Class");
    EXPECT_EQ(std::u16string(run.phonebook.widePropertyWrites.at(0).entry.szLocalPhoneNumber), u"*99#");
    EXPECT_EQ(run.ui.buttons, (std::vector<WizardButtons>{kButtonsNone, kButtonNext}));
    EXPECT_TRUE(run.ui.messages.empty());
}

TEST(DialUpStep, UnknownOrLowerCaseModel_UsesTheGenericModem) {
    for (const char* model : {"suld8f", ""}) {
        DialUpRun run;
        EXPECT_TRUE(run.Next(model).goOn);
        EXPECT_EQ(std::u16string(run.phonebook.widePropertyWrites.at(0).entry.szDeviceName),
                  u"Tavo Generic USB Wireless Modem");
    }
}

TEST(DialUpStep, FailedDeletion_IsNotAnError) {
    DialUpRun run;
    run.phonebook.deleteResult = 623;
    EXPECT_TRUE(run.Next("X9").goOn);
}

struct EmptyFieldCase {
    const char16_t* connectionName;
    const char16_t* dialNumber;
    StringId message;
};

class EmptyDialUpField : public ::testing::TestWithParam<EmptyFieldCase> {};

TEST_P(EmptyDialUpField, ShowsItsMessageTouchesNothingAndLetsTheUserRetry) {
    const EmptyFieldCase& c = GetParam();
    DialUpRun run;
    run.fields.connectionName = c.connectionName;
    run.fields.dialNumber = c.dialNumber;

    EXPECT_FALSE(run.Next("X9").goOn);
    EXPECT_EQ(run.ui.messages, std::vector<StringId>{c.message});
    EXPECT_TRUE(run.phonebook.log.empty());
    EXPECT_EQ(run.ui.LastButtons(), kButtonBack | kButtonNext);
}

INSTANTIATE_TEST_SUITE_P(Fields, EmptyDialUpField,
                         ::testing::Values(EmptyFieldCase{u"", u"*99#", kStrConnectionNameEmpty},
                                           EmptyFieldCase{u"GPRS", u"", kStrDialNumberEmpty},
                                           EmptyFieldCase{u"", u"", kStrConnectionNameEmpty}));

TEST(DialUpStep, WriterFailure_StaysWithBackOnlyAndNoMessage) {
    for (uint32_t code : {123u, 183u, 623u, 5u}) {
        DialUpRun run;
        run.phonebook.validateResult = code;
        const DialUpOutcome outcome = run.Next("X9");
        EXPECT_FALSE(outcome.goOn);
        EXPECT_FALSE(outcome.failureText.empty());
        EXPECT_TRUE(run.ui.messages.empty());
        EXPECT_EQ(run.ui.LastButtons(), kButtonBack);
    }
}

TEST(DialUpStep, EditLimitsMatchTheRecordFields) {
    EXPECT_EQ(kConnectionNameLimit, sizeof(RasDialParamsV1::szEntryName) - 1);
    EXPECT_EQ(kDialNumberLimit, sizeof(RasEntryV1::szLocalPhoneNumber) - 1);
    EXPECT_EQ(kUserNameLimit, sizeof(RasDialParamsV1::szUserName) - 1);
    EXPECT_EQ(kPasswordLimit, sizeof(RasDialParamsV1::szPassword) - 1);
}

struct FinishCase {
    const char* name;
    RestartChoice choice;
    OsVersion version;
    std::vector<std::string> expectedCalls;
};

class FinishPage : public ::testing::TestWithParam<FinishCase> {};

TEST_P(FinishPage, RestartsOnlyWhenAskedWithPrivilegeOnNt) {
    const FinishCase& c = GetParam();
    FakeSystem system;
    system.version = c.version;
    RecordingRestarter restarter;

    RunFinish(c.choice, system, restarter);
    EXPECT_EQ(restarter.calls, c.expectedCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, FinishPage,
    ::testing::Values(
        FinishCase{"LaterOnNt", RestartChoice::kLater, testing::WindowsXp(), {}},
        FinishCase{"LaterOn98", RestartChoice::kLater, testing::Windows98(), {}},
        FinishCase{"NowOnNt", RestartChoice::kNow, testing::WindowsXp(), {"privilege", "reboot"}},
        FinishCase{"NowOnNt4", RestartChoice::kNow, OsVersion{true, 0, kPlatformNt, 4, 0}, {"privilege", "reboot"}},
        FinishCase{"NowOn95", RestartChoice::kNow, testing::Windows95(), {"reboot"}},
        FinishCase{"NowOnMe", RestartChoice::kNow, testing::WindowsMe(), {"reboot"}},
        FinishCase{"NowVersionUnknown", RestartChoice::kNow, OsVersion{}, {"reboot"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ravelinwiz

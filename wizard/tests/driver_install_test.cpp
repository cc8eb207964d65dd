#include "driver_install.h"

#include <gtest/gtest.h>

#include "model_table.h"
#include "ravelin/trace_testing.h"
#include "support/trace_file.h"
#include "wizard_doubles.h"

namespace ravelinwiz {
namespace {

using testing::FakeStarter;
using testing::FakeSystem;
using testing::FakeUi;

constexpr char kGenericId[] = "tavo_generic_usb_wireless_modem";
constexpr char kGenericName[] = "Tavo Generic USB Wireless Modem";

struct ModelCase {
    const char* model;
    const char* hardwareId;
    const char* friendlyName;
};

class ModelTableLookup : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModelTableLookup, GivesDriverOfExactlyEqualModel) {
    const ModelCase& c = GetParam();
    const ModemDriver& driver = LookupModemDriver(c.model);
    EXPECT_STREQ(driver.hardwareId, c.hardwareId);
    EXPECT_STREQ(driver.friendlyName, c.friendlyName);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRowAndMisses, ModelTableLookup,
    ::testing::Values(ModelCase{"83K55_Q38", kGenericId, kGenericName},
                      ModelCase{"83K61_Q74T9M", kGenericId, kGenericName},
                      ModelCase{"83K47_Q62T5M", kGenericId, kGenericName}, ModelCase{"X9", kGenericId, kGenericName},
                      ModelCase{"WIKU9D", kGenericId, kGenericName},
                      ModelCase{"JOVE4N", "USB\\Vid_2e1a&Pid_4015&Rev_0100", "Tavo KM9 USB Communication"},
                      ModelCase{"SULD8F", "USB\\VID_2E1A&PID_4019", "Tavo-Nelm KM20 USB Communication Class"},
                      ModelCase{"ZEKO6W", "USB\\Vid_2e1a&Pid_4021&Rev_0100", "Tavo-Nelm KM3 USB Communication Class"},
                      ModelCase{"RIVA7G", kGenericId, kGenericName}, ModelCase{"MOXT5K", kGenericId, kGenericName},
                      ModelCase{"zeko6w", kGenericId, kGenericName}, ModelCase{"ZEKO6W ", kGenericId, kGenericName},
                      ModelCase{"ZEKO6", kGenericId, kGenericName}, ModelCase{"SULD8F\r", kGenericId, kGenericName},
                      ModelCase{"", kGenericId, kGenericName}, ModelCase{"N95", kGenericId, kGenericName}));

TEST(ModelTable, HoldsTheTenModelsInLookupOrder) {
    ASSERT_EQ(kModelTableSize, 10u);
    EXPECT_STREQ(kModelTable[0].modelCode, "83K55_Q38");
    EXPECT_STREQ(kModelTable[9].modelCode, "MOXT5K");
}

struct Installation {
    FakeUi ui;
    FakeSystem system;
    FakeStarter starter;

    InstallOutcome Next(const std::string& model, const std::string& port, const std::string& apn) {
        return RunDriverInstallation(model, {port, apn}, ui, system, starter);
    }
};

TEST(DriverInstallation, ZekoModel_RunsThe32BitInstallerWithItsHardwareId) {
    Installation run;
    const InstallOutcome outcome = run.Next("ZEKO6W", "COM5", "internet");

    EXPECT_TRUE(outcome.goOn);
    ASSERT_EQ(run.starter.calls.size(), 1u);
    const testing::ProcessCall& call = run.starter.calls[0];
    EXPECT_FALSE(call.shell);
    EXPECT_EQ(call.program, "C:\\Program Files\\Tavo\\GMINST32.exe");
    EXPECT_EQ(call.arguments, "MDMTavo.inf;COM5;internet;USB\\Vid_2e1a&Pid_4021&Rev_0100");
    EXPECT_EQ(call.waitMs, 600000u);
    EXPECT_TRUE(run.ui.messages.empty());
    EXPECT_EQ(run.ui.buttons, (std::vector<WizardButtons>{kButtonsNone, kButtonBack | kButtonNext}));
}

TEST(DriverInstallation, LowerCaseOrUnknownModel_GetsTheGenericId) {
    for (const char* model : {"zeko6w", "UNKNOWN", ""}) {
        Installation run;
        EXPECT_TRUE(run.Next(model, "COM3", "cmnet").goOn);
        ASSERT_EQ(run.starter.calls.size(), 1u);
        EXPECT_EQ(run.starter.calls[0].arguments, "MDMTavo.inf;COM3;cmnet;tavo_generic_usb_wireless_modem") << model;
    }
}

struct FieldCase {
    const char* port;
    const char* apn;
    StringId message;
};

class EmptyInstallField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(EmptyInstallField, ShowsItsMessageAndStaysWithBothButtons) {
    const FieldCase& c = GetParam();
    Installation run;
    EXPECT_FALSE(run.Next("ZEKO6W", c.port, c.apn).goOn);
    EXPECT_EQ(run.ui.messages, std::vector<StringId>{c.message});
    EXPECT_EQ(run.ui.LastButtons(), kButtonBack | kButtonNext);
    EXPECT_TRUE(run.starter.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Fields, EmptyInstallField,
                         ::testing::Values(FieldCase{"", "internet", kStrPortEmpty},
                                           FieldCase{"COM5", "", kStrApnEmpty}, FieldCase{"", "", kStrPortEmpty}));

struct VersionCase {
    OsVersion version;
    bool shell;
    std::string program;
    std::string arguments;
};

class InstallerBranch : public ::testing::TestWithParam<VersionCase> {};

TEST_P(InstallerBranch, PicksInstallerBySystemVersion) {
    const VersionCase& c = GetParam();
    Installation run;
    run.system.version = c.version;
    EXPECT_TRUE(run.Next("JOVE4N", "COM4", "web.apn").goOn);
    ASSERT_EQ(run.starter.calls.size(), 1u);
    EXPECT_EQ(run.starter.calls[0].shell, c.shell);
    EXPECT_EQ(run.starter.calls[0].program, c.program);
    EXPECT_EQ(run.starter.calls[0].arguments, c.arguments);
    EXPECT_EQ(run.starter.calls[0].waitMs, kInstallerWaitMs);
}

constexpr char kDir[] = "C:\\Program Files\\Tavo\\";
const std::string kProgram16 = std::string(kDir) + "GMINST16.EXE";
const std::string kProgram32 = std::string(kDir) + "GMINST32.exe";
constexpr char kArgs16[] = "MDMTavo.inf;COM4;web.apn";
constexpr char kArgs32[] = "MDMTavo.inf;COM4;web.apn;USB\\Vid_2e1a&Pid_4015&Rev_0100";

INSTANTIATE_TEST_SUITE_P(
    Versions, InstallerBranch,
    ::testing::Values(VersionCase{testing::Windows95(), true, kProgram16, kArgs16},
                      VersionCase{testing::Windows98(), true, kProgram16, kArgs16},
                      VersionCase{testing::WindowsMe(), false, kProgram32, kArgs32},
                      VersionCase{testing::WindowsXp(), false, kProgram32, kArgs32},
                      VersionCase{OsVersion{true, 0, kPlatformNt, 4, 0}, false, kProgram32, kArgs32},
                      VersionCase{OsVersion{false, 5, kPlatformWin32s, 0, 0}, false, kProgram32, kArgs32}));

TEST(DriverInstallation, InstallerThatCannotStart_StaysWithoutMessage) {
    struct Case {
        const char* systemText;
        const char* expected;
    };
    for (const Case& c :
         {Case{"The system cannot find the file specified.\r\n", "The system cannot find the file specified.\r\n"},
          Case{"", "0x00000002"}}) {
        Installation run;
        run.starter.result = {false, 2, std::nullopt};
        if (*c.systemText != '\0') {
            run.system.errorTexts[2] = c.systemText;
        }
        const InstallOutcome outcome = run.Next("X9", "COM5", "internet");
        EXPECT_FALSE(outcome.goOn);
        EXPECT_EQ(outcome.failureText, c.expected);
        EXPECT_TRUE(run.ui.messages.empty());
        EXPECT_EQ(run.ui.LastButtons(), kButtonBack | kButtonNext);
    }
}

TEST(DriverInstallation, ApnWithSemicolon_IsPassedUnchanged) {
    Installation run;
    EXPECT_TRUE(run.Next("X9", "COM5", "a;b").goOn);
    EXPECT_EQ(run.starter.calls.at(0).arguments, "MDMTavo.inf;COM5;a;b;tavo_generic_usb_wireless_modem");
}

TEST(DriverInstallation, UnreadableModulePath_StaysWithoutStarting) {
    for (const std::optional<std::string>& path :
         {std::optional<std::string>(), std::optional<std::string>("RavelinWiz.exe")}) {
        Installation run;
        run.system.moduleFileName = path;
        EXPECT_FALSE(run.Next("X9", "COM5", "internet").goOn);
        EXPECT_TRUE(run.starter.calls.empty());
        EXPECT_TRUE(run.ui.messages.empty());
    }
}

TEST(ModuleDirectory, EndsBeforeTheLastBackslash) {
    EXPECT_EQ(DirectoryOfModule("C:\\a\\b\\RavelinWiz.exe"), std::string("C:\\a\\b"));
    EXPECT_EQ(DirectoryOfModule("Z:\\RavelinWiz.exe"), std::string("Z:"));
    EXPECT_EQ(DirectoryOfModule("RavelinWiz.exe"), std::nullopt);
}

// With the trace on, the installer's command line and how it ended are written:
// the exit code, a wait that ran out, or the system's text when it never started.
TEST(DriverInstallation, TracesCommandLineAndEnd) {
    ravelin::test::TraceFile traceFile;
    const struct {
        StartResult result;
        std::string end;
    } rows[] = {
        {{true, 0, 3u}, "RavelinWiz installer ended with exit code 3\n"},
        {{true, 0, std::nullopt}, "RavelinWiz installer not seen to end within 600 s; the wizard goes on\n"},
        {{false, 2, std::nullopt}, "RavelinWiz installer not started: The system cannot find the file specified.\n"},
    };
    for (const auto& row : rows) {
        ravelin::trace::ForgetDecisionForTesting();
        const size_t before = traceFile.Text().size();
        Installation run;
        run.system.errorTexts[2] = "The system cannot find the file specified.";
        run.starter.result = row.result;
        run.Next("ZEKO6W", "COM5", "internet");
        const std::string written = traceFile.Text().substr(before);
        EXPECT_NE(written.find("RavelinWiz installer: C:\\Program Files\\Tavo\\GMINST32.exe "
                               "MDMTavo.inf;COM5;internet;USB\\Vid_2e1a&Pid_4021&Rev_0100\n"),
                  std::string::npos)
            << written;
        EXPECT_NE(written.find(row.end), std::string::npos) << written;
    }
    ravelin::trace::ForgetDecisionForTesting();
}

}  // namespace
}  // namespace ravelinwiz

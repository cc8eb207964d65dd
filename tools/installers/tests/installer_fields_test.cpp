// Field reading of the modem installer stand-ins.
#include "installer_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace standin {
namespace {

using Fields = std::vector<std::wstring>;

TEST(SplitFields, CutsAtEverySemicolonAndKeepsEmptyFields) {
    struct Case {
        std::wstring text;
        Fields expected;
    };
    const Case cases[] = {
        {L"", {L""}},
        {L"MDMTavo.inf", {L"MDMTavo.inf"}},
        {L"MDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem",
         {L"MDMTavo.inf", L"COM5", L"internet", L"tavo_generic_usb_wireless_modem"}},
        {L"a;;b", {L"a", L"", L"b"}},
        {L";", {L"", L""}},
        {L"MDMTavo.inf;COM5;", {L"MDMTavo.inf", L"COM5", L""}},
        {L"MDMTavo.inf;COM5;my apn", {L"MDMTavo.inf", L"COM5", L"my apn"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitFields(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
}

TEST(IsComPort, AcceptsCom1ToCom255Only) {
    struct Case {
        const wchar_t* text;
        bool expected;
    };
    const Case cases[] = {
        {L"COM1", true},   {L"COM5", true},   {L"COM30", true},  {L"COM255", true}, {L"com7", true},
        {L"CoM12", true},  {L"COM0", false},  {L"COM256", false}, {L"COM05", false}, {L"COM", false},
        {L"COM-1", false}, {L"COM1 ", false}, {L" COM1", false}, {L"COM1A", false}, {L"LPT1", false},
        {L"COM1000", false}, {L"", false},
    };
    for (const Case& c : cases) {
        const std::wstring text(c.text);
        EXPECT_EQ(IsComPort(text), c.expected) << std::string(text.begin(), text.end());
    }
}

TEST(CheckFields, ReportsTheFirstFailingCheck) {
    struct Case {
        Fields fields;
        const InstallerKind* kind;
        InstallResult expected;
    };
    const Case cases[] = {
        {{L"MDMTavo.inf", L"COM5", L"internet", L"tavo_generic_usb_wireless_modem"}, &kInstaller32,
         InstallResult::kInstalled},
        {{L"MDMTavo.inf", L"COM12", L"web.example", L"USB\\Vid_2e1a&Pid_4021&Rev_0100"}, &kInstaller32,
         InstallResult::kInstalled},
        {{L"mdmtavo.INF", L"com3", L"internet", L"USB\\VID_2E1A&PID_4019"}, &kInstaller32,
         InstallResult::kInstalled},
        {{L"MDMTavo.inf", L"COM5", L"internet"}, &kInstaller16, InstallResult::kInstalled},
        // An APN holding ";" splits into one field too many.
        {{L"MDMTavo.inf", L"COM5", L"my", L"apn", L"tavo_generic_usb_wireless_modem"}, &kInstaller32,
         InstallResult::kWrongFieldCount},
        {{L"MDMTavo.inf", L"COM5", L"my", L"apn"}, &kInstaller16, InstallResult::kWrongFieldCount},
        // The 16-bit field text handed to the 32-bit installer lacks the hardware id.
        {{L"MDMTavo.inf", L"COM5", L"internet"}, &kInstaller32, InstallResult::kWrongFieldCount},
        {{L""}, &kInstaller32, InstallResult::kWrongFieldCount},
        {{L"Other.inf", L"COM5", L"internet", L"id"}, &kInstaller32, InstallResult::kUnknownInf},
        {{L"MDMTavo.inf ", L"COM5", L"internet"}, &kInstaller16, InstallResult::kUnknownInf},
        {{L"MDMTavo.inf", L"", L"internet", L"id"}, &kInstaller32, InstallResult::kBadPort},
        {{L"MDMTavo.inf", L"5", L"internet"}, &kInstaller16, InstallResult::kBadPort},
        {{L"MDMTavo.inf", L"COM5", L"", L"id"}, &kInstaller32, InstallResult::kEmptyApn},
        {{L"MDMTavo.inf", L"COM5", L""}, &kInstaller16, InstallResult::kEmptyApn},
        {{L"MDMTavo.inf", L"COM5", L"internet", L""}, &kInstaller32, InstallResult::kEmptyHardwareId},
        {{L"Other.inf", L"", L"", L""}, &kInstaller32, InstallResult::kUnknownInf},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(CheckFields(cases[i].fields, *cases[i].kind), cases[i].expected) << "case " << i;
}

TEST(ArgumentsAfterProgramName, SkipsQuotedOrPlainProgramAndBlanks) {
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"\"C:\\Program Files\\Tavo\\GMINST16.EXE\" MDMTavo.inf;COM5;internet", L"MDMTavo.inf;COM5;internet"},
        {L"C:\\Tavo\\GMINST16.EXE MDMTavo.inf;COM5;internet", L"MDMTavo.inf;COM5;internet"},
        {L"GMINST16.EXE\t  MDMTavo.inf;COM5;my apn ", L"MDMTavo.inf;COM5;my apn "},
        {L"\"GMINST16.EXE\"MDMTavo.inf;COM5;internet", L"MDMTavo.inf;COM5;internet"},
        {L"GMINST16.EXE", L""},
        {L"\"GMINST16.EXE\"", L""},
        {L"\"unterminated MDMTavo.inf;COM5;x", L""},
        {L"", L""},
    };
    for (const Case& c : cases) {
        const std::wstring commandLine(c.commandLine);
        EXPECT_EQ(std::wstring(ArgumentsAfterProgramName(commandLine)), std::wstring(c.expected))
            << std::string(commandLine.begin(), commandLine.end());
    }
}

TEST(FormatLogLine, WritesProgramResultRawTextCountAndFieldsTabSeparated) {
    const std::wstring raw = L"MDMTavo.inf;COM5;my;apn;tavo_generic_usb_wireless_modem";
    EXPECT_EQ(FormatLogLine(kInstaller32, InstallResult::kWrongFieldCount, raw, SplitFields(raw)),
              L"GMINST32\twrong-field-count\t" + raw +
                  L"\t5\tMDMTavo.inf\tCOM5\tmy\tapn\ttavo_generic_usb_wireless_modem");
    EXPECT_EQ(FormatLogLine(kInstaller16, InstallResult::kInstalled, L"MDMTavo.inf;COM5;internet",
                            {L"MDMTavo.inf", L"COM5", L"internet"}),
              L"GMINST16\tinstalled\tMDMTavo.inf;COM5;internet\t3\tMDMTavo.inf\tCOM5\tinternet");
}

TEST(FormatLogLine, EscapesControlCharactersSoTheLineStaysOneLine) {
    const std::wstring raw = L"MDMTavo.inf;COM5;a\tb\r\nc\x7f";
    const std::wstring line = FormatLogLine(kInstaller16, InstallResult::kInstalled, raw, SplitFields(raw));
    EXPECT_EQ(line, L"GMINST16\tinstalled\tMDMTavo.inf;COM5;a\\x09b\\x0D\\x0Ac\\x7F\t3\tMDMTavo.inf\tCOM5\t"
                    L"a\\x09b\\x0D\\x0Ac\\x7F");
    // Backslashes of hardware ids stay as they are.
    EXPECT_NE(FormatLogLine(kInstaller32, InstallResult::kInstalled, L"USB\\Vid_2e1a", {L"USB\\Vid_2e1a"})
                  .find(L"\tUSB\\Vid_2e1a"),
              std::wstring::npos);
}

TEST(InstallResult, ValuesAreDistinctExitCodesWithNames) {
    const InstallResult all[] = {InstallResult::kInstalled,       InstallResult::kWrongFieldCount,
                                 InstallResult::kUnknownInf,      InstallResult::kBadPort,
                                 InstallResult::kEmptyApn,        InstallResult::kEmptyHardwareId,
                                 InstallResult::kInfMissing,      InstallResult::kLogNotWritten};
    EXPECT_EQ(static_cast<int>(InstallResult::kInstalled), 0);
    for (size_t i = 0; i < sizeof all / sizeof all[0]; ++i) {
        for (size_t j = i + 1; j < sizeof all / sizeof all[0]; ++j) {
            EXPECT_NE(static_cast<int>(all[i]), static_cast<int>(all[j]));
            EXPECT_NE(ResultName(all[i]), ResultName(all[j]));
        }
    }
}

}  // namespace
}  // namespace standin

// Reading the modem installers' command lines: fields, their checks, the APN
// initialisation, removal requests and the log line.
#include "installer_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gminst {
namespace {

using Fields = std::vector<std::wstring>;

constexpr wchar_t kGenericId[] = L"tavo_generic_usb_wireless_modem";

std::string Narrow(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) out += (c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

TEST(SplitFields, CutsAtEverySemicolonAndKeepsEmptyFields) {
    struct Case {
        std::wstring text;
        Fields expected;
    };
    const Case cases[] = {
        {L"", {L""}},
        {L"MDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem",
         {L"MDMTavo.inf", L"COM5", L"internet", L"tavo_generic_usb_wireless_modem"}},
        {L"a;;b", {L"a", L"", L"b"}},
        {L";", {L"", L""}},
        {L"MDMTavo.inf;COM5;", {L"MDMTavo.inf", L"COM5", L""}},
        {L"MDMTavo.inf;COM5;my apn", {L"MDMTavo.inf", L"COM5", L"my apn"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitFields(c.text), c.expected) << Narrow(c.text);
}

TEST(ParseComPort, AcceptsCom1ToCom255Only) {
    struct Case {
        const wchar_t* text;
        std::optional<unsigned> expected;
    };
    const Case cases[] = {
        {L"COM1", 1u},  {L"COM5", 5u},   {L"COM30", 30u}, {L"com7", 7u},    {L"CoM12", 12u}, {L"COM255", 255u},
        {L"COM0", {}},  {L"COM256", {}}, {L"COM05", {}},  {L"COM", {}},     {L"COM-1", {}},  {L"COM1 ", {}},
        {L" COM1", {}}, {L"COM1A", {}},  {L"LPT1", {}},   {L"COM1000", {}}, {L"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseComPort(c.text), c.expected) << Narrow(c.text);
}

struct ValidityCase {
    std::wstring text;
    bool expected;
};

// Whatever reaches the modem's initialisation string must not be able to end
// the quoted APN or add a command.
TEST(IsValidApn, AcceptsLettersDigitsDotsAndHyphensOnly) {
    const std::wstring longest(kMaxApnLength, L'a'), tooLong(kMaxApnLength + 1, L'a');
    const ValidityCase cases[] = {
        {L"internet", true}, {L"web.example-1.com", true}, {longest, true}, {tooLong, false}, {L"", false},
        {L"my apn", false},  {L"in\"ternet", false},       {L"a,b", false}, {L"a;b", false},  {L"a\rAT+CFUN=0", false},
        {L"a\x7f", false},   {L"caf\u00e9", false},        {L"a_b", false}};
    for (const ValidityCase& c : cases) EXPECT_EQ(IsValidApn(c.text), c.expected) << Narrow(c.text);
    EXPECT_EQ(ApnInitCommand(L"web.example-1"), L"AT+CGDCONT=1,\"IP\",\"web.example-1\"");
}

TEST(IsValidHardwareId, AcceptsPrintableAsciiWithoutBlanksOrCommas) {
    const std::wstring usb = L"USB\\Vid_2e1a&Pid_4021&Rev_0100";
    const std::wstring longest(kMaxHardwareIdLength, L'x'), tooLong(kMaxHardwareIdLength + 1, L'x');
    const ValidityCase cases[] = {
        {kGenericId, true},        {usb, true},     {longest, true},  {tooLong, false},  {L"", false},
        {L"USB\\VID 2E1A", false}, {L"a,b", false}, {L"a\tb", false}, {L"a\x7f", false}, {L"USB\\VID_\u00c9", false}};
    for (const ValidityCase& c : cases) EXPECT_EQ(IsValidHardwareId(c.text), c.expected) << Narrow(c.text);
}

TEST(CheckFields, ReportsTheFirstFailingCheck) {
    struct Case {
        Fields fields;
        const InstallerKind* kind;
        InstallResult expected;
    };
    const Case cases[] = {
        {{L"MDMTavo.inf", L"COM5", L"internet", kGenericId}, &kInstaller32, InstallResult::kInstalled},
        {{L"mdmtavo.INF", L"com3", L"internet", L"USB\\VID_2E1A&PID_4019"}, &kInstaller32, InstallResult::kInstalled},
        {{L"MDMTavo.inf", L"COM5", L"internet"}, &kInstaller16, InstallResult::kInstalled},
        // An APN holding ";" splits into one field too many.
        {{L"MDMTavo.inf", L"COM5", L"my", L"apn", kGenericId}, &kInstaller32, InstallResult::kWrongFieldCount},
        // The 16-bit field text handed to the 32-bit installer lacks the hardware id.
        {{L"MDMTavo.inf", L"COM5", L"internet"}, &kInstaller32, InstallResult::kWrongFieldCount},
        {{L""}, &kInstaller32, InstallResult::kWrongFieldCount},
        {{L"Other.inf", L"COM5", L"internet", L"id"}, &kInstaller32, InstallResult::kUnknownInf},
        {{L"MDMTavo.inf ", L"COM5", L"internet"}, &kInstaller16, InstallResult::kUnknownInf},
        {{L"Other.inf", L"", L"", L""}, &kInstaller32, InstallResult::kUnknownInf},
        {{L"MDMTavo.inf", L"5", L"internet", L"id"}, &kInstaller32, InstallResult::kBadPort},
        {{L"MDMTavo.inf", L"COM5", L"", L"id"}, &kInstaller32, InstallResult::kBadApn},
        {{L"MDMTavo.inf", L"COM5", L"a\"b"}, &kInstaller16, InstallResult::kBadApn},
        {{L"MDMTavo.inf", L"COM5", L"internet", L""}, &kInstaller32, InstallResult::kBadHardwareId},
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
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(ArgumentsAfterProgramName(c.commandLine)), std::wstring(c.expected))
            << Narrow(c.commandLine);
}

// The wizard passes the fields alone; a shell puts the program path first.
TEST(RequestText, DropsOnlyTheProgramsOwnPathAndFindsRemovalRequests) {
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* request;
        std::optional<std::wstring> removalPort;
    };
    const Case cases[] = {
        {L"MDMTavo.inf;COM5;internet;USB\\Vid_2e1a&Pid_4021", L"MDMTavo.inf;COM5;internet;USB\\Vid_2e1a&Pid_4021", {}},
        {L"\"C:\\Program Files\\Tavo\\GMINST32.exe\" MDMTavo.inf;COM5;internet;id",
         L"MDMTavo.inf;COM5;internet;id",
         {}},
        {L"gminst32 MDMTavo.inf;COM5;internet;id", L"MDMTavo.inf;COM5;internet;id", {}},
        {L"C:\\Tavo\\GMINST32.EXE /remove COM12", L"/remove COM12", L"COM12"},
        {L"/REMOVE\t COM5  ", L"/REMOVE\t COM5  ", L"COM5"},
        {L"/remove", L"/remove", L""},
        {L"/removeCOM5", L"/removeCOM5", {}},
        {L"GMINST16.EXE MDMTavo.inf;COM5;internet;id", L"GMINST16.EXE MDMTavo.inf;COM5;internet;id", {}},
    };
    for (const Case& c : cases) {
        const std::wstring_view request = RequestText(c.commandLine, kInstaller32.programName);
        EXPECT_EQ(std::wstring(request), std::wstring(c.request)) << Narrow(c.commandLine);
        const std::optional<std::wstring_view> port = RemovalPortText(request);
        EXPECT_EQ(port ? std::optional<std::wstring>(std::wstring(*port)) : std::nullopt, c.removalPort)
            << Narrow(c.commandLine);
    }
}

TEST(FormatLogLine, WritesProgramResultCodeActionRequestAndFieldsTabSeparated) {
    const std::wstring raw = L"MDMTavo.inf;COM5;my;apn;tavo_generic_usb_wireless_modem";
    EXPECT_EQ(FormatLogLine(kInstaller32, InstallResult::kWrongFieldCount, L"nothing changed", raw, SplitFields(raw)),
              L"GMINST32\twrong-field-count\t1\tnothing changed\t" + raw +
                  L"\t5\tMDMTavo.inf\tCOM5\tmy\tapn\ttavo_generic_usb_wireless_modem");
    // Control characters are escaped so that a run stays one line; backslashes of
    // hardware ids stay as they are.
    const std::wstring odd = L"MDMTavo.inf;COM5;a\tb\r\nc\x7f;USB\\Vid_2e1a";
    EXPECT_EQ(FormatLogLine(kInstaller32, InstallResult::kBadApn, L"x\ty", odd, SplitFields(odd)),
              L"GMINST32\tbad-apn\t4\tx\\x09y\tMDMTavo.inf;COM5;a\\x09b\\x0D\\x0Ac\\x7F;USB\\Vid_2e1a\t4\t"
              L"MDMTavo.inf\tCOM5\ta\\x09b\\x0D\\x0Ac\\x7F\tUSB\\Vid_2e1a");
}

TEST(InstallResult, ValuesAreDistinctExitCodesWithNames) {
    const InstallResult all[] = {
        InstallResult::kInstalled,  InstallResult::kWrongFieldCount, InstallResult::kUnknownInf,
        InstallResult::kBadPort,    InstallResult::kBadApn,          InstallResult::kBadHardwareId,
        InstallResult::kInfMissing, InstallResult::kSetupFailed,     InstallResult::kLogNotWritten};
    EXPECT_EQ(static_cast<int>(InstallResult::kInstalled), 0);
    for (size_t i = 0; i < sizeof all / sizeof all[0]; ++i) {
        for (size_t j = i + 1; j < sizeof all / sizeof all[0]; ++j) {
            EXPECT_NE(static_cast<int>(all[i]), static_cast<int>(all[j]));
            EXPECT_NE(ResultName(all[i]), ResultName(all[j]));
        }
    }
}

}  // namespace
}  // namespace gminst

// Runs the built installer stand-ins the way the wizard starts them and reads
// the log line and exit code of each run.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "installer_fields.h"

namespace standin {
namespace {

constexpr wchar_t kLogVariable[] = L"RAVELIN_INSTALLER_LOG";
constexpr DWORD kRunTimeoutMs = 30000;
constexpr DWORD kNoExitCode = 0xFFFFFFFF;

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring TestProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FolderOf(path);
}

std::wstring BuiltInstaller(const wchar_t* name) { return TestProgramFolder() + L"\\" + name; }

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

// Started as the wizard does on the NT family: application name plus the field
// text as the whole command line, hidden.
DWORD RunWithCommandLine(const std::wstring& program, std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return kNoExitCode;
    CloseHandle(process.hThread);
    DWORD exitCode = kNoExitCode;
    if (WaitForSingleObject(process.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    return exitCode;
}

// Started as the wizard does on Windows 95/98: shell "open" with parameters.
DWORD OpenWithParameters(const std::wstring& program, const std::wstring& parameters) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info) || !info.hProcess) return kNoExitCode;
    DWORD exitCode = kNoExitCode;
    if (WaitForSingleObject(info.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    return exitCode;
}

class InstallerRun : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"installer run " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        log_ = folder_ + L"\\runs.log";
        SetEnvironmentVariableW(kLogVariable, log_.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(kLogVariable, nullptr);
        for (const std::wstring& file : created_) DeleteFileW(file.c_str());
        DeleteFileW(log_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    // A copy of a built file in the test's own folder (whose name has a blank).
    std::wstring CopyIntoFolder(const wchar_t* name) {
        const std::wstring target = folder_ + L"\\" + name;
        EXPECT_TRUE(CopyFileW(BuiltInstaller(name).c_str(), target.c_str(), FALSE));
        created_.push_back(target);
        return target;
    }
    std::vector<std::string> LogLines() const { return Lines(ReadFile(log_)); }

    std::wstring folder_;
    std::wstring log_;
    std::vector<std::wstring> created_;
};

TEST_F(InstallerRun, Installer32_LogsFieldsAndExitsWithTheCheckResult) {
    struct Case {
        std::wstring commandLine;
        InstallResult expected;
        std::string logLine;
    };
    const Case cases[] = {
        {L"MDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem", InstallResult::kInstalled,
         "GMINST32\tinstalled\tMDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem\t4\tMDMTavo.inf\tCOM5\t"
         "internet\ttavo_generic_usb_wireless_modem"},
        {L"MDMTavo.inf;COM12;web.example;USB\\Vid_2e1a&Pid_4021&Rev_0100", InstallResult::kInstalled,
         "GMINST32\tinstalled\tMDMTavo.inf;COM12;web.example;USB\\Vid_2e1a&Pid_4021&Rev_0100\t4\tMDMTavo.inf\t"
         "COM12\tweb.example\tUSB\\Vid_2e1a&Pid_4021&Rev_0100"},
        {L"MDMTavo.inf;COM5;my;apn;USB\\VID_2E1A&PID_4019", InstallResult::kWrongFieldCount,
         "GMINST32\twrong-field-count\tMDMTavo.inf;COM5;my;apn;USB\\VID_2E1A&PID_4019\t5\tMDMTavo.inf\tCOM5\tmy\t"
         "apn\tUSB\\VID_2E1A&PID_4019"},
        {L"MDMTavo.inf;COM5;my apn \u00e9;tavo_generic_usb_wireless_modem", InstallResult::kInstalled,
         "GMINST32\tinstalled\tMDMTavo.inf;COM5;my apn \xc3\xa9;tavo_generic_usb_wireless_modem\t4\tMDMTavo.inf\t"
         "COM5\tmy apn \xc3\xa9\ttavo_generic_usb_wireless_modem"},
        {L"MDMTavo.inf;COM0;internet;tavo_generic_usb_wireless_modem", InstallResult::kBadPort,
         "GMINST32\tbad-port\tMDMTavo.inf;COM0;internet;tavo_generic_usb_wireless_modem\t4\tMDMTavo.inf\tCOM0\t"
         "internet\ttavo_generic_usb_wireless_modem"},
    };
    std::vector<std::string> expectedLines;
    for (const Case& c : cases) {
        EXPECT_EQ(RunWithCommandLine(BuiltInstaller(L"GMINST32.exe"), c.commandLine),
                  static_cast<DWORD>(c.expected))
            << c.logLine;
        expectedLines.push_back(c.logLine);
    }
    EXPECT_EQ(LogLines(), expectedLines);
}

TEST_F(InstallerRun, Installer16_ReadsParametersAfterAQuotedProgramPath) {
    const std::wstring program = CopyIntoFolder(L"GMINST16.EXE");
    CopyIntoFolder(L"MDMTavo.inf");
    EXPECT_EQ(OpenWithParameters(program, L"MDMTavo.inf;COM5;internet"), static_cast<DWORD>(InstallResult::kInstalled));
    EXPECT_EQ(OpenWithParameters(program, L"MDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem"),
              static_cast<DWORD>(InstallResult::kWrongFieldCount));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "GMINST16\tinstalled\tMDMTavo.inf;COM5;internet\t3\tMDMTavo.inf\tCOM5\tinternet",
                              "GMINST16\twrong-field-count\tMDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem"
                              "\t4\tMDMTavo.inf\tCOM5\tinternet\ttavo_generic_usb_wireless_modem"}));
}

TEST_F(InstallerRun, Installer32_WithoutInfBesideIt_FailsAfterValidFields) {
    const std::wstring program = CopyIntoFolder(L"GMINST32.exe");
    EXPECT_EQ(RunWithCommandLine(program, L"MDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem"),
              static_cast<DWORD>(InstallResult::kInfMissing));
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("GMINST32\tinf-missing\t", 0), 0u) << lines[0];
}

TEST_F(InstallerRun, WithoutLogVariable_LogsBesideTheProgram) {
    const std::wstring program = CopyIntoFolder(L"GMINST32.exe");
    CopyIntoFolder(L"MDMTavo.inf");
    const std::wstring defaultLog = folder_ + L"\\installer.log";
    created_.push_back(defaultLog);
    SetEnvironmentVariableW(kLogVariable, nullptr);
    EXPECT_EQ(RunWithCommandLine(program, L"MDMTavo.inf;COM7;internet;tavo_generic_usb_wireless_modem"),
              static_cast<DWORD>(InstallResult::kInstalled));
    EXPECT_EQ(Lines(ReadFile(defaultLog)),
              (std::vector<std::string>{"GMINST32\tinstalled\tMDMTavo.inf;COM7;internet;"
                                        "tavo_generic_usb_wireless_modem\t4\tMDMTavo.inf\tCOM7\tinternet\t"
                                        "tavo_generic_usb_wireless_modem"}));
}

TEST_F(InstallerRun, UnwritableLog_IsReportedInTheExitCode) {
    SetEnvironmentVariableW(kLogVariable, folder_.c_str());  // a folder cannot be opened for appending
    EXPECT_EQ(RunWithCommandLine(BuiltInstaller(L"GMINST32.exe"),
                                 L"MDMTavo.inf;COM5;internet;tavo_generic_usb_wireless_modem"),
              static_cast<DWORD>(InstallResult::kLogNotWritten));
}

}  // namespace
}  // namespace standin

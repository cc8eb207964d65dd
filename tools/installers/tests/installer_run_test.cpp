// Runs the built installers the way the wizard starts them and reads what they
// left in the registry (through the system's device installer) and in their log.
#include <ravelin/win32.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "installer_fields.h"
#include "modem_setup_win32.h"

namespace gminst {
namespace {

const GUID kModemClass = {0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr DWORD kRunTimeoutMs = 30000;
constexpr DWORD kNoExitCode = 0xFFFFFFFF;
constexpr wchar_t kGenericId[] = L"tavo_generic_usb_wireless_modem";

DWORD Code(InstallResult result) { return static_cast<DWORD>(result); }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring BuiltFile(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FolderOf(path) + L"\\" + name;
}

std::vector<std::string> LogLines(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

DWORD ExitCodeOf(const ravelin::win32::UniqueHandle& process) {
    DWORD exitCode = kNoExitCode;
    if (WaitForSingleObject(process.get(), kRunTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.get(), &exitCode);
    return exitCode;
}

// Started as the wizard does on the NT family: the program as the application
// name, the field text as the whole command line, hidden.
DWORD RunWithCommandLine(const std::wstring& program, std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return kNoExitCode;
    const ravelin::win32::UniqueHandle thread(process.hThread);
    return ExitCodeOf(ravelin::win32::UniqueHandle(process.hProcess));
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
    return ExitCodeOf(ravelin::win32::UniqueHandle(info.hProcess));
}

std::wstring InstanceId(HDEVINFO set, SP_DEVINFO_DATA& device) {
    wchar_t id[MAX_DEVICE_ID_LEN] = {};
    SetupDiGetDeviceInstanceIdW(set, &device, id, MAX_DEVICE_ID_LEN, nullptr);
    return id;
}

// Calls visit(set, device, instance id) for every device of the class, or of
// every class when it is null.
template <typename Visit>
void ForEachDevice(const GUID* deviceClass, Visit visit) {
    HDEVINFO set = SetupDiGetClassDevsW(deviceClass, nullptr, nullptr, deviceClass ? 0 : DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index)
        visit(set, device, InstanceId(set, device));
    SetupDiDestroyDeviceInfoList(set);
}

std::wstring ReadDriverValue(HDEVINFO set, SP_DEVINFO_DATA& device, const wchar_t* name) {
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return L"<no driver key>";
    const ravelin::win32::UniqueRegKey owner(key);
    wchar_t value[512] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    const LSTATUS status = RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
    return status == ERROR_SUCCESS ? value : L"";
}

// One device of the Modem class with what its driver key says about it.
struct Modem {
    std::wstring instanceId;
    std::wstring hardwareId;  // the first of its hardware ids
    std::wstring attachedTo;
    std::wstring friendlyName;
    std::wstring userInit;
    std::wstring madeBy;
};

std::vector<Modem> Modems() {
    std::vector<Modem> modems;
    ForEachDevice(&kModemClass, [&](HDEVINFO set, SP_DEVINFO_DATA& device, const std::wstring& instanceId) {
        wchar_t ids[1024] = {};
        SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                          sizeof ids - 2 * sizeof(wchar_t), nullptr);
        modems.push_back({instanceId, ids, ReadDriverValue(set, device, kAttachedToValue),
                          ReadDriverValue(set, device, kFriendlyNameValue),
                          ReadDriverValue(set, device, kUserInitValue), ReadDriverValue(set, device, kMadeByValue)});
    });
    return modems;
}

// Driver keys under the Modem class that carry the installer's mark, whether or
// not a device still uses them: none may outlive its modem.
size_t MarkedDriverKeys() {
    HKEY classKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}", 0, KEY_READ,
                      &classKey) != ERROR_SUCCESS)
        return 0;
    const ravelin::win32::UniqueRegKey owner(classKey);
    size_t marked = 0;
    wchar_t name[64];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name / sizeof name[0];
        if (RegEnumKeyExW(classKey, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        wchar_t value[64] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        if (RegGetValueW(classKey, name, kMadeByValue, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
            std::wstring(value) == kMadeByData)
            ++marked;
    }
    return marked;
}

// Every modem with its driver values, in instance order, and the marked driver
// keys: what a refused run must leave exactly as it was.
std::wstring ModemRegistry() {
    std::vector<std::wstring> lines;
    for (const Modem& m : Modems())
        lines.push_back(m.instanceId + L"|" + m.hardwareId + L"|" + m.attachedTo + L"|" + m.friendlyName + L"|" +
                        m.userInit + L"|" + m.madeBy + L"\n");
    std::sort(lines.begin(), lines.end());
    std::wstring text;
    for (const std::wstring& line : lines) text += line;
    return text + L"marked driver keys: " + std::to_wstring(MarkedDriverKeys());
}

// A device standing for the phone's own serial interface: registered, in the
// Ports class, with the hardware id and no driver.
std::wstring RegisterPhoneDevice(const std::wstring& hardwareId) {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kPortsClass, nullptr);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    std::wstring ids = hardwareId + L'\0' + L'\0';
    std::wstring id;
    if (SetupDiCreateDeviceInfoW(set, L"TAVOPHONE", &kPortsClass, nullptr, nullptr, DICD_GENERATE_ID, &device) &&
        SetupDiSetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids.data()),
                                          static_cast<DWORD>(ids.size() * sizeof(wchar_t))) &&
        SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device))
        id = InstanceId(set, device);
    SetupDiDestroyDeviceInfoList(set);
    return id;
}

class InstallerRun : public ::testing::Test {
protected:
    void SetUp() override {
        ForEachDevice(nullptr,
                      [&](HDEVINFO, SP_DEVINFO_DATA&, const std::wstring& id) { devicesBefore_.push_back(id); });
        markedKeysBefore_ = MarkedDriverKeys();
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"installer run " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        // The installers log to %TEMP%; the ones started here inherit these.
        SetEnvironmentVariableW(L"TMP", folder_.c_str());
        SetEnvironmentVariableW(L"TEMP", folder_.c_str());
    }
    void TearDown() override {
        for (const wchar_t* port : {L"COM7", L"COM201"})
            RunWithCommandLine(installer32_, std::wstring(L"/remove ") + port);
        SetEnvironmentVariableW(L"TMP", nullptr);
        SetEnvironmentVariableW(L"TEMP", nullptr);
        ForEachDevice(nullptr, [&](HDEVINFO set, SP_DEVINFO_DATA& device, const std::wstring& id) {
            if (!WasThere(id)) SetupDiCallClassInstaller(DIF_REMOVE, set, &device);
        });
        for (const std::wstring& file : created_) {
            DeleteFileW(file.c_str());
            RemoveDirectoryW(file.c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }

    bool WasThere(const std::wstring& instanceId) const {
        return std::find(devicesBefore_.begin(), devicesBefore_.end(), instanceId) != devicesBefore_.end();
    }
    std::vector<Modem> NewModems() const {
        std::vector<Modem> added;
        for (const Modem& modem : Modems())
            if (!WasThere(modem.instanceId)) added.push_back(modem);
        return added;
    }
    std::wstring InFolder(const wchar_t* name) {
        created_.push_back(folder_ + L"\\" + name);
        return created_.back();
    }
    std::wstring CopyIntoFolder(const wchar_t* name) {
        const std::wstring target = InFolder(name);
        EXPECT_TRUE(CopyFileW(BuiltFile(name).c_str(), target.c_str(), FALSE));
        return target;
    }
    std::vector<std::string> Log(const wchar_t* program) { return LogLines(InFolder(program)); }

    const std::wstring installer32_ = BuiltFile(L"GMINST32.exe");
    std::vector<std::wstring> devicesBefore_;
    size_t markedKeysBefore_ = 0;
    std::wstring folder_;
    std::vector<std::wstring> created_;
};

// The command lines the wizard builds for "ZEKO6W" and for a model not in its table.
TEST_F(InstallerRun, Installer32_InstallsOneModemPerPortAndRemovesIt) {
    struct Case {
        std::wstring port;
        std::wstring hardwareId;
        std::wstring friendlyName;
    };
    const Case cases[] = {
        {L"COM7", L"USB\\Vid_2e1a&Pid_4021&Rev_0100", L"Tavo-Nelm KM3 USB Communication Class"},
        {L"COM201", kGenericId, L"Tavo Generic USB Wireless Modem"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.hardwareId));
        for (const wchar_t* apn : {L"internet", L"web.example-1"}) {
            EXPECT_EQ(RunWithCommandLine(installer32_, L"MDMTavo.inf;" + c.port + L";" + apn + L";" + c.hardwareId),
                      Code(InstallResult::kInstalled));
            const std::vector<Modem> made = NewModems();
            ASSERT_EQ(made.size(), 1u);  // a second run replaces the first modem
            EXPECT_EQ(made[0].hardwareId, c.hardwareId);
            EXPECT_EQ(made[0].attachedTo, c.port);
            EXPECT_EQ(made[0].friendlyName, c.friendlyName);
            EXPECT_EQ(made[0].userInit, ApnInitCommand(apn));
            EXPECT_EQ(made[0].madeBy, kMadeByData);
        }
        // As typed in a shell: the program path comes first.
        EXPECT_EQ(RunWithCommandLine(installer32_, L"\"" + installer32_ + L"\" /remove " + c.port),
                  Code(InstallResult::kInstalled));
        EXPECT_TRUE(NewModems().empty());
        EXPECT_EQ(MarkedDriverKeys(), markedKeysBefore_);
    }
    const std::vector<std::string> lines = Log(L"GMINST32.log");
    ASSERT_EQ(lines.size(), 6u);
    for (const std::string& line : lines) EXPECT_EQ(line.rfind("GMINST32\tinstalled\t0\t", 0), 0u) << line;
    EXPECT_NE(lines[1].find("removed ROOT\\MODEM\\"), std::string::npos) << lines[1];
}

TEST_F(InstallerRun, Installer32_BadInput_ExitsWithItsCodeAndLeavesTheModemsAlone) {
    const std::wstring id = kGenericId;
    ASSERT_EQ(RunWithCommandLine(installer32_, L"MDMTavo.inf;COM7;internet;" + id), Code(InstallResult::kInstalled));
    const std::wstring installed = ModemRegistry();
    struct Case {
        std::wstring commandLine;
        InstallResult expected;
    };
    const Case cases[] = {
        {L"MDMTavo.inf;COM7;my;apn;" + id, InstallResult::kWrongFieldCount},
        {L"Other.inf;COM7;internet;" + id, InstallResult::kUnknownInf},
        {L"MDMTavo.inf;COM256;internet;" + id, InstallResult::kBadPort},
        {L"/remove COM0", InstallResult::kBadPort},
        {L"MDMTavo.inf;COM7;a\rAT+CFUN=0;" + id, InstallResult::kBadApn},
        {L"MDMTavo.inf;COM7;internet;USB\\VID 2E1A", InstallResult::kBadHardwareId},
        // No model line of the INF has this id: the device installer fails and
        // the modem it had begun is removed again.
        {L"MDMTavo.inf;COM7;internet;USB\\VID_FFFF&PID_0001", InstallResult::kSetupFailed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunWithCommandLine(installer32_, c.commandLine), Code(c.expected)) << Narrow(c.commandLine);
        EXPECT_EQ(ModemRegistry(), installed) << Narrow(c.commandLine);
    }
    const std::wstring lonely = CopyIntoFolder(L"GMINST32.exe");  // no INF beside it
    EXPECT_EQ(RunWithCommandLine(lonely, L"MDMTavo.inf;COM7;internet;" + id), Code(InstallResult::kInfMissing));
    EXPECT_EQ(ModemRegistry(), installed);

    const std::vector<std::string> lines = Log(L"GMINST32.log");
    ASSERT_EQ(lines.size(), 2u + sizeof cases / sizeof cases[0]);
    const std::string& setupFailure = lines[lines.size() - 2];
    EXPECT_EQ(setupFailure.rfind("GMINST32\tsetup-failed\t7\t", 0), 0u) << setupFailure;
    EXPECT_NE(setupFailure.find("DIF_SELECTBESTCOMPATDRV) failed: error 0x"), std::string::npos) << setupFailure;
}

// The phone's own interface, when present, gets the driver; it is not the
// installer's to remove.
TEST_F(InstallerRun, Installer32_PresentDeviceWithTheId_GetsTheDriverInsteadOfANewModem) {
    const std::wstring km9 = L"USB\\Vid_2e1a&Pid_4015&Rev_0100";
    const std::wstring phone = RegisterPhoneDevice(km9);
    ASSERT_FALSE(phone.empty());
    EXPECT_EQ(RunWithCommandLine(installer32_, L"MDMTavo.inf;COM7;internet;" + km9), Code(InstallResult::kInstalled));
    EXPECT_EQ(RunWithCommandLine(installer32_, L"/remove COM7"), Code(InstallResult::kInstalled));
    const std::vector<Modem> made = NewModems();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].instanceId, phone);
    EXPECT_EQ(made[0].friendlyName, L"Tavo KM9 USB Communication");
    EXPECT_EQ(made[0].userInit, ApnInitCommand(L"internet"));
    EXPECT_EQ(made[0].madeBy, L"");
}

TEST_F(InstallerRun, Installer16_StandInChecksFieldsAfterAQuotedProgramPath) {
    const std::wstring program = CopyIntoFolder(L"GMINST16.EXE");
    CopyIntoFolder(L"MDMTavo.inf");
    EXPECT_EQ(OpenWithParameters(program, L"MDMTavo.inf;COM5;internet"), Code(InstallResult::kInstalled));
    EXPECT_EQ(OpenWithParameters(program, L"MDMTavo.inf;COM5;internet;" + std::wstring(kGenericId)),
              Code(InstallResult::kWrongFieldCount));
    EXPECT_EQ(Log(L"GMINST16.log"),
              (std::vector<std::string>{
                  "GMINST16\tinstalled\t0\tstand-in: fields checked, nothing installed\tMDMTavo.inf;COM5;internet\t3\t"
                  "MDMTavo.inf\tCOM5\tinternet",
                  "GMINST16\twrong-field-count\t1\tnothing changed\tMDMTavo.inf;COM5;internet;"
                  "tavo_generic_usb_wireless_modem\t4\tMDMTavo.inf\tCOM5\tinternet\ttavo_generic_usb_wireless_modem"}));
    // A log that cannot be appended to turns a success into its own exit code.
    DeleteFileW(InFolder(L"GMINST16.log").c_str());
    ASSERT_TRUE(CreateDirectoryW(InFolder(L"GMINST16.log").c_str(), nullptr));
    EXPECT_EQ(OpenWithParameters(program, L"MDMTavo.inf;COM5;internet"), Code(InstallResult::kLogNotWritten));
}

}  // namespace
}  // namespace gminst

#include "modem_setup_win32.h"

#include <ravelin/win32.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cwchar>
#include <optional>
#include <vector>

#include "installer_fields.h"

namespace gminst {
namespace {

// The system's Modem device setup class.
const GUID kModemClass = {0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
// Root-enumerated modems get instance ids ROOT\MODEM\0000, ROOT\MODEM\0001, ...
constexpr wchar_t kRootDeviceName[] = L"MODEM";
// Driver keys are named relative to this key: "{class guid}\nnnn".
constexpr wchar_t kClassKeys[] = L"System\\CurrentControlSet\\Control\\Class\\";

// A failed system call: which step, and the error the system reported.
struct Failure {
    std::wstring step;
    DWORD error;
};
using StepResult = std::optional<Failure>;  // nothing = success

// Reads the error before anything else can overwrite it.
Failure LastFailure(const wchar_t* step) {
    const DWORD error = GetLastError();
    return Failure{step, error};
}

// The system's text without the line break and spaces it ends with.
std::wstring TrimmedSystemErrorText(DWORD error) {
    std::wstring text = ravelin::win32::SystemErrorText(error);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring Describe(const Failure& failure) {
    wchar_t code[16];
    std::swprintf(code, sizeof code / sizeof code[0], L"0x%08lX", static_cast<unsigned long>(failure.error));
    std::wstring text = failure.step + L" failed: error " + code;
    const std::wstring systemText = TrimmedSystemErrorText(failure.error);
    if (!systemText.empty()) text += L" (" + systemText + L")";
    return text;
}

class RegistryKey {
public:
    explicit RegistryKey(HKEY key) : key_(key) {}

    bool IsOpen() const { return static_cast<bool>(key_); }

    std::optional<std::wstring> ReadString(const wchar_t* name) const {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key_.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
            return std::nullopt;
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
        return value;
    }

    StepResult WriteString(const wchar_t* name, const std::wstring& value) const {
        const LONG status = RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        if (status == ERROR_SUCCESS) return std::nullopt;
        return Failure{std::wstring(L"RegSetValueEx(") + name + L")", static_cast<DWORD>(status)};
    }

private:
    ravelin::win32::UniqueRegKey key_;
};

class DeviceSet {
public:
    explicit DeviceSet(HDEVINFO set) : set_(set) {}
    ~DeviceSet() {
        if (IsValid()) SetupDiDestroyDeviceInfoList(set_);
    }
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;

    bool IsValid() const { return set_ != INVALID_HANDLE_VALUE; }
    HDEVINFO Handle() const { return set_; }

    std::vector<SP_DEVINFO_DATA> Devices() const {
        std::vector<SP_DEVINFO_DATA> devices;
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        for (DWORD index = 0; SetupDiEnumDeviceInfo(set_, index, &device); ++index) devices.push_back(device);
        return devices;
    }

private:
    HDEVINFO set_;
};

std::wstring InstanceId(const DeviceSet& set, SP_DEVINFO_DATA& device) {
    wchar_t id[MAX_DEVICE_ID_LEN] = {};
    if (!SetupDiGetDeviceInstanceIdW(set.Handle(), &device, id, MAX_DEVICE_ID_LEN, nullptr)) return std::wstring();
    return id;
}

// The device's driver key, relative to kClassKeys; empty when it has none.
std::wstring DriverKeyName(const DeviceSet& set, SP_DEVINFO_DATA& device) {
    wchar_t name[MAX_PATH] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set.Handle(), &device, SPDRP_DRIVER, nullptr, reinterpret_cast<BYTE*>(name),
                                           sizeof name - sizeof(wchar_t), nullptr))
        return std::wstring();
    return name;
}

std::vector<std::wstring> HardwareIds(const DeviceSet& set, SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(set.Handle(), &device, SPDRP_HARDWAREID, nullptr, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<wchar_t> list(size / sizeof(wchar_t) + 2, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(set.Handle(), &device, SPDRP_HARDWAREID, nullptr,
                                           reinterpret_cast<BYTE*>(list.data()),
                                           static_cast<DWORD>((list.size() - 2) * sizeof(wchar_t)), nullptr))
        return {};
    std::vector<std::wstring> ids;
    for (const wchar_t* id = list.data(); *id; id += wcslen(id) + 1) ids.emplace_back(id);
    return ids;
}

bool HasHardwareId(const DeviceSet& set, SP_DEVINFO_DATA& device, const std::wstring& wanted) {
    for (const std::wstring& id : HardwareIds(set, device)) {
        if (EqualsIgnoringAsciiCase(id, wanted)) return true;
    }
    return false;
}

HKEY OpenDriverKey(const DeviceSet& set, SP_DEVINFO_DATA& device, REGSAM access) {
    return SetupDiOpenDevRegKey(set.Handle(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, access);
}

bool MadeByUs(const DeviceSet& set, SP_DEVINFO_DATA& device) {
    const RegistryKey key(OpenDriverKey(set, device, KEY_READ));
    if (!key.IsOpen()) return false;
    const std::optional<std::wstring> madeBy = key.ReadString(kMadeByValue);
    return madeBy && *madeBy == kMadeByData;
}

bool MadeByUsOnPort(const DeviceSet& set, SP_DEVINFO_DATA& device, const std::wstring& port) {
    if (!MadeByUs(set, device)) return false;
    const RegistryKey key(OpenDriverKey(set, device, KEY_READ));
    const std::optional<std::wstring> attachedTo = key.IsOpen() ? key.ReadString(kAttachedToValue) : std::nullopt;
    return attachedTo && EqualsIgnoringAsciiCase(*attachedTo, port);
}

StepResult CallClassInstaller(DI_FUNCTION function, const wchar_t* name, const DeviceSet& set,
                              SP_DEVINFO_DATA& device) {
    if (SetupDiCallClassInstaller(function, set.Handle(), &device)) return std::nullopt;
    const DWORD error = GetLastError();
    return Failure{std::wstring(L"SetupDiCallClassInstaller(") + name + L")", error};
}

// Some device installers (Wine's among them) cannot delete a driver key that has
// subkeys, and leave it behind when they remove the device. Deletes such a key
// when it still carries our mark.
void DeleteLeftOverDriverKey(const std::wstring& driverKey) {
    if (driverKey.empty()) return;
    const std::wstring path = kClassKeys + driverKey;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
    const RegistryKey key(opened);
    if (key.ReadString(kMadeByValue) != std::optional<std::wstring>(kMadeByData)) return;
    RegDeleteTreeW(opened, nullptr);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
}

StepResult RemoveDevice(const DeviceSet& set, SP_DEVINFO_DATA& device) {
    const std::wstring driverKey = DriverKeyName(set, device);
    if (StepResult failed = CallClassInstaller(DIF_REMOVE, L"DIF_REMOVE", set, device)) return failed;
    DeleteLeftOverDriverKey(driverKey);
    return std::nullopt;
}

// Points the device's driver search at the one INF and picks its best model line.
StepResult SelectDriverFromInf(const DeviceSet& set, SP_DEVINFO_DATA& device, const std::wstring& infPath,
                               std::wstring& description) {
    SP_DEVINSTALL_PARAMS_W params = {};
    params.cbSize = sizeof params;
    if (!SetupDiGetDeviceInstallParamsW(set.Handle(), &device, &params))
        return LastFailure(L"SetupDiGetDeviceInstallParams");
    if (infPath.size() >= MAX_PATH) return Failure{L"INF path", ERROR_FILENAME_EXCED_RANGE};
    wcscpy(params.DriverPath, infPath.c_str());
    params.Flags |= DI_ENUMSINGLEINF | DI_QUIETINSTALL;
    params.FlagsEx |= DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
    if (!SetupDiSetDeviceInstallParamsW(set.Handle(), &device, &params))
        return LastFailure(L"SetupDiSetDeviceInstallParams");
    if (!SetupDiBuildDriverInfoList(set.Handle(), &device, SPDIT_COMPATDRIVER))
        return LastFailure(L"SetupDiBuildDriverInfoList");
    if (StepResult failed = CallClassInstaller(DIF_SELECTBESTCOMPATDRV, L"DIF_SELECTBESTCOMPATDRV", set, device))
        return failed;
    SP_DRVINFO_DATA_W driver = {};
    driver.cbSize = sizeof driver;
    if (!SetupDiGetSelectedDriverW(set.Handle(), &device, &driver)) return LastFailure(L"SetupDiGetSelectedDriver");
    description = driver.Description;
    return std::nullopt;
}

// Values a root-enumerated modem needs before its driver is installed: the port
// the modem class binds it to, and our mark.
StepResult MarkRootModem(const DeviceSet& set, SP_DEVINFO_DATA& device, const std::wstring& port) {
    const RegistryKey key(
        SetupDiCreateDevRegKeyW(set.Handle(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr));
    if (!key.IsOpen()) return LastFailure(L"SetupDiCreateDevRegKey");
    if (StepResult failed = key.WriteString(kAttachedToValue, port)) return failed;
    return key.WriteString(kMadeByValue, kMadeByData);
}

StepResult InstallSelectedDriver(const DeviceSet& set, SP_DEVINFO_DATA& device) {
    if (StepResult failed = CallClassInstaller(DIF_REGISTER_COINSTALLERS, L"DIF_REGISTER_COINSTALLERS", set, device))
        return failed;
    if (StepResult failed = CallClassInstaller(DIF_INSTALLINTERFACES, L"DIF_INSTALLINTERFACES", set, device))
        return failed;
    return CallClassInstaller(DIF_INSTALLDEVICE, L"DIF_INSTALLDEVICE", set, device);
}

// After the INF's values: the APN initialisation, and the friendly name the dial-up
// entry names the modem by, unless the system's modem installer already gave one.
StepResult WriteModemSettings(const DeviceSet& set, SP_DEVINFO_DATA& device, const std::wstring& apn,
                              const std::wstring& description) {
    const RegistryKey key(OpenDriverKey(set, device, KEY_READ | KEY_WRITE));
    if (!key.IsOpen()) return LastFailure(L"SetupDiOpenDevRegKey");
    if (StepResult failed = key.WriteString(kUserInitValue, ApnInitCommand(apn))) return failed;
    const std::wstring friendlyName = key.ReadString(kFriendlyNameValue).value_or(description);
    if (StepResult failed = key.WriteString(kFriendlyNameValue, friendlyName)) return failed;
    if (!SetupDiSetDeviceRegistryPropertyW(set.Handle(), &device, SPDRP_FRIENDLYNAME,
                                           reinterpret_cast<const BYTE*>(friendlyName.c_str()),
                                           static_cast<DWORD>((friendlyName.size() + 1) * sizeof(wchar_t))))
        return LastFailure(L"SetupDiSetDeviceRegistryProperty(SPDRP_FRIENDLYNAME)");
    return std::nullopt;
}

StepResult InstallDriver(const DeviceSet& set, SP_DEVINFO_DATA& device, const ModemRequest& request, bool rootModem,
                         std::wstring& description) {
    if (StepResult failed = SelectDriverFromInf(set, device, request.infPath, description)) return failed;
    if (rootModem) {
        if (StepResult failed = MarkRootModem(set, device, request.port)) return failed;
    }
    if (StepResult failed = InstallSelectedDriver(set, device)) return failed;
    return WriteModemSettings(set, device, request.apn, description);
}

// A root-enumerated modem with the hardware id, registered with the system.
StepResult CreateRootModem(const DeviceSet& set, SP_DEVINFO_DATA& device, const std::wstring& hardwareId) {
    device.cbSize = sizeof device;
    if (!SetupDiCreateDeviceInfoW(set.Handle(), kRootDeviceName, &kModemClass, nullptr, nullptr, DICD_GENERATE_ID,
                                  &device))
        return LastFailure(L"SetupDiCreateDeviceInfo");
    std::vector<wchar_t> idList(hardwareId.begin(), hardwareId.end());
    idList.push_back(L'\0');
    idList.push_back(L'\0');
    if (!SetupDiSetDeviceRegistryPropertyW(set.Handle(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(idList.data()),
                                           static_cast<DWORD>(idList.size() * sizeof(wchar_t))))
        return LastFailure(L"SetupDiSetDeviceRegistryProperty(SPDRP_HARDWAREID)");
    return CallClassInstaller(DIF_REGISTERDEVICE, L"DIF_REGISTERDEVICE", set, device);
}

// The present device with the hardware id that this installer did not create.
std::optional<SP_DEVINFO_DATA> FindForeignDevice(const DeviceSet& present, const std::wstring& hardwareId) {
    for (SP_DEVINFO_DATA device : present.Devices()) {
        if (HasHardwareId(present, device, hardwareId) && !MadeByUs(present, device)) return device;
    }
    return std::nullopt;
}

// Removes this installer's modems on the port, all but the one with instance id
// `keep`; appends what it removed to `action`.
StepResult RemoveOurModems(const std::wstring& port, const std::wstring& keep, std::wstring& action) {
    const DeviceSet modems(SetupDiGetClassDevsW(&kModemClass, nullptr, nullptr, 0));
    if (!modems.IsValid()) return LastFailure(L"SetupDiGetClassDevs(Modem)");
    for (SP_DEVINFO_DATA device : modems.Devices()) {
        const std::wstring id = InstanceId(modems, device);
        if (id == keep || !MadeByUsOnPort(modems, device, port)) continue;
        if (StepResult failed = RemoveDevice(modems, device)) return failed;
        action += (action.empty() ? L"removed " : L"; removed ") + id;
    }
    return std::nullopt;
}

SetupOutcome Failed(const Failure& failure, const std::wstring& doneBefore) {
    return SetupOutcome{false, doneBefore.empty() ? Describe(failure) : doneBefore + L"; " + Describe(failure)};
}

SetupOutcome InstallOnForeignDevice(const DeviceSet& present, SP_DEVINFO_DATA device, const ModemRequest& request) {
    const std::wstring id = InstanceId(present, device);
    std::wstring description;
    if (StepResult failed = InstallDriver(present, device, request, false, description)) return Failed(*failed, L"");
    std::wstring action = L"installed on " + id + L" as \"" + description + L"\"";
    if (StepResult failed = RemoveOurModems(request.port, id, action)) return Failed(*failed, action);
    return SetupOutcome{true, action};
}

SetupOutcome InstallRootModem(const ModemRequest& request) {
    const DeviceSet created(SetupDiCreateDeviceInfoList(&kModemClass, nullptr));
    if (!created.IsValid()) return Failed(LastFailure(L"SetupDiCreateDeviceInfoList"), L"");
    SP_DEVINFO_DATA device = {};
    // Until it is registered the new device is a phantom that the system drops
    // with the set; once registered, a failure removes it again.
    if (StepResult failed = CreateRootModem(created, device, request.hardwareId)) return Failed(*failed, L"");
    std::wstring description;
    if (StepResult failed = InstallDriver(created, device, request, true, description)) {
        SetupOutcome outcome = Failed(*failed, L"");
        if (StepResult removeFailed = RemoveDevice(created, device))
            outcome.action += L"; the new modem could not be removed: " + Describe(*removeFailed);
        return outcome;
    }
    const std::wstring id = InstanceId(created, device);
    std::wstring action = L"created " + id + L" on " + request.port + L" as \"" + description + L"\"";
    std::wstring replaced;
    if (StepResult failed = RemoveOurModems(request.port, id, replaced)) return Failed(*failed, action);
    if (!replaced.empty()) action += L"; " + replaced;
    return SetupOutcome{true, action};
}

}  // namespace

SetupOutcome InstallModem(const ModemRequest& request) {
    const DeviceSet present(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
    if (!present.IsValid()) return Failed(LastFailure(L"SetupDiGetClassDevs"), L"");
    if (std::optional<SP_DEVINFO_DATA> device = FindForeignDevice(present, request.hardwareId))
        return InstallOnForeignDevice(present, *device, request);
    return InstallRootModem(request);
}

SetupOutcome RemoveModems(const std::wstring& port) {
    std::wstring action;
    if (StepResult failed = RemoveOurModems(port, std::wstring(), action)) return Failed(*failed, action);
    return SetupOutcome{true, action.empty() ? L"no modem of ours on " + port : action};
}

}  // namespace gminst

#include "system_win32.h"

#include <ras.h>

#include <cstddef>
#include <vector>

namespace ravelinwiz {

// Our first-layout records are the leading part of the system's records.
static_assert(offsetof(RASENTRYA, szLocalPhoneNumber) == offsetof(RasEntryV1, szLocalPhoneNumber),
              "entry layout matches the system's");
static_assert(offsetof(RASENTRYA, dwfNetProtocols) == offsetof(RasEntryV1, dwfNetProtocols),
              "entry layout matches the system's");
static_assert(offsetof(RASENTRYA, szDeviceType) == offsetof(RasEntryV1, szDeviceType),
              "entry layout matches the system's");
static_assert(offsetof(RASENTRYA, szDeviceName) == offsetof(RasEntryV1, szDeviceName),
              "entry layout matches the system's");
static_assert(offsetof(RASENTRYA, dwReserved2) == offsetof(RasEntryV1, dwReserved2),
              "entry layout matches the system's");
static_assert(offsetof(RASDIALPARAMSA, szUserName) == offsetof(RasDialParamsV1, szUserName),
              "dial-parameter layout matches the system's");
static_assert(offsetof(RASDIALPARAMSA, szPassword) == offsetof(RasDialParamsV1, szPassword),
              "dial-parameter layout matches the system's");
static_assert(offsetof(RASDIALPARAMSA, szDomain) == offsetof(RasDialParamsV1, szDomain),
              "dial-parameter layout matches the system's");

static_assert(offsetof(RASENTRYW, szLocalPhoneNumber) == offsetof(RasEntryV1W, szLocalPhoneNumber),
              "wide entry layout matches the system's");
static_assert(offsetof(RASENTRYW, dwfNetProtocols) == offsetof(RasEntryV1W, dwfNetProtocols),
              "wide entry layout matches the system's");
static_assert(offsetof(RASENTRYW, szDeviceType) == offsetof(RasEntryV1W, szDeviceType),
              "wide entry layout matches the system's");
static_assert(offsetof(RASENTRYW, szDeviceName) == offsetof(RasEntryV1W, szDeviceName),
              "wide entry layout matches the system's");
static_assert(offsetof(RASENTRYW, dwReserved2) == offsetof(RasEntryV1W, dwReserved2),
              "wide entry layout matches the system's");
static_assert(offsetof(RASDIALPARAMSW, szEntryName) == offsetof(RasDialParamsV1W, szEntryName),
              "wide dial-parameter layout matches the system's");
static_assert(offsetof(RASDIALPARAMSW, szUserName) == offsetof(RasDialParamsV1W, szUserName),
              "wide dial-parameter layout matches the system's");
static_assert(offsetof(RASDIALPARAMSW, szPassword) == offsetof(RasDialParamsV1W, szPassword),
              "wide dial-parameter layout matches the system's");
static_assert(offsetof(RASDIALPARAMSW, szDomain) == offsetof(RasDialParamsV1W, szDomain),
              "wide dial-parameter layout matches the system's");
static_assert(sizeof(WCHAR) == sizeof(char16_t), "wide text is UTF-16");

namespace {

LPCWSTR WideText(const std::u16string& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

}  // namespace

// Every call goes to the default phonebook (no phonebook path).
uint32_t Win32RasPhonebook::ValidateEntryName(const std::string& name) {
    return RasValidateEntryNameA(nullptr, name.c_str());
}

uint32_t Win32RasPhonebook::SetEntryProperties(const std::string& name, const RasEntryV1& entry, uint32_t entrySize,
                                               const uint8_t* deviceInfo, uint32_t deviceInfoSize) {
    RasEntryV1 record = entry;
    std::vector<BYTE> device;
    if (deviceInfo != nullptr) {
        device.assign(deviceInfo, deviceInfo + deviceInfoSize);
    }
    return RasSetEntryPropertiesA(nullptr, name.c_str(), reinterpret_cast<LPRASENTRYA>(&record), entrySize,
                                  device.empty() ? nullptr : device.data(), static_cast<DWORD>(device.size()));
}

uint32_t Win32RasPhonebook::SetEntryDialParams(const RasDialParamsV1& params, bool removePassword) {
    RasDialParamsV1 record = params;
    return RasSetEntryDialParamsA(nullptr, reinterpret_cast<LPRASDIALPARAMSA>(&record), removePassword ? TRUE : FALSE);
}

uint32_t Win32RasPhonebook::GetEntryProperties(const std::string& name, RasEntryV1& entry, uint32_t& entrySize,
                                               uint8_t* deviceInfo, uint32_t& deviceInfoSize) {
    DWORD entryBytes = entrySize;
    DWORD deviceBytes = deviceInfoSize;
    const DWORD result = RasGetEntryPropertiesA(nullptr, name.c_str(), reinterpret_cast<LPRASENTRYA>(&entry),
                                                &entryBytes, deviceInfo, &deviceBytes);
    entrySize = entryBytes;
    deviceInfoSize = deviceBytes;
    return result;
}

uint32_t Win32RasPhonebook::DeleteEntry(const std::string& name) { return RasDeleteEntryA(nullptr, name.c_str()); }

uint32_t Win32RasPhonebook::ValidateEntryName(const std::u16string& name) {
    return RasValidateEntryNameW(nullptr, WideText(name));
}

uint32_t Win32RasPhonebook::SetEntryProperties(const std::u16string& name, const RasEntryV1W& entry,
                                               uint32_t entrySize) {
    RasEntryV1W record = entry;
    return RasSetEntryPropertiesW(nullptr, WideText(name), reinterpret_cast<LPRASENTRYW>(&record), entrySize, nullptr,
                                  0);
}

uint32_t Win32RasPhonebook::SetEntryDialParams(const RasDialParamsV1W& params, bool removePassword) {
    RasDialParamsV1W record = params;
    return RasSetEntryDialParamsW(nullptr, reinterpret_cast<LPRASDIALPARAMSW>(&record), removePassword ? TRUE : FALSE);
}

uint32_t Win32RasPhonebook::DeleteEntry(const std::u16string& name) { return RasDeleteEntryW(nullptr, WideText(name)); }

}  // namespace ravelinwiz

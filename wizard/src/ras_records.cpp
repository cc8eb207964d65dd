#include "ras_records.h"

namespace ravelinwiz {

RasEntryV1 BuildGprsEntry(const std::string& phoneNumber, const std::string& deviceName) {
    RasEntryV1 entry{};
    entry.dwSize = sizeof entry;
    entry.dwfOptions = kGprsEntryOptions;
    CopyField(entry.szLocalPhoneNumber, phoneNumber);
    CopyField(entry.szDeviceType, kDeviceTypeModem);
    CopyField(entry.szDeviceName, deviceName);
    entry.dwfNetProtocols = kNetProtocolIp;
    entry.dwFramingProtocol = kFramingPpp;
    return entry;
}

RasDialParamsV1 BuildDialParams(const std::string& entryName, const std::string& userName,
                                const std::string& password) {
    RasDialParamsV1 params{};
    params.dwSize = sizeof params;
    CopyField(params.szEntryName, entryName);
    CopyField(params.szUserName, userName);
    CopyField(params.szPassword, password);
    return params;
}

}  // namespace ravelinwiz

#include "ras_records.h"

namespace ravelinwiz {

namespace {

// The device type in the record's character type; it is plain ASCII.
template <typename Char>
std::basic_string<Char> ModemDeviceType() {
    const std::string ascii = kDeviceTypeModem;
    return std::basic_string<Char>(ascii.begin(), ascii.end());
}

}  // namespace

template <typename Char>
BasicRasEntryV1<Char> BuildGprsEntry(const std::basic_string<Char>& phoneNumber,
                                     const std::basic_string<Char>& deviceName) {
    BasicRasEntryV1<Char> entry{};
    entry.dwSize = sizeof entry;
    entry.dwfOptions = kGprsEntryOptions;
    CopyField(entry.szLocalPhoneNumber, phoneNumber);
    CopyField(entry.szDeviceType, ModemDeviceType<Char>());
    CopyField(entry.szDeviceName, deviceName);
    entry.dwfNetProtocols = kNetProtocolIp;
    entry.dwFramingProtocol = kFramingPpp;
    return entry;
}

template <typename Char>
BasicRasDialParamsV1<Char> BuildDialParams(const std::basic_string<Char>& entryName,
                                           const std::basic_string<Char>& userName,
                                           const std::basic_string<Char>& password) {
    BasicRasDialParamsV1<Char> params{};
    params.dwSize = sizeof params;
    CopyField(params.szEntryName, entryName);
    CopyField(params.szUserName, userName);
    CopyField(params.szPassword, password);
    return params;
}

template RasEntryV1 BuildGprsEntry(const std::string&, const std::string&);
template RasEntryV1W BuildGprsEntry(const std::u16string&, const std::u16string&);
template RasDialParamsV1 BuildDialParams(const std::string&, const std::string&, const std::string&);
template RasDialParamsV1W BuildDialParams(const std::u16string&, const std::u16string&, const std::u16string&);

}  // namespace ravelinwiz

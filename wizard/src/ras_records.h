#pragma once
// The remote-access records in their first (smallest) layouts, which every
// system version from Windows 95 and NT 4 on accepts. Text fields are in the
// ANSI code page and zero-terminated.
#include <cstddef>
#include <cstdint>
#include <string>

namespace ravelinwiz {

constexpr size_t kMaxAreaCode = 10;
constexpr size_t kMaxPhoneNumber = 128;
constexpr size_t kMaxPath = 260;
constexpr size_t kMaxDeviceType = 16;
constexpr size_t kMaxDeviceName = 128;
constexpr size_t kMaxPadType = 32;
constexpr size_t kMaxX25Address = 200;
constexpr size_t kMaxFacilities = 200;
constexpr size_t kMaxUserData = 200;
constexpr size_t kMaxEntryName = 256;
constexpr size_t kMaxUserName = 256;
constexpr size_t kMaxPassword = 256;
constexpr size_t kMaxDomain = 15;

struct RasIpAddress {
    uint8_t a, b, c, d;
};

struct RasEntryV1 {
    uint32_t dwSize;
    uint32_t dwfOptions;
    uint32_t dwCountryID;
    uint32_t dwCountryCode;
    char szAreaCode[kMaxAreaCode + 1];
    char szLocalPhoneNumber[kMaxPhoneNumber + 1];
    uint32_t dwAlternateOffset;
    RasIpAddress ipaddr;
    RasIpAddress ipaddrDns;
    RasIpAddress ipaddrDnsAlt;
    RasIpAddress ipaddrWins;
    RasIpAddress ipaddrWinsAlt;
    uint32_t dwFrameSize;
    uint32_t dwfNetProtocols;
    uint32_t dwFramingProtocol;
    char szScript[kMaxPath];
    char szAutodialDll[kMaxPath];
    char szAutodialFunc[kMaxPath];
    char szDeviceType[kMaxDeviceType + 1];
    char szDeviceName[kMaxDeviceName + 1];
    char szX25PadType[kMaxPadType + 1];
    char szX25Address[kMaxX25Address + 1];
    char szX25Facilities[kMaxFacilities + 1];
    char szX25UserData[kMaxUserData + 1];
    uint32_t dwChannels;
    uint32_t dwReserved1;
    uint32_t dwReserved2;
};

static_assert(sizeof(RasEntryV1) == 1768, "first entry layout is 1768 bytes");
static_assert(offsetof(RasEntryV1, dwfOptions) == 4, "entry layout");
static_assert(offsetof(RasEntryV1, szAreaCode) == 16, "entry layout");
static_assert(offsetof(RasEntryV1, szLocalPhoneNumber) == 27, "entry layout");
static_assert(offsetof(RasEntryV1, dwAlternateOffset) == 156, "entry layout");
static_assert(offsetof(RasEntryV1, ipaddr) == 160, "entry layout");
static_assert(offsetof(RasEntryV1, dwFrameSize) == 180, "entry layout");
static_assert(offsetof(RasEntryV1, dwfNetProtocols) == 184, "entry layout");
static_assert(offsetof(RasEntryV1, dwFramingProtocol) == 188, "entry layout");
static_assert(offsetof(RasEntryV1, szScript) == 192, "entry layout");
static_assert(offsetof(RasEntryV1, szAutodialDll) == 452, "entry layout");
static_assert(offsetof(RasEntryV1, szAutodialFunc) == 712, "entry layout");
static_assert(offsetof(RasEntryV1, szDeviceType) == 972, "entry layout");
static_assert(offsetof(RasEntryV1, szDeviceName) == 989, "entry layout");
static_assert(offsetof(RasEntryV1, szX25PadType) == 1118, "entry layout");
static_assert(offsetof(RasEntryV1, szX25Address) == 1151, "entry layout");
static_assert(offsetof(RasEntryV1, szX25Facilities) == 1352, "entry layout");
static_assert(offsetof(RasEntryV1, szX25UserData) == 1553, "entry layout");
static_assert(offsetof(RasEntryV1, dwChannels) == 1756, "entry layout");
static_assert(offsetof(RasEntryV1, dwReserved2) == 1764, "entry layout");

struct RasDialParamsV1 {
    uint32_t dwSize;
    char szEntryName[kMaxEntryName + 1];
    char szPhoneNumber[kMaxPhoneNumber + 1];
    char szCallbackNumber[kMaxPhoneNumber + 1];
    char szUserName[kMaxUserName + 1];
    char szPassword[kMaxPassword + 1];
    char szDomain[kMaxDomain + 1];
};

static_assert(sizeof(RasDialParamsV1) == 1052, "first dial-parameter layout is 1052 bytes");
static_assert(offsetof(RasDialParamsV1, szEntryName) == 4, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szPhoneNumber) == 261, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szCallbackNumber) == 390, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szUserName) == 519, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szPassword) == 776, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szDomain) == 1033, "dial-parameter layout");

// Entry options: show dialling progress, preview user and password, software
// compression, modem lights, use the remote default gateway, IP header compression.
constexpr uint32_t kOptionIpHeaderCompression = 0x00000008;
constexpr uint32_t kOptionRemoteDefaultGateway = 0x00000010;
constexpr uint32_t kOptionModemLights = 0x00000100;
constexpr uint32_t kOptionSwCompression = 0x00000200;
constexpr uint32_t kOptionPreviewUserPassword = 0x01000000;
constexpr uint32_t kOptionShowDialingProgress = 0x04000000;
constexpr uint32_t kGprsEntryOptions = kOptionShowDialingProgress | kOptionPreviewUserPassword |
                                       kOptionSwCompression | kOptionModemLights |
                                       kOptionRemoteDefaultGateway | kOptionIpHeaderCompression;
constexpr uint32_t kNetProtocolIp = 4;
constexpr uint32_t kFramingPpp = 1;
constexpr char kDeviceTypeModem[] = "modem";

// The dial-up entry of the wizard: the dial number over the named modem.
RasEntryV1 BuildGprsEntry(const std::string& phoneNumber, const std::string& deviceName);
RasDialParamsV1 BuildDialParams(const std::string& entryName, const std::string& userName,
                                const std::string& password);

// Copies text into a fixed field, cut to what the field holds, zero-terminated.
template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
    const size_t length = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, length);
    field[length] = '\0';
}

}  // namespace ravelinwiz

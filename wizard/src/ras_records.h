#pragma once
// The remote-access records in their first (smallest) layouts, which every
// system version from Windows 95 and NT 4 on accepts. Each comes in two forms
// of the same shape: the ANSI record, whose text fields hold bytes in the
// ANSI code page, and the wide record, whose text fields hold UTF-16. Text
// fields are zero-terminated.
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

template <typename Char>
struct BasicRasEntryV1 {
    uint32_t dwSize;
    uint32_t dwfOptions;
    uint32_t dwCountryID;
    uint32_t dwCountryCode;
    Char szAreaCode[kMaxAreaCode + 1];
    Char szLocalPhoneNumber[kMaxPhoneNumber + 1];
    uint32_t dwAlternateOffset;
    RasIpAddress ipaddr;
    RasIpAddress ipaddrDns;
    RasIpAddress ipaddrDnsAlt;
    RasIpAddress ipaddrWins;
    RasIpAddress ipaddrWinsAlt;
    uint32_t dwFrameSize;
    uint32_t dwfNetProtocols;
    uint32_t dwFramingProtocol;
    Char szScript[kMaxPath];
    Char szAutodialDll[kMaxPath];
    Char szAutodialFunc[kMaxPath];
    Char szDeviceType[kMaxDeviceType + 1];
    Char szDeviceName[kMaxDeviceName + 1];
    Char szX25PadType[kMaxPadType + 1];
    Char szX25Address[kMaxX25Address + 1];
    Char szX25Facilities[kMaxFacilities + 1];
    Char szX25UserData[kMaxUserData + 1];
    uint32_t dwChannels;
    uint32_t dwReserved1;
    uint32_t dwReserved2;
};

using RasEntryV1 = BasicRasEntryV1<char>;
using RasEntryV1W = BasicRasEntryV1<char16_t>;

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

static_assert(sizeof(RasEntryV1W) == 3468, "first wide entry layout is 3468 bytes");
static_assert(offsetof(RasEntryV1W, szLocalPhoneNumber) == 38, "wide entry layout");
static_assert(offsetof(RasEntryV1W, dwAlternateOffset) == 296, "wide entry layout");
static_assert(offsetof(RasEntryV1W, dwfNetProtocols) == 324, "wide entry layout");
static_assert(offsetof(RasEntryV1W, szScript) == 332, "wide entry layout");
static_assert(offsetof(RasEntryV1W, szDeviceType) == 1892, "wide entry layout");
static_assert(offsetof(RasEntryV1W, szDeviceName) == 1926, "wide entry layout");
static_assert(offsetof(RasEntryV1W, szX25UserData) == 3054, "wide entry layout");
static_assert(offsetof(RasEntryV1W, dwChannels) == 3456, "wide entry layout");

template <typename Char>
struct BasicRasDialParamsV1 {
    uint32_t dwSize;
    Char szEntryName[kMaxEntryName + 1];
    Char szPhoneNumber[kMaxPhoneNumber + 1];
    Char szCallbackNumber[kMaxPhoneNumber + 1];
    Char szUserName[kMaxUserName + 1];
    Char szPassword[kMaxPassword + 1];
    Char szDomain[kMaxDomain + 1];
};

using RasDialParamsV1 = BasicRasDialParamsV1<char>;
using RasDialParamsV1W = BasicRasDialParamsV1<char16_t>;

static_assert(sizeof(RasDialParamsV1) == 1052, "first dial-parameter layout is 1052 bytes");
static_assert(offsetof(RasDialParamsV1, szEntryName) == 4, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szPhoneNumber) == 261, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szCallbackNumber) == 390, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szUserName) == 519, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szPassword) == 776, "dial-parameter layout");
static_assert(offsetof(RasDialParamsV1, szDomain) == 1033, "dial-parameter layout");

static_assert(sizeof(RasDialParamsV1W) == 2096, "first wide dial-parameter layout is 2096 bytes");
static_assert(offsetof(RasDialParamsV1W, szPhoneNumber) == 518, "wide dial-parameter layout");
static_assert(offsetof(RasDialParamsV1W, szUserName) == 1034, "wide dial-parameter layout");
static_assert(offsetof(RasDialParamsV1W, szPassword) == 1548, "wide dial-parameter layout");
static_assert(offsetof(RasDialParamsV1W, szDomain) == 2062, "wide dial-parameter layout");

// Entry options: show dialling progress, preview user and password, software
// compression, modem lights, use the remote default gateway, IP header compression.
constexpr uint32_t kOptionIpHeaderCompression = 0x00000008;
constexpr uint32_t kOptionRemoteDefaultGateway = 0x00000010;
constexpr uint32_t kOptionModemLights = 0x00000100;
constexpr uint32_t kOptionSwCompression = 0x00000200;
constexpr uint32_t kOptionPreviewUserPassword = 0x01000000;
constexpr uint32_t kOptionShowDialingProgress = 0x04000000;
constexpr uint32_t kGprsEntryOptions = kOptionShowDialingProgress | kOptionPreviewUserPassword | kOptionSwCompression |
                                       kOptionModemLights | kOptionRemoteDefaultGateway | kOptionIpHeaderCompression;
constexpr uint32_t kNetProtocolIp = 4;
constexpr uint32_t kFramingPpp = 1;
constexpr char kDeviceTypeModem[] = "modem";

// The dial-up entry of the wizard: the dial number over the named modem. The
// texts must fit their fields (the entry writer checks that first); the copy
// cuts anything longer rather than overrun the record.
template <typename Char>
BasicRasEntryV1<Char> BuildGprsEntry(const std::basic_string<Char>& phoneNumber,
                                     const std::basic_string<Char>& deviceName);
template <typename Char>
BasicRasDialParamsV1<Char> BuildDialParams(const std::basic_string<Char>& entryName,
                                           const std::basic_string<Char>& userName,
                                           const std::basic_string<Char>& password);

// Copies text into a fixed field, cut to what the field holds, zero-terminated.
template <typename Char, size_t N>
void CopyField(Char (&field)[N], const std::basic_string<Char>& text) {
    const size_t length = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, length);
    field[length] = Char();
}

}  // namespace ravelinwiz

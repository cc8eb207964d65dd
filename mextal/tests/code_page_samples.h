#pragma once
// Names for the tests in whatever the local code page is. Natively that is the
// LC_CTYPE locale, which the tests switch and put back to "C" (ASCII). Under
// Windows it is the ANSI code page, fixed at start-up (Wine: 1252 for the C,
// English and German locales, 936 for Chinese); what it lacks is skipped.
#include <clocale>
#include <optional>
#include <string>

#if defined(_WIN32)
#include <ravelin/win32.h>
#endif

namespace mextal::test {

// A name with bytes of 0x80 and above, in the local code page and in UTF-8.
struct LocalSample {
    std::string local;
    std::string utf8;
};

// U+0100 in UTF-8: held by neither ASCII nor the code pages 1252 and 936.
constexpr const char* kUtf8WithoutLocalForm = "Caf\xC4\x80";

#if defined(_WIN32)

inline void UseDefaultCodePage() {}

// The euro sign is byte 0x80 of code page 1252.
inline std::optional<LocalSample> UseLatinCodePage() {
    if (GetACP() != 1252) return std::nullopt;
    return LocalSample{"Caf\xE9 \x80", "Caf\xC3\xA9 \xE2\x82\xAC"};
}

// A lead byte without its trail byte, where the code page has lead bytes.
inline std::optional<std::string> InvalidLocalName() {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize < 2 || info.LeadByte[0] == 0) return std::nullopt;
    return std::string("Caf") + static_cast<char>(info.LeadByte[0]);
}

#else

inline void UseDefaultCodePage() { std::setlocale(LC_CTYPE, "C"); }

inline std::optional<LocalSample> UseLatinCodePage() {
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) return std::nullopt;
    return LocalSample{"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xC3\xA9 \xE2\x82\xAC"};
}

// ASCII, the code page of the "C" locale, has no byte 0x80.
inline std::optional<std::string> InvalidLocalName() {
    UseDefaultCodePage();
    return std::string("Caf\x80");
}

#endif

}  // namespace mextal::test

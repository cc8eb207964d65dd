// Names coming from the handset (UTF-8) converted to the local character set,
// here the POSIX converter under a UTF-8 locale and under the "C" locale
// (ASCII). The input is the name.
//
// Checks: ASCII passes unchanged in both; under UTF-8 a name converts exactly
// when it is well-formed UTF-8 (shortest forms, no surrogates, nothing above
// U+10FFFF) and then unchanged; under ASCII anything else is refused; a
// converted name converts back to the bytes that came in.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "text_convert.h"

namespace {

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Well-formed UTF-8 as the standard defines it.
bool IsWellFormedUtf8(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        size_t length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (at + length > text.size()) return false;
        for (size_t i = 1; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(text[at + i]);
            if (!IsContinuation(byte)) return false;
            code = (code << 6) | (byte & 0x3F);
        }
        constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        at += length;
    }
    return true;
}

void CheckInLocale(const char* locale, std::string_view name, bool utf8Locale) {
    FUZZ_CHECK(std::setlocale(LC_CTYPE, locale) != nullptr);
    std::string local;
    const bool converted = mextal::FromHandsetText(name, local);
    const bool representable = IsAscii(name) || (utf8Locale && IsWellFormedUtf8(name));
    FUZZ_CHECK(converted == representable);
    if (!converted) return;
    FUZZ_CHECK(local == name);
    std::string back;
    FUZZ_CHECK(mextal::ToHandsetText(local, back));
    FUZZ_CHECK(back == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    CheckInLocale("C.UTF-8", name, true);
    CheckInLocale("C", name, false);
    return 0;
}

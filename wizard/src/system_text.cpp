#include "system_text.h"

#include <cstdio>

namespace ravelinwiz {

namespace {
constexpr uint32_t kMinorWindows95 = 0;
constexpr uint32_t kMinorWindows98 = 10;
}  // namespace

std::string FormatErrorCode(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%8.8lX", static_cast<unsigned long>(code));
    return text;
}

std::string ComposeSystemError(SystemInfo& system, const std::string& prefix, uint32_t code) {
    const std::string text = system.SystemErrorText(code);
    return prefix + (text.empty() ? FormatErrorCode(code) : text);
}

bool IsWindows95Or98(const OsVersion& version) {
    return version.known && version.platform == kPlatformWindows &&
           (version.minor == kMinorWindows95 || version.minor == kMinorWindows98);
}

bool IsNtFamily(const OsVersion& version) { return version.known && version.platform == kPlatformNt; }

}  // namespace ravelinwiz

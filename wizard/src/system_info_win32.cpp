#include "system_win32.h"
#include "text_win32.h"

namespace ravelinwiz {

OsVersion Win32SystemInfo::QueryVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
        OsVersion unknown;
        unknown.error = GetLastError();
        return unknown;
    }
    return {true, 0, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

// In the user's language and the ANSI code page, line break included.
std::string Win32SystemInfo::SystemErrorText(uint32_t code) {
    return ToAnsi(ravelin::win32::SystemErrorText(code, LANG_USER_DEFAULT));
}

std::optional<std::string> Win32SystemInfo::ModuleFileName() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {  // failed or cut short
        return std::nullopt;
    }
    return std::string(path, length);
}

std::optional<std::string> Win32SystemInfo::WindowsDirectory() {
    char path[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {  // failed, or the buffer was too small
        return std::nullopt;
    }
    return std::string(path, length);
}

// No best-fit replacements: a character the code page lacks makes the
// conversion fail rather than turn into a look-alike or "?". A UTF-8 ANSI code
// page holds every character but takes no such flags.
std::optional<std::string> Win32SystemInfo::ToAnsiCodePage(const std::u16string& text) {
    if (text.empty()) {
        return std::string();
    }
    const auto* wide = reinterpret_cast<LPCWSTR>(text.data());
    const int size = static_cast<int>(text.size());
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(CP_ACP, flags, wide, size, nullptr, 0, nullptr, usedDefaultOut);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string converted(length, '\0');
    WideCharToMultiByte(CP_ACP, flags, wide, size, &converted[0], length, nullptr, usedDefaultOut);
    return converted;
}

void ThreadSleeper::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace ravelinwiz

#pragma once
// What the Windows sources of the suite include instead of <windows.h>: the
// system headers as the build sets them up, owners for kernel handles and
// registry keys, the system's wording of an error code, and UTF-8 conversion.
//
// The build defines WIN32_LEAN_AND_MEAN, NOMINMAX and _WIN32_WINNT for every
// Windows target (cmake/ravelin.cmake), so a file that reaches <windows.h>
// through another header sees the same declarations. The lean set leaves out
// sockets, the shell, the common dialogs and COM: a file that needs one of
// those includes its header itself. The version is Vista, which every binary
// needs anyway for the threading runtime's condition variables.
#if !defined(WIN32_LEAN_AND_MEAN) || !defined(NOMINMAX) || !defined(_WIN32_WINNT) || _WIN32_WINNT != 0x0600
#error "the Windows targets are built with the settings of cmake/ravelin.cmake"
#endif

#include <windows.h>

#include <string>
#include <string_view>

namespace ravelin::win32 {

// Owns one system object and closes it once. Both values the system uses for
// "none" (null, and INVALID_HANDLE_VALUE from the file and device calls) count
// as empty and are never closed.
template <typename Traits>
class UniqueOwner {
public:
    using Native = typename Traits::Native;

    UniqueOwner() = default;
    explicit UniqueOwner(Native value) noexcept : value_(value) {}
    ~UniqueOwner() { reset(); }

    UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    Native get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return !IsEmpty(value_); }

    // Gives the object up without closing it; the owner is empty afterwards.
    Native release() noexcept {
        const Native value = value_;
        value_ = nullptr;
        return value;
    }

    // Closes what the owner held, then holds `value`.
    void reset(Native value = nullptr) noexcept {
        const Native previous = value_;
        value_ = value;
        if (!IsEmpty(previous)) Traits::Close(previous);
    }

private:
    static bool IsEmpty(Native value) noexcept { return value == nullptr || value == INVALID_HANDLE_VALUE; }

    Native value_ = nullptr;
};

struct HandleTraits {
    using Native = HANDLE;
    static void Close(HANDLE handle) noexcept { CloseHandle(handle); }
};

struct RegKeyTraits {
    using Native = HKEY;
    static void Close(HKEY key) noexcept { RegCloseKey(key); }
};

using UniqueHandle = UniqueOwner<HandleTraits>;
using UniqueRegKey = UniqueOwner<RegKeyTraits>;

// Asks the system in the order it documents: neutral, the thread's, the user's
// and the system's language, then US English.
constexpr LANGID kAnyMessageLanguage = 0;

// The system's text for an error code as the system words it, line break
// included; empty when the system has no text for the code.
inline std::wstring SystemErrorText(DWORD error, LANGID language = kAnyMessageLanguage) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) LocalFree(buffer);
    return text;
}

// UTF-8 and the system's wide strings, one to the other.
inline std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string converted(length > 0 ? length : 0, '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &converted[0], length, nullptr, nullptr);
    return converted;
}

inline std::wstring FromUtf8(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring converted(length > 0 ? length : 0, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &converted[0], length);
    return converted;
}

}  // namespace ravelin::win32

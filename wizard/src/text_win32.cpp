#include "text_win32.h"

namespace ravelinwiz {

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

std::wstring LoadResString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size the loader hands out a pointer into the resource.
    const int length = LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string converted(length > 0 ? length : 0, '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.data(), size, &converted[0], length, nullptr, nullptr);
    }
    return converted;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring converted(length > 0 ? length : 0, L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, &converted[0], length);
    }
    return converted;
}

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16");

std::u16string ToUtf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring ControlText(HWND dialog, int control) {
    HWND window = GetDlgItem(dialog, control);
    const int length = window != nullptr ? GetWindowTextLengthW(window) : 0;
    if (length <= 0) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    const int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(copied > 0 ? copied : 0);
    return text;
}

}  // namespace ravelinwiz

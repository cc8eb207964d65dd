#pragma once
#include <ravelin/win32.h>

#include <string>

namespace ravelinwiz {

HINSTANCE ModuleInstance();
// A string of the program's string table in the user's language.
std::wstring LoadResString(UINT id);
// Text in the ANSI code page, as the installer pages and the ANSI calls take it.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
// The dial-up logic keeps text as typed, in UTF-16 (as the system's wide text is).
std::u16string ToUtf16(const std::wstring& text);
std::wstring ToWide(const std::u16string& text);
std::wstring ControlText(HWND dialog, int control);

}  // namespace ravelinwiz

#pragma once
#include <windows.h>

#include <string>

namespace ravelinwiz {

HINSTANCE ModuleInstance();
// A string of the program's string table in the user's language.
std::wstring LoadResString(UINT id);
// The page logic and the remote-access calls work in the ANSI code page.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
std::wstring ControlText(HWND dialog, int control);

}  // namespace ravelinwiz

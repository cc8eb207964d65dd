#include "system_win32.h"
#include "text_win32.h"

namespace ravelinwiz {

static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one privilege: the 16-byte previous-state buffer");

// The wide writer takes the section name as typed, so it finds the entry under
// every name the wide phonebook calls accept.
void Win32ProfileWriter::WriteString(const std::string& file, const std::u16string& section, const std::string& key,
                                     const std::string& value) {
    WritePrivateProfileStringW(ToWide(section).c_str(), FromAnsi(key).c_str(), FromAnsi(value).c_str(),
                               FromAnsi(file).c_str());
}

// Failures are ignored: a refused restart is not reported either.
void Win32Restarter::EnableShutdownPrivilege() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
        return;
    }
    const ravelin::win32::UniqueHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        TOKEN_PRIVILEGES previous{};
        DWORD previousSize = sizeof previous;
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof previous, &previous, &previousSize);
    }
}

void Win32Restarter::RequestReboot() { ExitWindowsEx(EWX_REBOOT, 0); }

}  // namespace ravelinwiz

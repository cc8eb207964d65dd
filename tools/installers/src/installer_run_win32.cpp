#include "installer_run_win32.h"

#include <windows.h>

#include <string>

namespace standin {
namespace {

constexpr wchar_t kLogVariable[] = L"RAVELIN_INSTALLER_LOG";
constexpr wchar_t kDefaultLogName[] = L"installer.log";
constexpr wchar_t kLineEnd[] = L"\r\n";

// Folder of the running program, without the trailing backslash; empty when
// it cannot be read.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring LogPath(const std::wstring& folder) {
    const DWORD needed = GetEnvironmentVariableW(kLogVariable, nullptr, 0);
    if (needed > 1) {
        std::wstring value(needed, L'\0');
        const DWORD length = GetEnvironmentVariableW(kLogVariable, &value[0], needed);
        if (length > 0 && length < needed) {
            value.resize(length);
            return value;
        }
    }
    return folder + L"\\" + kDefaultLogName;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

}  // namespace

int RunInstaller(const InstallerKind& kind, std::wstring_view fieldText) {
    const std::wstring folder = ProgramFolder();
    const std::vector<std::wstring> fields = SplitFields(fieldText);
    InstallResult result = CheckFields(fields, kind);
    if (result == InstallResult::kInstalled && !FileExists(folder + L"\\" + std::wstring(kInfName)))
        result = InstallResult::kInfMissing;

    const std::wstring line = FormatLogLine(kind, result, fieldText, fields) + kLineEnd;
    if (!AppendToFile(LogPath(folder), ToUtf8(line))) return static_cast<int>(InstallResult::kLogNotWritten);
    return static_cast<int>(result);
}

}  // namespace standin

#include "installer_run_win32.h"

#include <ravelin/win32.h>

namespace gminst {
namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr wchar_t kLogSuffix[] = L".log";
constexpr wchar_t kNothingChanged[] = L"nothing changed";

// Folder of the running program, without the trailing backslash; empty when it
// cannot be read.
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

// The folder GetTempPath names (%TMP% or %TEMP%) ends in a backslash.
std::wstring LogPath(const InstallerKind& kind) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    return std::wstring(folder, length) + std::wstring(kind.programName) + kLogSuffix;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    if (path.empty()) return false;
    const ravelin::win32::UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

std::wstring InfBesideProgram() { return ProgramFolder() + L"\\" + std::wstring(kInfName); }

RunReport CheckedFields(std::wstring_view fieldText, const InstallerKind& kind) {
    RunReport report{InstallResult::kInstalled, std::wstring(), SplitFields(fieldText)};
    report.result = CheckFields(report.fields, kind);
    if (report.result != InstallResult::kInstalled) {
        report.action = kNothingChanged;
    } else if (!FileExists(InfBesideProgram())) {
        report.result = InstallResult::kInfMissing;
        report.action = std::wstring(kNothingChanged) + L": " + InfBesideProgram() + L" not found";
    }
    return report;
}

int Finish(const InstallerKind& kind, const RunReport& report, std::wstring_view requestText) {
    const std::wstring line = FormatLogLine(kind, report.result, report.action, requestText, report.fields) + kLineEnd;
    if (!AppendToFile(LogPath(kind), ToUtf8(line)) && report.result == InstallResult::kInstalled)
        return static_cast<int>(InstallResult::kLogNotWritten);
    return static_cast<int>(report.result);
}

}  // namespace gminst

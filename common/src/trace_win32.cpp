// The trace's system side on Windows: the file named by RAVELIN_TRACE or by the
// wizard's per-user "Trace" value, opened for appending on every line, so that
// no handle outlives a DLL that is unloaded and every process sees the same file.
#include <ravelin/win32.h>

#include "trace_platform.h"

namespace ravelin::trace::platform {

namespace {

using ravelin::win32::UniqueHandle;

constexpr wchar_t kProfileKey[] = L"Software\\Tavo\\RavelinWiz";
constexpr wchar_t kTraceValue[] = L"Trace";

// A fixed buffer rather than a std::wstring: nothing to destroy while another
// thread may still be writing as the process or DLL goes away.
wchar_t tracePath[4096];

bool PathFromEnvironment() {
    const DWORD length = GetEnvironmentVariableW(L"RAVELIN_TRACE", tracePath, ARRAYSIZE(tracePath));
    return length > 0 && length < ARRAYSIZE(tracePath);
}

// Asking for REG_SZ also takes a REG_EXPAND_SZ value such as
// "%TEMP%\ravelin.log", expanded.
bool PathFromProfile() {
    DWORD bytes = sizeof tracePath;
    return RegGetValueW(HKEY_CURRENT_USER, kProfileKey, kTraceValue, RRF_RT_REG_SZ, nullptr, tracePath, &bytes) ==
               ERROR_SUCCESS &&
           tracePath[0] != L'\0';
}

}  // namespace

Stamp Now() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    Stamp stamp;
    stamp.year = local.wYear;
    stamp.month = local.wMonth;
    stamp.day = local.wDay;
    stamp.hour = local.wHour;
    stamp.minute = local.wMinute;
    stamp.second = local.wSecond;
    stamp.millisecond = local.wMilliseconds;
    stamp.process = GetCurrentProcessId();
    stamp.thread = GetCurrentThreadId();
    return stamp;
}

bool LoadConfiguredPath() { return PathFromEnvironment() || PathFromProfile(); }

// A handle with append access only makes each WriteFile land whole at the end
// of the file.
bool Append(std::string_view line) {
    const UniqueHandle file(CreateFileW(tracePath, FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    if (line.empty()) return true;
    DWORD written = 0;
    return WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

PreservedError::PreservedError() : saved_(GetLastError()) {}

PreservedError::~PreservedError() { SetLastError(saved_); }

uint32_t LastErrorCode() { return GetLastError(); }

std::string ErrorText(uint32_t code) {
    std::string text = ravelin::win32::ToUtf8(ravelin::win32::SystemErrorText(code));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace ravelin::trace::platform

#include <ravelin/win32.h>
// The memory counters come from kernel32's own export (K32GetProcessMemoryInfo);
// the header picks that export by itself only when building for Windows 7 or later.
#define PSAPI_VERSION 2
#include <psapi.h>
#include <tlhelp32.h>

#include "process_meter.h"

namespace bench {
namespace {

double Ms(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e4;
}

double ThreadCpuMs(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return 0;
    return Ms(kernel) + Ms(user);
}

}  // namespace

double OtherThreadsCpuMs() {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
    return Ms(kernel) + Ms(user) - ThreadCpuMs(GetCurrentThread());
}

std::vector<ThreadCpu> CpuPerThread() {
    std::vector<ThreadCpu> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        threads.push_back({"thread " + std::to_string(entry.th32ThreadID), ThreadCpuMs(thread)});
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return threads;
}

size_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

}  // namespace bench

#include <ravelin/win32.h>
// The memory counters come from kernel32's own export (K32GetProcessMemoryInfo);
// the header picks that export by itself only when building for Windows 7 or later.
#define PSAPI_VERSION 2
#include <psapi.h>
#include <tlhelp32.h>

#include "process_meter.h"

namespace bench {
namespace {

using ravelin::win32::UniqueHandle;

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
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        const UniqueHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        if (!thread) continue;
        threads.push_back({"thread " + std::to_string(entry.th32ThreadID), ThreadCpuMs(thread.get())});
    }
    return threads;
}

size_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

}  // namespace bench

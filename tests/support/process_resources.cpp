#include "process_resources.h"

#include <cstdint>

#if defined(_WIN32)
#include <ravelin/win32.h>
#include <tlhelp32.h>
#include <winternl.h>
#else
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace ravelin::test {
namespace {

#if defined(_WIN32)
// Handle values are multiples of four and handed out lowest first; Wine does not
// count them for GetProcessHandleCount, so every value in range is asked about.
constexpr uintptr_t kHandleStep = 4;
constexpr uintptr_t kHandleValuesAskedAbout = 0x4000;

std::string KindOf(HANDLE handle) {
    alignas(8) unsigned char buffer[512];
    ULONG length = 0;
    if (NtQueryObject(handle, ObjectTypeInformation, buffer, sizeof buffer, &length) != 0) return "unknown";
    const auto* type = reinterpret_cast<const PUBLIC_OBJECT_TYPE_INFORMATION*>(buffer);
    std::string kind;
    for (USHORT i = 0; i < type->TypeName.Length / sizeof(wchar_t); ++i) {
        kind += static_cast<char>(type->TypeName.Buffer[i]);
    }
    return kind;
}

// The threading runtime makes an event or a semaphore for a lock or condition
// the first time it is contended and keeps it as long as that lock lives, for
// the port objects' locks the whole process. Those two kinds grow without a
// leak and are left out; files (ports), threads, keys and mutexes are counted.
bool CountsAsResource(const std::string& kind) { return kind != "Event" && kind != "Semaphore"; }

void CountHandles(ProcessResources& resources) {
    DWORD flags = 0;
    for (uintptr_t value = kHandleStep; value < kHandleValuesAskedAbout; value += kHandleStep) {
        HANDLE handle = reinterpret_cast<HANDLE>(value);
        if (!GetHandleInformation(handle, &flags)) continue;
        const std::string kind = KindOf(handle);
        if (!CountsAsResource(kind)) continue;
        ++resources.handles;
        ++resources.handleKinds[kind];
    }
}

long CountThreads() {
    const ravelin::win32::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return -1;
    long count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    return count;
}
#else
// What a descriptor refers to: "/dev/pts/3" gives "/dev/pts", "socket:[77]" gives "socket".
std::string KindOf(const std::string& target) {
    const size_t colon = target.find(':');
    if (colon != std::string::npos) return target.substr(0, colon);
    const size_t slash = target.rfind('/');
    return slash == 0 || slash == std::string::npos ? target : target.substr(0, slash);
}

void CountHandles(ProcessResources& resources) {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == dirfd(dir)) continue;
        char target[256] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        ++resources.handles;
        ++resources.handleKinds[length > 0 ? KindOf(std::string(target, static_cast<size_t>(length))) : "unknown"];
    }
    closedir(dir);
}

long CountThreads() {
    DIR* dir = opendir("/proc/self/task");
    if (dir == nullptr) return -1;
    long count = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count;
}
#endif

}  // namespace

ProcessResources CountProcessResources() {
    ProcessResources resources;
    CountHandles(resources);
    resources.threads = CountThreads();
    return resources;
}

std::string Describe(const ProcessResources& resources) {
    std::string text = std::to_string(resources.handles) + " handles (";
    for (const auto& [kind, count] : resources.handleKinds) text += kind + " " + std::to_string(count) + ", ";
    if (!resources.handleKinds.empty()) text.erase(text.size() - 2);
    return text + "), " + std::to_string(resources.threads) + " threads";
}

}  // namespace ravelin::test

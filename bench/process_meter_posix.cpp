#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "process_meter.h"

namespace bench {
namespace {

double CpuMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Time on the CPU from the scheduler's statistics (nanoseconds), else from the
// coarser user and system ticks.
double TaskCpuMs(const std::string& task) {
    std::ifstream schedstat(task + "/schedstat");
    double nanoseconds = 0;
    if (schedstat >> nanoseconds) return nanoseconds / 1e6;
    std::ifstream stat(task + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) user = std::stoull(field);
        if (index == 15) {
            system = std::stoull(field);
            break;
        }
    }
    return (user + system) * 1e3 / sysconf(_SC_CLK_TCK);
}

}  // namespace

double OtherThreadsCpuMs() { return CpuMs(CLOCK_PROCESS_CPUTIME_ID) - CpuMs(CLOCK_THREAD_CPUTIME_ID); }

std::vector<ThreadCpu> CpuPerThread() {
    std::vector<ThreadCpu> threads;
    DIR* dir = opendir("/proc/self/task");
    if (dir == nullptr) return threads;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string task = std::string("/proc/self/task/") + entry->d_name;
        std::ifstream comm(task + "/comm");
        std::string name;
        std::getline(comm, name);
        threads.push_back({std::string(entry->d_name) + " " + name, TaskCpuMs(task)});
    }
    closedir(dir);
    return threads;
}

size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t total = 0, resident = 0;
    statm >> total >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace bench

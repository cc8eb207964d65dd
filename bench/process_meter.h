#pragma once
// What the process uses: CPU time of its other threads, resident memory.
#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

namespace bench {

// CPU time in ms that every thread of the process but the calling one has used.
double OtherThreadsCpuMs();

struct ThreadCpu {
    std::string thread;
    double cpuMs;
};
// CPU time per thread of the process, for finding where idle time goes.
std::vector<ThreadCpu> CpuPerThread();

// Resident memory of the process in bytes.
size_t ResidentBytes();

// Samples the resident size every millisecond on a thread of its own until
// stopped; the largest sample is the peak.
class ResidentPeak {
public:
    ResidentPeak();
    ~ResidentPeak();
    ResidentPeak(const ResidentPeak&) = delete;
    ResidentPeak& operator=(const ResidentPeak&) = delete;
    size_t Stop();

private:
    std::atomic<bool> stop_{false};
    std::atomic<size_t> peak_{0};
    std::thread sampler_;
};

}  // namespace bench

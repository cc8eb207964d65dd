#include "process_meter.h"

#include <algorithm>
#include <chrono>

namespace bench {

ResidentPeak::ResidentPeak() : peak_(ResidentBytes()) {
    sampler_ = std::thread([this] {
        while (!stop_) {
            size_t now = ResidentBytes();
            size_t seen = peak_.load();
            while (now > seen && !peak_.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
}

ResidentPeak::~ResidentPeak() { Stop(); }

size_t ResidentPeak::Stop() {
    stop_ = true;
    if (sampler_.joinable()) sampler_.join();
    return std::max(peak_.load(), ResidentBytes());
}

}  // namespace bench

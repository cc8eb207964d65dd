#include "modquar/modquar.h"

#include "environment.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

constexpr int32_t kDefaultTimeout = kNoModelTimeout;
constexpr uint32_t kDefaultFlowControlIndex = 2;

// Parses a whole decimal number; anything else keeps the default.
template <typename T>
T ReadNumber(const char* name, T fallback) {
    std::string text;
    if (!modquar::ReadEnvironment(name, text) || text.empty()) return fallback;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return fallback;
    return static_cast<T>(value);
}

CModelAgent g_agent;

}  // namespace

int32_t CModelAgent::GetAtWaitTimeout(int32_t) {
    return ReadNumber<int32_t>("MODQUAR_AT_WAIT_TIMEOUT", kDefaultTimeout);
}

uint32_t CModelAgent::GetFlowControlIndex() {
    return ReadNumber<uint32_t>("MODQUAR_FLOW_CONTROL_INDEX", kDefaultFlowControlIndex);
}

extern "C" CModelAgent* GetModelAgent() { return &g_agent; }

#pragma once
// Model information service: per-model AT answer time-out and flow-control choice.
// The real service is an outside library; this build ships a stand-in with the same
// interface (see docs/modquar.md).
#include <cstdint>

#if defined(_WIN32)
#if defined(MODQUAR_BUILD)
#define MODQUAR_API __declspec(dllexport)
#else
#define MODQUAR_API __declspec(dllimport)
#endif
#else
#define MODQUAR_API __attribute__((visibility("default")))
#endif

class MODQUAR_API CModelAgent {
public:
    // Milliseconds to wait for the first answer of an exchange, or -1 when the
    // agent has no model-specific value.
    int32_t GetAtWaitTimeout(int32_t selector);
    // 0 software flow control, 1 hardware, anything else none.
    uint32_t GetFlowControlIndex();
};

// Answer used by GetAtWaitTimeout when the agent has no model-specific value.
constexpr int32_t kNoModelTimeout = -1;

extern "C" MODQUAR_API CModelAgent* GetModelAgent();

#include "modem_config_patch.h"

#include <cstring>

namespace ravelinwiz {

namespace {

uint32_t ReadWord(const uint8_t* bytes, size_t offset) {
    uint32_t value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

void WriteWord(uint8_t* bytes, size_t offset, uint32_t value) { std::memcpy(bytes + offset, &value, sizeof value); }

constexpr size_t kBytesRead = kProviderSubtypeOffset + sizeof(uint32_t);
static_assert(kBytesRead > kDcbFlagsOffset + sizeof(uint32_t), "subtype is the last field read");

}  // namespace

bool ClearModemFlowControl(uint8_t* config, size_t length) {
    if (config == nullptr || length < kBytesRead) {
        return false;
    }
    if (ReadWord(config, kDevConfigSizeOffset) < kMinDevConfigSize ||
        ReadWord(config, kProviderSubtypeOffset) != kProviderSubtypeModem) {
        return false;
    }
    WriteWord(config, kDcbFlagsOffset, ReadWord(config, kDcbFlagsOffset) & ~kDcbFlowControlBits);
    return true;
}

}  // namespace ravelinwiz

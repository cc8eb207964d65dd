#include "fault_support.h"

#include <cstdint>

#include "mextal/mextal.h"

namespace ravelin::faults {
namespace {

constexpr int32_t kShippedRetries = 3;
constexpr int32_t kShippedHandshakeMs = 2000;
constexpr int32_t kShippedResponseMs = 10000;

}  // namespace

HandsetWaits::HandsetWaits(int retries, int handshakeMs, int responseMs) {
    SetRetryInfo(retries, handshakeMs);
    SetWaitResTime(responseMs);
}

HandsetWaits::~HandsetWaits() {
    SetRetryInfo(kShippedRetries, kShippedHandshakeMs);
    SetWaitResTime(kShippedResponseMs);
}

}  // namespace ravelin::faults

#include "handset_api.h"

#include <cstdlib>

#include "progress.h"

HandsetLinks ProductLinks() {
    return HandsetLinks{SerloxGetObj, SendProgressMessage, GetModelAgent()};
}

CHandsetApi::CHandsetApi() : CHandsetApi(ProductLinks(), std::make_unique<CAtResponseParser>()) {}

CHandsetApi::CHandsetApi(HandsetLinks links, std::unique_ptr<CAtResponseParser> parser)
    : links_(std::move(links)), parser_(std::move(parser)) {}

CHandsetApi::~CHandsetApi() = default;

int32_t CHandsetApi::SetRetryInfo(int32_t retryCount, int32_t handshakeTimeoutMs) {
    retryCount_ = retryCount;
    handshakeTimeoutMs_ = handshakeTimeoutMs;
    return MEXTAL_OK;
}

int32_t CHandsetApi::GetRetryCnt(int32_t* retryCount, int32_t* handshakeTimeoutMs) {
    if (retryCount == nullptr || handshakeTimeoutMs == nullptr) return MEXTAL_BAD_ARGUMENT;
    *retryCount = retryCount_;
    *handshakeTimeoutMs = handshakeTimeoutMs_;
    return MEXTAL_OK;
}

int32_t CHandsetApi::SetWaitResTime(int32_t responseTimeoutMs) {
    responseTimeoutMs_ = responseTimeoutMs;
    return MEXTAL_OK;
}

int32_t CHandsetApi::GetWaitResTime(int32_t* responseTimeoutMs) {
    if (responseTimeoutMs == nullptr) return MEXTAL_BAD_ARGUMENT;
    *responseTimeoutMs = responseTimeoutMs_;
    return MEXTAL_OK;
}

int32_t CHandsetApi::SetSecondWaitResTime(int32_t timeoutMs) {
    secondResponseTimeoutMs_ = timeoutMs;
    return MEXTAL_OK;
}

int32_t CHandsetApi::GetSecondWaitResTime(int32_t* timeoutMs) {
    if (timeoutMs == nullptr) return MEXTAL_BAD_ARGUMENT;
    *timeoutMs = secondResponseTimeoutMs_;
    return MEXTAL_OK;
}

int32_t CHandsetApi::RegisterUI(HandsetWindow window) {
    window_ = window;
    return MEXTAL_OK;
}

int32_t CHandsetApi::FreeRecvMem(void* pointerAddress) {
    if (pointerAddress == nullptr) return MEXTAL_OK;
    void** pointer = static_cast<void**>(pointerAddress);
    std::free(*pointer);
    *pointer = nullptr;
    return MEXTAL_OK;
}

int32_t CHandsetApi::FirstListAnswerTimeoutMs() {
    // The service answers -1 when it knows no value; a library built without an
    // agent behaves the same way.
    int32_t modelTimeoutMs = links_.modelAgent ? links_.modelAgent->GetAtWaitTimeout(0) : kNoModelTimeout;
    return modelTimeoutMs >= 0 ? modelTimeoutMs : responseTimeoutMs_;
}

void CHandsetApi::Notify(uint32_t message, uint32_t bytes) {
    if (window_ != nullptr && links_.sendProgress) links_.sendProgress(window_, message, bytes);
}

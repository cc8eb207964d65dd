// The steps that the operations of the command families share: starting an
// exchange, reading answers once the handset has accepted a request, and the raw
// download and upload phases.
#include <cstdint>
#include <cstdlib>

#include "answer_codes.h"
#include "handset_engine.h"

namespace {

// Content of a raw download is followed by CR LF before the final line.
constexpr uint32_t kClosingBytes = 2;

bool EndsWithLineEnd(const uint8_t* bytes, uint32_t total) {
    return bytes[total - 2] == '\r' && bytes[total - 1] == '\n';
}

}  // namespace

int32_t HandsetEngine::StartFamilyExchange(const PortSettings* settings, const AtRequest& request, AtResponse* response,
                                           int32_t timeoutMs) {
    int32_t result = ApplyPortSettings(settings);
    if (result == MEXTAL_OK) result = Handshake(settings, true);
    if (result == MEXTAL_OK) result = SendRequest(settings, request);
    if (result == MEXTAL_OK) result = ReceiveResponse(settings, response, timeoutMs);
    return result;
}

int32_t HandsetEngine::ExchangeFinalOnly(const PortSettings* settings, const AtRequest& request, AtCommandId errorLine,
                                         int32_t timeoutMs) {
    AtResponse response{};
    int32_t result = StartFamilyExchange(settings, request, &response, timeoutMs);
    if (result != MEXTAL_OK) return result;
    return response.id == AT_RSP_OK ? MEXTAL_OK : FamilyAnswerCode(response, errorLine);
}

int32_t HandsetEngine::ReceiveAcceptedAnswer(const PortSettings* settings, AtResponse* response, int32_t timeoutMs) {
    return ReceiveResponse(settings, response, timeoutMs) == MEXTAL_OK ? MEXTAL_OK : MEXTAL_FINAL_ANSWER_FAILED;
}

int32_t HandsetEngine::ReceiveAcceptedFinal(const PortSettings* settings, AtCommandId errorLine) {
    AtResponse response{};
    int32_t result = ReceiveAcceptedAnswer(settings, &response, responseTimeoutMs_);
    if (result != MEXTAL_OK) return result;
    return response.id == AT_RSP_OK ? MEXTAL_OK : FamilyAnswerCode(response, errorLine);
}

int32_t HandsetEngine::ReceiveFamilyContent(const PortSettings* settings, uint32_t announced, uint32_t limit,
                                            AtCommandId errorLine, uint8_t** content) {
    *content = nullptr;
    // Checked before anything is allocated: the length comes from the handset.
    if (announced > limit || announced > UINT32_MAX - kClosingBytes) return MEXTAL_UNEXPECTED_ANSWER;
    uint32_t total = announced + kClosingBytes;
    auto* bytes = static_cast<uint8_t*>(std::malloc(total));
    if (bytes == nullptr) return MEXTAL_BAD_ARGUMENT;
    AtResponse response{};
    response.id = AT_RSP_RAW_DATA;
    int32_t result = ReceiveRaw(settings, &response, reinterpret_cast<char*>(bytes), total, responseTimeoutMs_);
    if (response.id == AT_RSP_RAW_DATA && result != MEXTAL_OK) {
        result = MEXTAL_FINAL_ANSWER_FAILED;  // the content broke off
    } else if (!EndsWithLineEnd(bytes, total)) {
        result = MEXTAL_UNEXPECTED_ANSWER;  // more or fewer bytes than announced
    } else if (result != MEXTAL_OK) {
        result = MEXTAL_FINAL_ANSWER_FAILED;  // the line after the content was garbled
    } else if (response.id == AT_RSP_RAW_DATA) {
        result = ReceiveAcceptedFinal(settings, errorLine);
    } else if (response.id != AT_RSP_OK) {
        result = FamilyAnswerCode(response, errorLine);
    }
    if (result != MEXTAL_OK) {
        std::free(bytes);
        return result;
    }
    *content = bytes;
    return MEXTAL_OK;
}

int32_t HandsetEngine::SendFamilyContent(const PortSettings* settings, const uint8_t* data, uint32_t length,
                                         AtResponse* response) {
    int32_t result = SendRaw(settings, reinterpret_cast<const char*>(data), length);
    if (result != MEXTAL_OK) return result;
    return ReceiveAcceptedAnswer(settings, response, longTimeoutMs_);
}

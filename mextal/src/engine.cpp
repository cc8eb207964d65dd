// The command transaction engine: its settings, handshakes, sending command
// lines and raw bytes, and receiving classified answers, raw payloads and
// blocks.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "answer_codes.h"
#include "handset_engine.h"
#include "text_fields.h"

namespace {

// Waiting time for the serial link; a negative setting means not waiting at all.
uint32_t WaitMs(int32_t timeoutMs) { return timeoutMs < 0 ? 0u : static_cast<uint32_t>(timeoutMs); }

// The CR LF that may close a block beyond its largest content.
constexpr uint32_t kLineEndBytes = 2;

// A block ends with a chunk that is a whole line: at least 3 bytes and shorter
// than the link's chunk limit, or exactly at the limit and ending in CR LF.
bool EndsBlock(const char* chunk, uint32_t length) {
    if (length >= 3 && length < kReceiveBufferBytes) return true;
    return length == kReceiveBufferBytes && chunk[length - 2] == '\r' && chunk[length - 1] == '\n';
}

// A growable, always NUL-terminated block that ReceiveBlock hands out.
class GrowingBlock {
public:
    GrowingBlock() = default;
    ~GrowingBlock() { std::free(bytes_); }
    GrowingBlock(const GrowingBlock&) = delete;
    GrowingBlock& operator=(const GrowingBlock&) = delete;

    size_t Size() const { return size_; }

    bool Append(const char* bytes, uint32_t length) {
        if (!Reserve(size_ + length)) return false;
        std::memcpy(bytes_ + size_, bytes, length);
        size_ += length;
        bytes_[size_] = '\0';
        return true;
    }

    // Hands the block over with trailing CR and LF bytes cut off; an empty block
    // is an empty text too. Null only when no memory could be had.
    char* Release(uint32_t* length) {
        *length = 0;
        if (!Reserve(size_)) return nullptr;
        while (size_ > 0 && (bytes_[size_ - 1] == '\r' || bytes_[size_ - 1] == '\n')) --size_;
        bytes_[size_] = '\0';
        *length = static_cast<uint32_t>(size_);
        char* bytes = bytes_;
        bytes_ = nullptr;
        return bytes;
    }

private:
    bool Reserve(size_t size) {
        if (bytes_ != nullptr && size < capacity_) return true;
        size_t capacity = (size / kBlockGrowthBytes + 1) * kBlockGrowthBytes;
        char* grown = static_cast<char*>(std::realloc(bytes_, capacity));
        if (grown == nullptr) return false;
        bytes_ = grown;
        capacity_ = capacity;
        return true;
    }

    char* bytes_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace

void ReleaseHandedOut(void* pointerAddress) {
    if (pointerAddress == nullptr) return;
    void** pointer = static_cast<void**>(pointerAddress);
    std::free(*pointer);
    *pointer = nullptr;
}

HandsetEngine::HandsetEngine(HandsetLinks links, std::unique_ptr<CAtResponseParser> parser)
    : links_(std::move(links)), parser_(std::move(parser)) {}

int32_t HandsetEngine::SetRetryInfo(int32_t retryCount, int32_t handshakeTimeoutMs) {
    retryCount_ = retryCount;
    handshakeTimeoutMs_ = handshakeTimeoutMs;
    return MEXTAL_OK;
}

int32_t HandsetEngine::GetRetryCnt(int32_t* retryCount, int32_t* handshakeTimeoutMs) const {
    if (retryCount == nullptr || handshakeTimeoutMs == nullptr) return MEXTAL_BAD_ARGUMENT;
    *retryCount = retryCount_;
    *handshakeTimeoutMs = handshakeTimeoutMs_;
    return MEXTAL_OK;
}

int32_t HandsetEngine::SetWaitResTime(int32_t responseTimeoutMs) {
    responseTimeoutMs_ = responseTimeoutMs;
    return MEXTAL_OK;
}

int32_t HandsetEngine::GetWaitResTime(int32_t* responseTimeoutMs) const {
    if (responseTimeoutMs == nullptr) return MEXTAL_BAD_ARGUMENT;
    *responseTimeoutMs = responseTimeoutMs_;
    return MEXTAL_OK;
}

int32_t HandsetEngine::SetSecondWaitResTime(int32_t timeoutMs) {
    secondResponseTimeoutMs_ = timeoutMs;
    return MEXTAL_OK;
}

int32_t HandsetEngine::GetSecondWaitResTime(int32_t* timeoutMs) const {
    if (timeoutMs == nullptr) return MEXTAL_BAD_ARGUMENT;
    *timeoutMs = secondResponseTimeoutMs_;
    return MEXTAL_OK;
}

int32_t HandsetEngine::RegisterUI(HandsetWindow window) {
    window_ = window;
    return MEXTAL_OK;
}

int32_t HandsetEngine::FirstListAnswerTimeoutMs() const {
    // The service answers -1 when it knows no value; a library built without an
    // agent behaves the same way.
    int32_t modelTimeoutMs = links_.modelAgent ? links_.modelAgent->GetAtWaitTimeout(0) : kNoModelTimeout;
    return modelTimeoutMs >= 0 ? modelTimeoutMs : responseTimeoutMs_;
}

void HandsetEngine::Notify(uint32_t message, uint32_t bytes) {
    if (window_ != nullptr && links_.sendProgress) links_.sendProgress(window_, message, bytes);
}

CSerloxObj* HandsetEngine::FindPort(const PortSettings* settings) {
    return links_.findPort ? links_.findPort(static_cast<int>(settings->port)) : nullptr;
}

int32_t HandsetEngine::ApplyPortSettings(const PortSettings* settings) {
    CSerloxObj* port = FindPort(settings);
    if (port == nullptr || port->Configure(*settings, 1) != LINK_OK) return MEXTAL_PORT_UNAVAILABLE;
    return MEXTAL_OK;
}

int32_t HandsetEngine::ReceiveChunk(CSerloxObj* port, int32_t timeoutMs, uint32_t* length) {
    *length = 0;
    int32_t result = port->ReadChunk(receiveBuffer_, kReceiveBufferBytes, length, WaitMs(timeoutMs), 0, 0);
    *length = std::min(*length, kReceiveBufferBytes);
    receivedLength_ = *length;
    return result;
}

std::string_view HandsetEngine::LastReceivedLine() const {
    return mextal::TrimLineEnds(mextal::TextOf(receiveBuffer_, receivedLength_));
}

int32_t HandsetEngine::Handshake(const PortSettings* settings, bool reconfigure) {
    if (!parser_) return MEXTAL_NO_PARSER;
    int32_t result = RepeatCommand(settings, AT_CMD_AT, retryCount_, handshakeTimeoutMs_, reconfigure);
    if (result != MEXTAL_OK) return result;
    return ExchangeCommand(settings, AT_CMD_ATE0, responseTimeoutMs_);
}

int32_t HandsetEngine::ResetHandshake(const PortSettings* settings, int32_t attempts, int32_t timeoutMs) {
    if (!parser_) return MEXTAL_NO_PARSER;
    // Counted in 64 bits: the largest attempt count plus the first try still fits.
    int64_t tries = int64_t{std::max(attempts, 0)} + 1;
    int32_t result = RepeatCommand(settings, AT_CMD_ATZ, tries, std::max(timeoutMs, 0), false);
    if (result != MEXTAL_OK) return result;
    return ExchangeCommand(settings, AT_CMD_ATE0, responseTimeoutMs_);
}

int32_t HandsetEngine::RepeatCommand(const PortSettings* settings, AtCommandId command, int64_t tries,
                                     int32_t timeoutMs, bool reconfigure) {
    int32_t result = MEXTAL_OK;
    for (int64_t attempt = 0; attempt < tries; ++attempt) {
        result = reconfigure ? ApplyPortSettings(settings) : MEXTAL_OK;
        if (result == MEXTAL_OK) result = ExchangeCommand(settings, command, timeoutMs);
        if (result == MEXTAL_OK) break;
    }
    return result;
}

// Sends a command without parameters and reads its final answer, passing over
// the handset's echo of the command.
int32_t HandsetEngine::ExchangeCommand(const PortSettings* settings, AtCommandId command, int32_t timeoutMs) {
    AtRequest request{};
    request.id = command;
    int32_t result = SendRequest(settings, request);
    if (result != MEXTAL_OK) return result;
    AtResponse response{};
    result = ReceivePassingOver(settings, &response, command, timeoutMs);
    if (result != MEXTAL_OK) return result;
    return FinalAnswerCode(response.id);
}

int32_t HandsetEngine::ReceivePassingOver(const PortSettings* settings, AtResponse* response, AtCommandId passedOver,
                                          int32_t timeoutMs) {
    int32_t result = ReceiveResponse(settings, response, timeoutMs);
    for (int passed = 0; result == MEXTAL_OK && response->id == passedOver && passed < kMaxAnswersPassedOver;
         ++passed) {
        result = ReceiveResponse(settings, response, timeoutMs);
    }
    return result;
}

int32_t HandsetEngine::SendRequest(const PortSettings* settings, const AtRequest& request) {
    if (!parser_) return MEXTAL_NO_PARSER;
    CSerloxObj* port = FindPort(settings);
    if (port == nullptr) return MEXTAL_PORT_UNAVAILABLE;
    AtCommandLine line{};
    int32_t result = parser_->BuildRequest(request, &line);
    if (result != PARSE_OK) return result;
    result = port->Write(line.bytes, line.length, 0, 0);
    parser_->FreeRequest(&line);
    return result;
}

int32_t HandsetEngine::SendRaw(const PortSettings* settings, const char* bytes, uint32_t length) {
    if (bytes == nullptr && length > 0) return MEXTAL_BAD_ARGUMENT;
    CSerloxObj* port = FindPort(settings);
    if (port == nullptr) return MEXTAL_PORT_UNAVAILABLE;
    for (uint32_t sent = 0; sent < length;) {
        uint32_t piece = std::min(length - sent, kUploadPieceBytes);
        int32_t result = port->Write(bytes + sent, piece, 0, 0);
        if (result != LINK_OK) return result;
        sent += piece;
        Notify(MEXTAL_MSG_SENT_PIECE, piece);
    }
    return MEXTAL_OK;
}

int32_t HandsetEngine::ReceiveResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs) {
    if (!parser_) return MEXTAL_NO_PARSER;
    CSerloxObj* port = FindPort(settings);
    if (port == nullptr) return MEXTAL_PORT_UNAVAILABLE;
    uint32_t length = 0;
    int32_t result = ReceiveChunk(port, timeoutMs, &length);
    if (result != LINK_OK) return result;
    return parser_->ClassifyResponse(response, receiveBuffer_, length);
}

int32_t HandsetEngine::ReceivePlainResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs) {
    if (!parser_) return MEXTAL_NO_PARSER;
    CSerloxObj* port = FindPort(settings);
    if (port == nullptr) return MEXTAL_PORT_UNAVAILABLE;
    uint32_t length = 0;
    int32_t result = ReceiveChunk(port, timeoutMs, &length);
    if (result != LINK_OK) return result;
    return parser_->ClassifyPlainResponse(response, receiveBuffer_, length);
}

int32_t HandsetEngine::ReceiveRaw(const PortSettings* settings, AtResponse* response, char* destination, uint32_t total,
                                  int32_t timeoutMs) {
    if (!parser_) return MEXTAL_NO_PARSER;
    if (destination == nullptr && total > 0) return MEXTAL_BAD_ARGUMENT;
    response->id = AT_RSP_RAW_DATA;
    CSerloxObj* port = FindPort(settings);
    if (port == nullptr) return MEXTAL_PORT_UNAVAILABLE;
    for (uint32_t taken = 0; taken < total;) {
        uint32_t length = 0;
        int32_t result = ReceiveChunk(port, timeoutMs, &length);
        if (result != LINK_OK) return result;
        uint32_t piece = std::min(length, total - taken);
        std::memcpy(destination + taken, receiveBuffer_, piece);
        taken += piece;
        Notify(MEXTAL_MSG_RECEIVED_PIECE, piece);
        // The final answer may arrive glued to the end of the payload.
        if (piece < length) return parser_->ClassifyResponse(response, receiveBuffer_ + piece, length - piece);
    }
    return MEXTAL_OK;
}

int32_t HandsetEngine::ReceiveBlock(const PortSettings* settings, char** block, uint32_t* length, int32_t timeoutMs) {
    if (block == nullptr || length == nullptr) return MEXTAL_BAD_ARGUMENT;
    *block = nullptr;
    *length = 0;
    CSerloxObj* port = FindPort(settings);
    if (port == nullptr) return MEXTAL_PORT_UNAVAILABLE;
    GrowingBlock collected;
    uint32_t chunkLength = 0;
    while (ReceiveChunk(port, timeoutMs, &chunkLength) == LINK_OK) {
        // A handset that never ends its line would otherwise grow the block
        // until memory runs out.
        if (collected.Size() + chunkLength > kMostListingBytes + kLineEndBytes) return MEXTAL_UNEXPECTED_ANSWER;
        if (!collected.Append(receiveBuffer_, chunkLength)) return MEXTAL_BAD_ARGUMENT;
        if (EndsBlock(receiveBuffer_, chunkLength)) break;
    }
    uint32_t blockLength = 0;
    char* bytes = collected.Release(&blockLength);
    if (bytes == nullptr) return MEXTAL_BAD_ARGUMENT;
    if (blockLength > kMostListingBytes) {
        std::free(bytes);
        return MEXTAL_UNEXPECTED_ANSWER;
    }
    *block = bytes;
    *length = blockLength;
    return MEXTAL_OK;
}

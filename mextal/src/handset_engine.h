#pragma once
// The command transaction engine shared by the command families: the handset
// settings, the links to ports and windows, and the exchanges of command
// lines, answers, raw bytes and blocks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "at_command.h"
#include "mextal/mextal.h"
#include "modquar/modquar.h"
#include "response_parser.h"
#include "serlox/serlox.h"

// What the handset object reaches outside itself. The library uses the
// product's links; tests hand in their own port objects and progress recorder.
struct HandsetLinks {
    std::function<CSerloxObj*(int port)> findPort;
    std::function<void(HandsetWindow window, uint32_t message, uint32_t bytes)> sendProgress;
    CModelAgent* modelAgent;
};

// The serial link's port table, window messages, and the model agent of the
// model information service.
HandsetLinks ProductLinks();

constexpr int32_t kDefaultRetryCount = 3;
constexpr int32_t kDefaultHandshakeTimeoutMs = 2000;
constexpr int32_t kDefaultResponseTimeoutMs = 10000;
constexpr int32_t kDefaultSecondResponseTimeoutMs = 15000;
constexpr int32_t kDefaultLongTimeoutMs = 60000;

// One received chunk; the serial link never delivers more.
constexpr uint32_t kReceiveBufferBytes = 2048;
// Pieces of an upload handed to the serial link at once.
constexpr uint32_t kUploadPieceBytes = 2048;
// Growth step of the block collected by ReceiveBlock.
constexpr uint32_t kBlockGrowthBytes = 8192;
// The largest listing taken from the handset, whether announced before a raw
// download or collected as a block: listings of a handset's folders, suites
// and media items stay far below it, and a handset that claims or sends more
// must not make the library allocate without bound.
constexpr uint32_t kMostListingBytes = 1048576;
// Answers read past in a row while waiting for a command's real answer (its
// echo, handset error lines). A handset sends a few at most; one that repeats
// them without end must not keep the operation waiting for ever.
constexpr int kMaxAnswersPassedOver = 16;

// Frees a memory block that an operation handed out and nulls the caller's
// pointer to it; `pointerAddress` is the address of that pointer (null does
// nothing).
void ReleaseHandedOut(void* pointerAddress);

class HandsetEngine {
public:
    HandsetEngine(HandsetLinks links, std::unique_ptr<CAtResponseParser> parser);
    HandsetEngine(const HandsetEngine&) = delete;
    HandsetEngine& operator=(const HandsetEngine&) = delete;

    // Settings
    int32_t SetRetryInfo(int32_t retryCount, int32_t handshakeTimeoutMs);
    int32_t GetRetryCnt(int32_t* retryCount, int32_t* handshakeTimeoutMs) const;
    int32_t SetWaitResTime(int32_t responseTimeoutMs);
    int32_t GetWaitResTime(int32_t* responseTimeoutMs) const;
    int32_t SetSecondWaitResTime(int32_t timeoutMs);
    int32_t GetSecondWaitResTime(int32_t* timeoutMs) const;
    int32_t RegisterUI(HandsetWindow window);

    bool HasParser() const { return parser_ != nullptr; }
    int32_t ResponseTimeoutMs() const { return responseTimeoutMs_; }
    int32_t LongTimeoutMs() const { return longTimeoutMs_; }
    // Time-out for the first answer of a media-centre listing: the model's own
    // value, or the response time-out when the model has none.
    int32_t FirstListAnswerTimeoutMs() const;
    // Test seam: tests of a handset that never answers after upload data
    // shorten the long time-out with it instead of waiting a minute. No export
    // reaches it, so the product always waits the full long time-out.
    void SetLongTimeoutForTesting(int32_t timeoutMs) { longTimeoutMs_ = timeoutMs; }

    // Exchanges
    // "AT" up to retry-count times (re-applying the port settings before each
    // try when `reconfigure` is set), then "ATE0".
    int32_t Handshake(const PortSettings* settings, bool reconfigure);
    // "ATZ" attempts + 1 times with the caller's time-out, then "ATE0".
    int32_t ResetHandshake(const PortSettings* settings, int32_t attempts, int32_t timeoutMs);
    int32_t SendRequest(const PortSettings* settings, const AtRequest& request);
    int32_t SendRaw(const PortSettings* settings, const char* bytes, uint32_t length);
    int32_t ReceiveResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs);
    int32_t ReceivePlainResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs);
    int32_t ReceiveRaw(const PortSettings* settings, AtResponse* response, char* destination, uint32_t total,
                       int32_t timeoutMs);
    // Collects chunks until one ends the block and hands the block out without
    // its trailing CR and LF bytes; a read error ends it early with what came.
    // A block beyond kMostListingBytes gives 20105, no memory 20002; on failure
    // nothing is handed out.
    int32_t ReceiveBlock(const PortSettings* settings, char** block, uint32_t* length, int32_t timeoutMs);

    int32_t ApplyPortSettings(const PortSettings* settings);
    // Receives until an answer other than `passedOver` arrives, reading past
    // at most kMaxAnswersPassedOver of them; the last answer read is left in
    // `response`.
    int32_t ReceivePassingOver(const PortSettings* settings, AtResponse* response, AtCommandId passedOver,
                               int32_t timeoutMs);
    // The chunk that the last receive read, without its CR LF framing.
    std::string_view LastReceivedLine() const;

    // Steps of the command families (family_steps.cpp).
    // The port settings re-applied with a purge, the handshake, `request` sent
    // and its first answer received; every failure's code is returned as it is.
    int32_t StartFamilyExchange(const PortSettings* settings, const AtRequest& request, AtResponse* response,
                                int32_t timeoutMs);
    // A request answered by its final line alone: 0 for "OK", otherwise the
    // code of FamilyAnswerCode.
    int32_t ExchangeFinalOnly(const PortSettings* settings, const AtRequest& request, AtCommandId errorLine,
                              int32_t timeoutMs);
    // An answer line after the handset accepted the request: a failed receive
    // is 20108, the answer having been lost.
    int32_t ReceiveAcceptedAnswer(const PortSettings* settings, AtResponse* response, int32_t timeoutMs);
    // The final "OK" after acceptance: 0, 20108, or the code of FamilyAnswerCode.
    int32_t ReceiveAcceptedFinal(const PortSettings* settings, AtCommandId errorLine);
    // A raw download of `announced` bytes (at most `limit`) and its final "OK".
    // On success `*content` holds the bytes and the closing CR LF.
    int32_t ReceiveFamilyContent(const PortSettings* settings, uint32_t announced, uint32_t limit,
                                 AtCommandId errorLine, uint8_t** content);
    // A raw upload after its go-ahead, and the answer to it, which is received
    // with the long time-out.
    int32_t SendFamilyContent(const PortSettings* settings, const uint8_t* data, uint32_t length, AtResponse* response);

private:
    CSerloxObj* FindPort(const PortSettings* settings);
    int32_t ExchangeCommand(const PortSettings* settings, AtCommandId command, int32_t timeoutMs);
    int32_t RepeatCommand(const PortSettings* settings, AtCommandId command, int64_t tries, int32_t timeoutMs,
                          bool reconfigure);
    int32_t ReceiveChunk(CSerloxObj* port, int32_t timeoutMs, uint32_t* length);
    void Notify(uint32_t message, uint32_t bytes);

    HandsetLinks links_;
    HandsetWindow window_ = nullptr;
    int32_t retryCount_ = kDefaultRetryCount;
    int32_t handshakeTimeoutMs_ = kDefaultHandshakeTimeoutMs;
    int32_t responseTimeoutMs_ = kDefaultResponseTimeoutMs;
    int32_t secondResponseTimeoutMs_ = kDefaultSecondResponseTimeoutMs;
    int32_t longTimeoutMs_ = kDefaultLongTimeoutMs;
    std::unique_ptr<CAtResponseParser> parser_;
    char receiveBuffer_[kReceiveBufferBytes] = {};
    uint32_t receivedLength_ = 0;
};

#pragma once
// The library-wide handset object: its settings, the command transaction engine
// and one operation per export.
#include <cstdint>
#include <functional>
#include <memory>

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

class CHandsetApi {
public:
    CHandsetApi();
    CHandsetApi(HandsetLinks links, std::unique_ptr<CAtResponseParser> parser);
    virtual ~CHandsetApi();
    CHandsetApi(const CHandsetApi&) = delete;
    CHandsetApi& operator=(const CHandsetApi&) = delete;

    // Settings
    virtual int32_t SetRetryInfo(int32_t retryCount, int32_t handshakeTimeoutMs);
    virtual int32_t GetRetryCnt(int32_t* retryCount, int32_t* handshakeTimeoutMs);
    virtual int32_t SetWaitResTime(int32_t responseTimeoutMs);
    virtual int32_t GetWaitResTime(int32_t* responseTimeoutMs);
    virtual int32_t SetSecondWaitResTime(int32_t timeoutMs);
    virtual int32_t GetSecondWaitResTime(int32_t* timeoutMs);
    virtual int32_t RegisterUI(HandsetWindow window);
    virtual int32_t FreeRecvMem(void* pointerAddress);

    // Handset file system
    virtual int32_t ReadMsFile(const PortSettings* settings, int32_t kind, const char* path, uint8_t** data,
                               uint32_t* length, uint32_t reserved);
    virtual int32_t WriteMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                                uint32_t length, uint32_t reserved);
    virtual int32_t AppendMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                                 uint32_t length, uint32_t reserved);
    virtual int32_t DeleteMsFile(const PortSettings* settings, int32_t kind, const char* path);
    virtual int32_t RenameMsFile(const PortSettings* settings, int32_t kind, const char* oldPath,
                                 const char* newPath);
    virtual int32_t QueryFlashSpace(const PortSettings* settings, int32_t kind, uint32_t* total, uint32_t* used,
                                    uint32_t* available);
    virtual int32_t QueryMsFileAttr(const PortSettings* settings, int32_t kind, const char* path, uint32_t* size,
                                    uint32_t* attributes, uint32_t* modified);
    virtual int32_t ListDir(const PortSettings* settings, int32_t kind, const char* path, char** text,
                            uint32_t* length);
    virtual int32_t NewDir(const PortSettings* settings, int32_t kind, const char* path);
    virtual int32_t DeleteDir(const PortSettings* settings, int32_t kind, const char* path);
    virtual int32_t RenameDir(const PortSettings* settings, int32_t kind, const char* oldPath, const char* newPath);

    // Camera pictures
    virtual int32_t DSCListDir(const PortSettings* settings, const char* folder, char** text, uint32_t* length);
    virtual int32_t DSCRenameMsFile(const PortSettings* settings, const char* oldName, const char* newName,
                                    uint32_t reserved);
    virtual int32_t DSCDelMsFile(const PortSettings* settings, const char* name, uint32_t reserved);
    virtual int32_t DSCReadMsFile(const PortSettings* settings, const char* name, uint8_t** data, uint32_t* length);

    // Identification
    virtual int32_t QueryModel(const PortSettings* settings, char* buffer, uint32_t size);
    virtual int32_t QueryImei(const PortSettings* settings, char* buffer, uint32_t size);

    // Calendar groups
    virtual int32_t GetCalIdRange(const PortSettings* settings, int32_t* first, int32_t* last);
    virtual int32_t ReadCalGroup(const PortSettings* settings, int32_t id, char* name, uint32_t size,
                                 uint32_t* colour);
    virtual int32_t WriteCalGroup(const PortSettings* settings, int32_t id, const char* name, uint32_t colour,
                                  uint32_t reserved);
    virtual int32_t ReadCalGroupPath(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize,
                                     char* path, uint32_t pathSize, uint32_t* colour);
    virtual int32_t WriteCalGroupPath(const PortSettings* settings, int32_t id, const char* name, const char* path,
                                      uint32_t colour, uint32_t reserved1, uint32_t reserved2);

    // Media centre
    virtual int32_t ListMediaCenter(const PortSettings* settings, int32_t category, const char* name, char** text,
                                    uint32_t* length);
    virtual int32_t ReadMediaCenter(const PortSettings* settings, int32_t category, int32_t kind, int32_t reserved,
                                    const char* name, uint8_t** data, uint32_t* length);
    virtual int32_t GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind,
                                     const char* name, int32_t* id);
    virtual int32_t GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id, int32_t* kind,
                                       char* name);
    virtual int32_t QueryMediaCenterType(const PortSettings* settings, uint32_t category);

    // Handset and SIM
    virtual int32_t RebootMs(const PortSettings* settings, uint32_t mode);
    virtual int32_t GetSIMCount(const PortSettings* settings, uint32_t* count);
    virtual int32_t GetSIMTextLength(const PortSettings* settings, uint32_t* length);

    virtual int32_t DetectHandSetModel(const PortSettings* settings, int32_t attempts, int32_t timeoutMs,
                                       char* model, uint32_t modelSize, char* imei, uint32_t imeiSize);

    // Java applications
    virtual int32_t JavaQueryTargetVer(const PortSettings* settings, char* buffer, uint32_t size);
    virtual int32_t JavaList(const PortSettings* settings, char** text, uint32_t* length);
    virtual int32_t JavaInstall(const PortSettings* settings, const uint8_t* package, uint32_t length);
    virtual int32_t JavaDelete(const PortSettings* settings, const char* name, uint32_t reserved);
    virtual int32_t JavaPrecheck(const PortSettings* settings, const char* descriptor, uint32_t length);

    virtual int32_t SetMsFlowControl(const PortSettings* settings, int32_t mode);

    // Multimedia messages
    virtual int32_t MMSListMsgID(const PortSettings* settings, uint32_t folder, char** text, uint32_t* length);
    virtual int32_t MMSRead(const PortSettings* settings, uint32_t id, uint8_t** data, uint32_t* length);
    virtual int32_t MMSWrite(const PortSettings* settings, uint32_t folder, const uint8_t* data, uint32_t length,
                             uint32_t* id);
    virtual int32_t MMSDelete(const PortSettings* settings, uint32_t id);
    virtual int32_t MMSSetAttr(const PortSettings* settings, uint32_t idAndAttribute);
    virtual int32_t MMSQueryAttr(const PortSettings* settings, uint32_t* attribute);
    virtual int32_t MMSSend(const PortSettings* settings, uint32_t id);
    virtual int32_t MMSPhoneLockVerify(const PortSettings* settings, const char* code);

    // Command transaction engine
    // "AT" up to retry-count times (re-applying the port settings before each
    // try when `reconfigure` is set), then "ATE0".
    virtual int32_t Handshake(const PortSettings* settings, bool reconfigure);
    // "ATZ" attempts + 1 times with the caller's time-out, then "ATE0".
    virtual int32_t ResetHandshake(const PortSettings* settings, int32_t attempts, int32_t timeoutMs);
    virtual int32_t SendRequest(const PortSettings* settings, const AtRequest& request);
    virtual int32_t SendRaw(const PortSettings* settings, const char* bytes, uint32_t length);
    virtual int32_t ReceiveResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs);
    virtual int32_t ReceivePlainResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs);
    virtual int32_t ReceiveRaw(const PortSettings* settings, AtResponse* response, char* destination,
                               uint32_t total, int32_t timeoutMs);
    virtual int32_t ReceiveBlock(const PortSettings* settings, char** block, uint32_t* length, int32_t timeoutMs);

    // Time-out for the first answer of a media-centre listing: the model's own
    // value, or the response time-out when the model has none.
    int32_t FirstListAnswerTimeoutMs();

private:
    CSerloxObj* FindPort(const PortSettings* settings);
    int32_t ApplyPortSettings(const PortSettings* settings);
    int32_t ExchangeCommand(const PortSettings* settings, AtCommandId command, int32_t timeoutMs);
    int32_t RepeatCommand(const PortSettings* settings, AtCommandId command, int64_t tries, int32_t timeoutMs,
                          bool reconfigure);
    int32_t QueryIdentity(const PortSettings* settings, AtCommandId command, AtCommandId answer, char* buffer,
                          uint32_t size);
    int32_t ReadIdentityText(const PortSettings* settings, AtCommandId command, AtCommandId answer, char* buffer,
                             uint32_t size);
    int32_t ReceiveChunk(CSerloxObj* port, int32_t timeoutMs, uint32_t* length);
    void Notify(uint32_t message, uint32_t bytes);
    int32_t NotBuiltYet(bool argumentsPresent) const;

    HandsetLinks links_;
    HandsetWindow window_ = nullptr;
    int32_t retryCount_ = kDefaultRetryCount;
    int32_t handshakeTimeoutMs_ = kDefaultHandshakeTimeoutMs;
    int32_t responseTimeoutMs_ = kDefaultResponseTimeoutMs;
    int32_t secondResponseTimeoutMs_ = kDefaultSecondResponseTimeoutMs;
    int32_t longTimeoutMs_ = kDefaultLongTimeoutMs;
    std::unique_ptr<CAtResponseParser> parser_;
    char receiveBuffer_[kReceiveBufferBytes] = {};
};

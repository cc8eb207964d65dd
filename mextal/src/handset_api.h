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

struct AdnRecordInfo;

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
    virtual int32_t MMSSetAttr(const PortSettings* settings, uint32_t attributes);
    virtual int32_t MMSQueryAttr(const PortSettings* settings, uint32_t* attributes);
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
    // Collects chunks until one ends the block and hands the block out without
    // its trailing CR and LF bytes; a read error ends it early with what came.
    // A block beyond kMostListingBytes gives 20105, no memory 20002; on failure
    // nothing is handed out.
    virtual int32_t ReceiveBlock(const PortSettings* settings, char** block, uint32_t* length, int32_t timeoutMs);

    // Time-out for the first answer of a media-centre listing: the model's own
    // value, or the response time-out when the model has none.
    int32_t FirstListAnswerTimeoutMs();

    // Test seam: tests of a handset that never answers after upload data
    // shorten the long time-out with it instead of waiting a minute. No export
    // reaches it, so the product always waits the full long time-out.
    void SetLongTimeoutForTesting(int32_t timeoutMs) { longTimeoutMs_ = timeoutMs; }

private:
    CSerloxObj* FindPort(const PortSettings* settings);
    int32_t ApplyPortSettings(const PortSettings* settings);
    int32_t ExchangeCommand(const PortSettings* settings, AtCommandId command, int32_t timeoutMs);
    // Receives until an answer other than `passedOver` arrives, reading past
    // at most kMaxAnswersPassedOver of them; the last answer read is left in
    // `response`.
    int32_t ReceivePassingOver(const PortSettings* settings, AtResponse* response, AtCommandId passedOver,
                               int32_t timeoutMs);
    int32_t RepeatCommand(const PortSettings* settings, AtCommandId command, int64_t tries, int32_t timeoutMs,
                          bool reconfigure);
    int32_t QueryIdentity(const PortSettings* settings, AtCommandId command, AtCommandId answer, char* buffer,
                          uint32_t size);
    int32_t ReadIdentityText(const PortSettings* settings, AtCommandId command, AtCommandId answer, char* buffer,
                             uint32_t size);
    int32_t ReceiveChunk(CSerloxObj* port, int32_t timeoutMs, uint32_t* length);
    // The chunk that the last receive read, without its CR LF framing.
    std::string_view LastReceivedLine() const;
    // The port settings re-applied with a purge, the handshake, `request` sent and
    // its first answer read, which must carry the id `answer`.
    int32_t RequestAnswer(const PortSettings* settings, const AtRequest& request, AtResponse* response,
                          AtCommandId answer, int32_t timeoutMs);
    // Reads the final answer of an exchange: 0 for "OK".
    int32_t ReceiveFinalAnswer(const PortSettings* settings);
    int32_t ReceiveListing(const PortSettings* settings, char** text, uint32_t* length);
    int32_t ReceiveItemContent(const PortSettings* settings, int32_t announcedLength, uint8_t** data,
                               uint32_t* length);
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
    int32_t SendFamilyContent(const PortSettings* settings, const uint8_t* data, uint32_t length,
                              AtResponse* response);
    // GET RESPONSE on the SIM phonebook file (handset_and_sim.cpp).
    int32_t ReadPhonebookInfo(const PortSettings* settings, AdnRecordInfo* info);
    // Calendar groups (calendar_groups.cpp): a group read with or without its
    // tone path, and a group written with its tone path or (`path` null)
    // without it.
    int32_t ReadCalendarGroup(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize, char* path,
                              uint32_t pathSize, uint32_t* colour);
    int32_t WriteCalendarGroup(const PortSettings* settings, int32_t id, const char* name, const char* path,
                               uint32_t colour);
    // Java applications (java_applications.cpp): a descriptor check or a package
    // install, announced with its length and CRC and sent after the go-ahead.
    int32_t UploadJavaContent(const PortSettings* settings, int32_t operation, const uint8_t* bytes,
                              uint32_t length);
    // File system (file_system.cpp): a write or append in `mode`, and the
    // "AT$FSMISC" sub-commands that change the tree.
    int32_t UploadFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                       uint32_t length, uint32_t reserved, uint32_t mode);
    int32_t ChangeFileSystem(const PortSettings* settings, int32_t kind, int32_t sub, const char* path,
                             const char* newPath);
    // Camera pictures (camera_pictures.cpp): a rename or a delete.
    int32_t MovePicture(const PortSettings* settings, int32_t mode, const char* name, const char* newName,
                        uint32_t reserved);
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

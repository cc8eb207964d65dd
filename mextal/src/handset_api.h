#pragma once
// The library-wide handset object that the exports call: its virtual
// operations keep the exported frame's slot order (destructor, settings,
// handset operations in export-table order, engine operations) and each one
// forwards to the engine or to the operations of its command family.
#include <cstdint>
#include <memory>

#include "family_operations.h"
#include "handset_engine.h"

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
    virtual int32_t RenameMsFile(const PortSettings* settings, int32_t kind, const char* oldPath, const char* newPath);
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
    virtual int32_t ReadCalGroup(const PortSettings* settings, int32_t id, char* name, uint32_t size, uint32_t* colour);
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
    virtual int32_t GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind, const char* name,
                                     int32_t* id);
    virtual int32_t GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id, int32_t* kind,
                                       char* name);
    virtual int32_t QueryMediaCenterType(const PortSettings* settings, uint32_t category);

    // Handset and SIM
    virtual int32_t RebootMs(const PortSettings* settings, uint32_t mode);
    virtual int32_t GetSIMCount(const PortSettings* settings, uint32_t* count);
    virtual int32_t GetSIMTextLength(const PortSettings* settings, uint32_t* length);

    virtual int32_t DetectHandSetModel(const PortSettings* settings, int32_t attempts, int32_t timeoutMs, char* model,
                                       uint32_t modelSize, char* imei, uint32_t imeiSize);

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

    // Command transaction engine (described in handset_engine.h)
    virtual int32_t Handshake(const PortSettings* settings, bool reconfigure);
    virtual int32_t ResetHandshake(const PortSettings* settings, int32_t attempts, int32_t timeoutMs);
    virtual int32_t SendRequest(const PortSettings* settings, const AtRequest& request);
    virtual int32_t SendRaw(const PortSettings* settings, const char* bytes, uint32_t length);
    virtual int32_t ReceiveResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs);
    virtual int32_t ReceivePlainResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs);
    virtual int32_t ReceiveRaw(const PortSettings* settings, AtResponse* response, char* destination, uint32_t total,
                               int32_t timeoutMs);
    virtual int32_t ReceiveBlock(const PortSettings* settings, char** block, uint32_t* length, int32_t timeoutMs);

    // The SIM's operator, after every slot above so that none of them moves.
    virtual int32_t QueryImsi(const PortSettings* settings, char* buffer, uint32_t size);
    virtual int32_t QuerySimSpn(const PortSettings* settings, char* buffer, uint32_t size);

    // Time-out for the first answer of a media-centre listing: the model's own
    // value, or the response time-out when the model has none.
    int32_t FirstListAnswerTimeoutMs() const { return engine_.FirstListAnswerTimeoutMs(); }

    // Test seam: tests of a handset that never answers after upload data
    // shorten the long time-out with it instead of waiting a minute. No export
    // reaches it, so the product always waits the full long time-out.
    void SetLongTimeoutForTesting(int32_t timeoutMs) { engine_.SetLongTimeoutForTesting(timeoutMs); }

private:
    HandsetEngine engine_;
    FileSystemOps fileSystem_{engine_};
    CameraPictureOps cameraPictures_{engine_};
    IdentificationOps identification_{engine_};
    CalendarGroupOps calendarGroups_{engine_};
    MediaCentreOps mediaCentre_{engine_};
    HandsetAndSimOps handsetAndSim_{engine_};
    JavaOps java_{engine_};
    MessageOps messages_{engine_};
};

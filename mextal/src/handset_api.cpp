#include "handset_api.h"

#include <cstdio>

#include "operation_trace.h"
#include "progress.h"

HandsetLinks ProductLinks() { return HandsetLinks{SerloxGetObj, SendProgressMessage, GetModelAgent()}; }

CHandsetApi::CHandsetApi() : CHandsetApi(ProductLinks(), std::make_unique<CAtResponseParser>()) {}

CHandsetApi::CHandsetApi(HandsetLinks links, std::unique_ptr<CAtResponseParser> parser)
    : engine_(std::move(links), std::move(parser)) {}

CHandsetApi::~CHandsetApi() = default;

int32_t CHandsetApi::SetRetryInfo(int32_t retryCount, int32_t handshakeTimeoutMs) {
    return engine_.SetRetryInfo(retryCount, handshakeTimeoutMs);
}

int32_t CHandsetApi::GetRetryCnt(int32_t* retryCount, int32_t* handshakeTimeoutMs) {
    return engine_.GetRetryCnt(retryCount, handshakeTimeoutMs);
}

int32_t CHandsetApi::SetWaitResTime(int32_t responseTimeoutMs) { return engine_.SetWaitResTime(responseTimeoutMs); }

int32_t CHandsetApi::GetWaitResTime(int32_t* responseTimeoutMs) { return engine_.GetWaitResTime(responseTimeoutMs); }

int32_t CHandsetApi::SetSecondWaitResTime(int32_t timeoutMs) { return engine_.SetSecondWaitResTime(timeoutMs); }

int32_t CHandsetApi::GetSecondWaitResTime(int32_t* timeoutMs) { return engine_.GetSecondWaitResTime(timeoutMs); }

int32_t CHandsetApi::RegisterUI(HandsetWindow window) { return engine_.RegisterUI(window); }

int32_t CHandsetApi::FreeRecvMem(void* pointerAddress) {
    ReleaseHandedOut(pointerAddress);
    return MEXTAL_OK;
}

int32_t CHandsetApi::ReadMsFile(const PortSettings* settings, int32_t kind, const char* path, uint8_t** data,
                                uint32_t* length, uint32_t reserved) {
    return fileSystem_.ReadMsFile(settings, kind, path, data, length, reserved);
}

int32_t CHandsetApi::WriteMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                                 uint32_t length, uint32_t reserved) {
    return fileSystem_.WriteMsFile(settings, kind, path, data, length, reserved);
}

int32_t CHandsetApi::AppendMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                                  uint32_t length, uint32_t reserved) {
    return fileSystem_.AppendMsFile(settings, kind, path, data, length, reserved);
}

int32_t CHandsetApi::DeleteMsFile(const PortSettings* settings, int32_t kind, const char* path) {
    return fileSystem_.DeleteMsFile(settings, kind, path);
}

int32_t CHandsetApi::RenameMsFile(const PortSettings* settings, int32_t kind, const char* oldPath,
                                  const char* newPath) {
    return fileSystem_.RenameMsFile(settings, kind, oldPath, newPath);
}

int32_t CHandsetApi::QueryFlashSpace(const PortSettings* settings, int32_t kind, uint32_t* total, uint32_t* used,
                                     uint32_t* available) {
    return fileSystem_.QueryFlashSpace(settings, kind, total, used, available);
}

int32_t CHandsetApi::QueryMsFileAttr(const PortSettings* settings, int32_t kind, const char* path, uint32_t* size,
                                     uint32_t* attributes, uint32_t* modified) {
    return fileSystem_.QueryMsFileAttr(settings, kind, path, size, attributes, modified);
}

int32_t CHandsetApi::ListDir(const PortSettings* settings, int32_t kind, const char* path, char** text,
                             uint32_t* length) {
    return fileSystem_.ListDir(settings, kind, path, text, length);
}

int32_t CHandsetApi::NewDir(const PortSettings* settings, int32_t kind, const char* path) {
    return fileSystem_.NewDir(settings, kind, path);
}

int32_t CHandsetApi::DeleteDir(const PortSettings* settings, int32_t kind, const char* path) {
    return fileSystem_.DeleteDir(settings, kind, path);
}

int32_t CHandsetApi::RenameDir(const PortSettings* settings, int32_t kind, const char* oldPath, const char* newPath) {
    return fileSystem_.RenameDir(settings, kind, oldPath, newPath);
}

int32_t CHandsetApi::DSCListDir(const PortSettings* settings, const char* folder, char** text, uint32_t* length) {
    return cameraPictures_.DSCListDir(settings, folder, text, length);
}

int32_t CHandsetApi::DSCRenameMsFile(const PortSettings* settings, const char* oldName, const char* newName,
                                     uint32_t reserved) {
    return cameraPictures_.DSCRenameMsFile(settings, oldName, newName, reserved);
}

int32_t CHandsetApi::DSCDelMsFile(const PortSettings* settings, const char* name, uint32_t reserved) {
    return cameraPictures_.DSCDelMsFile(settings, name, reserved);
}

int32_t CHandsetApi::DSCReadMsFile(const PortSettings* settings, const char* name, uint8_t** data, uint32_t* length) {
    return cameraPictures_.DSCReadMsFile(settings, name, data, length);
}

int32_t CHandsetApi::QueryModel(const PortSettings* settings, char* buffer, uint32_t size) {
    return identification_.QueryModel(settings, buffer, size);
}

int32_t CHandsetApi::QueryImei(const PortSettings* settings, char* buffer, uint32_t size) {
    const int32_t result = identification_.QueryImei(settings, buffer, size);
    mextal::TraceOperation(settings, "QueryImei", result, {{"IMEI", buffer}});
    return result;
}

int32_t CHandsetApi::GetCalIdRange(const PortSettings* settings, int32_t* first, int32_t* last) {
    return calendarGroups_.GetCalIdRange(settings, first, last);
}

int32_t CHandsetApi::ReadCalGroup(const PortSettings* settings, int32_t id, char* name, uint32_t size,
                                  uint32_t* colour) {
    return calendarGroups_.ReadCalGroup(settings, id, name, size, colour);
}

int32_t CHandsetApi::WriteCalGroup(const PortSettings* settings, int32_t id, const char* name, uint32_t colour,
                                   uint32_t reserved) {
    return calendarGroups_.WriteCalGroup(settings, id, name, colour, reserved);
}

int32_t CHandsetApi::ReadCalGroupPath(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize,
                                      char* path, uint32_t pathSize, uint32_t* colour) {
    return calendarGroups_.ReadCalGroupPath(settings, id, name, nameSize, path, pathSize, colour);
}

int32_t CHandsetApi::WriteCalGroupPath(const PortSettings* settings, int32_t id, const char* name, const char* path,
                                       uint32_t colour, uint32_t reserved1, uint32_t reserved2) {
    return calendarGroups_.WriteCalGroupPath(settings, id, name, path, colour, reserved1, reserved2);
}

int32_t CHandsetApi::ListMediaCenter(const PortSettings* settings, int32_t category, const char* name, char** text,
                                     uint32_t* length) {
    return mediaCentre_.ListMediaCenter(settings, category, name, text, length);
}

int32_t CHandsetApi::ReadMediaCenter(const PortSettings* settings, int32_t category, int32_t kind, int32_t reserved,
                                     const char* name, uint8_t** data, uint32_t* length) {
    return mediaCentre_.ReadMediaCenter(settings, category, kind, reserved, name, data, length);
}

int32_t CHandsetApi::GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind, const char* name,
                                      int32_t* id) {
    return mediaCentre_.GetMediaCenterId(settings, category, kind, name, id);
}

int32_t CHandsetApi::GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id, int32_t* kind,
                                        char* name) {
    return mediaCentre_.GetMediaCenterPath(settings, category, id, kind, name);
}

int32_t CHandsetApi::QueryMediaCenterType(const PortSettings* settings, uint32_t category) {
    return mediaCentre_.QueryMediaCenterType(settings, category);
}

int32_t CHandsetApi::RebootMs(const PortSettings* settings, uint32_t mode) {
    return handsetAndSim_.RebootMs(settings, mode);
}

int32_t CHandsetApi::GetSIMCount(const PortSettings* settings, uint32_t* count) {
    return handsetAndSim_.GetSIMCount(settings, count);
}

int32_t CHandsetApi::GetSIMTextLength(const PortSettings* settings, uint32_t* length) {
    return handsetAndSim_.GetSIMTextLength(settings, length);
}

int32_t CHandsetApi::DetectHandSetModel(const PortSettings* settings, int32_t attempts, int32_t timeoutMs, char* model,
                                        uint32_t modelSize, char* imei, uint32_t imeiSize) {
    const int32_t result =
        identification_.DetectHandSetModel(settings, attempts, timeoutMs, model, modelSize, imei, imeiSize);
    mextal::TraceOperation(settings, "DetectHandSetModel", result, {{"model", model}, {"IMEI", imei}});
    return result;
}

int32_t CHandsetApi::JavaQueryTargetVer(const PortSettings* settings, char* buffer, uint32_t size) {
    return java_.JavaQueryTargetVer(settings, buffer, size);
}

int32_t CHandsetApi::JavaList(const PortSettings* settings, char** text, uint32_t* length) {
    return java_.JavaList(settings, text, length);
}

int32_t CHandsetApi::JavaInstall(const PortSettings* settings, const uint8_t* package, uint32_t length) {
    return java_.JavaInstall(settings, package, length);
}

int32_t CHandsetApi::JavaDelete(const PortSettings* settings, const char* name, uint32_t reserved) {
    return java_.JavaDelete(settings, name, reserved);
}

int32_t CHandsetApi::JavaPrecheck(const PortSettings* settings, const char* descriptor, uint32_t length) {
    return java_.JavaPrecheck(settings, descriptor, length);
}

int32_t CHandsetApi::SetMsFlowControl(const PortSettings* settings, int32_t mode) {
    const int32_t result = identification_.SetMsFlowControl(settings, mode);
    char modeText[12];
    std::snprintf(modeText, sizeof modeText, "%d", static_cast<int>(mode));
    mextal::TraceOperation(settings, "SetMsFlowControl", result, {{"mode", modeText}});
    return result;
}

int32_t CHandsetApi::MMSListMsgID(const PortSettings* settings, uint32_t folder, char** text, uint32_t* length) {
    return messages_.MMSListMsgID(settings, folder, text, length);
}

int32_t CHandsetApi::MMSRead(const PortSettings* settings, uint32_t id, uint8_t** data, uint32_t* length) {
    return messages_.MMSRead(settings, id, data, length);
}

int32_t CHandsetApi::MMSWrite(const PortSettings* settings, uint32_t folder, const uint8_t* data, uint32_t length,
                              uint32_t* id) {
    return messages_.MMSWrite(settings, folder, data, length, id);
}

int32_t CHandsetApi::MMSDelete(const PortSettings* settings, uint32_t id) { return messages_.MMSDelete(settings, id); }

int32_t CHandsetApi::MMSSetAttr(const PortSettings* settings, uint32_t attributes) {
    return messages_.MMSSetAttr(settings, attributes);
}

int32_t CHandsetApi::MMSQueryAttr(const PortSettings* settings, uint32_t* attributes) {
    return messages_.MMSQueryAttr(settings, attributes);
}

int32_t CHandsetApi::MMSSend(const PortSettings* settings, uint32_t id) { return messages_.MMSSend(settings, id); }

int32_t CHandsetApi::MMSPhoneLockVerify(const PortSettings* settings, const char* code) {
    return messages_.MMSPhoneLockVerify(settings, code);
}

int32_t CHandsetApi::Handshake(const PortSettings* settings, bool reconfigure) {
    return engine_.Handshake(settings, reconfigure);
}

int32_t CHandsetApi::ResetHandshake(const PortSettings* settings, int32_t attempts, int32_t timeoutMs) {
    return engine_.ResetHandshake(settings, attempts, timeoutMs);
}

int32_t CHandsetApi::SendRequest(const PortSettings* settings, const AtRequest& request) {
    return engine_.SendRequest(settings, request);
}

int32_t CHandsetApi::SendRaw(const PortSettings* settings, const char* bytes, uint32_t length) {
    return engine_.SendRaw(settings, bytes, length);
}

int32_t CHandsetApi::ReceiveResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs) {
    return engine_.ReceiveResponse(settings, response, timeoutMs);
}

int32_t CHandsetApi::ReceivePlainResponse(const PortSettings* settings, AtResponse* response, int32_t timeoutMs) {
    return engine_.ReceivePlainResponse(settings, response, timeoutMs);
}

int32_t CHandsetApi::ReceiveRaw(const PortSettings* settings, AtResponse* response, char* destination, uint32_t total,
                                int32_t timeoutMs) {
    return engine_.ReceiveRaw(settings, response, destination, total, timeoutMs);
}

int32_t CHandsetApi::ReceiveBlock(const PortSettings* settings, char** block, uint32_t* length, int32_t timeoutMs) {
    return engine_.ReceiveBlock(settings, block, length, timeoutMs);
}

int32_t CHandsetApi::QueryImsi(const PortSettings* settings, char* buffer, uint32_t size) {
    // The IMSI itself is never traced.
    const int32_t result = identification_.QueryImsi(settings, buffer, size);
    mextal::TraceOperation(settings, "QueryImsi", result);
    return result;
}

int32_t CHandsetApi::QuerySimSpn(const PortSettings* settings, char* buffer, uint32_t size) {
    const int32_t result = handsetAndSim_.QuerySimSpn(settings, buffer, size);
    mextal::TraceOperation(settings, "QuerySimSpn", result, {{"name", buffer}});
    return result;
}

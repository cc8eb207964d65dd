// The exported functions: each forwards to one operation of the library-wide
// handset object, which lives from the library's load to its unload.
#include "handset_api.h"

namespace {
CHandsetApi g_handsetApi;
}  // namespace

extern "C" {

MEXTAL_API int32_t MEXTAL_CALL SetRetryInfo(int32_t retryCount, int32_t handshakeTimeoutMs) {
    return g_handsetApi.SetRetryInfo(retryCount, handshakeTimeoutMs);
}

MEXTAL_API int32_t MEXTAL_CALL GetRetryCnt(int32_t* retryCount, int32_t* handshakeTimeoutMs) {
    return g_handsetApi.GetRetryCnt(retryCount, handshakeTimeoutMs);
}

MEXTAL_API int32_t MEXTAL_CALL SetWaitResTime(int32_t responseTimeoutMs) {
    return g_handsetApi.SetWaitResTime(responseTimeoutMs);
}

MEXTAL_API int32_t MEXTAL_CALL GetWaitResTime(int32_t* responseTimeoutMs) {
    return g_handsetApi.GetWaitResTime(responseTimeoutMs);
}

// SetWriteWaitResTime and GetWriteWaitResTime are the very same entries as
// SetWaitResTime and GetWaitResTime: on Windows the module definition file
// exports them twice, elsewhere they are symbol aliases.
#if !defined(_WIN32)
MEXTAL_API int32_t SetWriteWaitResTime(int32_t) __attribute__((alias("SetWaitResTime")));
MEXTAL_API int32_t GetWriteWaitResTime(int32_t*) __attribute__((alias("GetWaitResTime")));
#endif

MEXTAL_API int32_t MEXTAL_CALL RegisterUI(HandsetWindow window) { return g_handsetApi.RegisterUI(window); }

MEXTAL_API int32_t MEXTAL_CALL FreeRecvMem(void* pointerAddress) { return g_handsetApi.FreeRecvMem(pointerAddress); }

MEXTAL_API int32_t MEXTAL_CALL ReadMsFile(const PortSettings* settings, int32_t kind, const char* path, uint8_t** data,
                                          uint32_t* length, uint32_t reserved) {
    return g_handsetApi.ReadMsFile(settings, kind, path, data, length, reserved);
}

MEXTAL_API int32_t MEXTAL_CALL WriteMsFile(const PortSettings* settings, int32_t kind, const char* path,
                                           const uint8_t* data, uint32_t length, uint32_t reserved) {
    return g_handsetApi.WriteMsFile(settings, kind, path, data, length, reserved);
}

MEXTAL_API int32_t MEXTAL_CALL AppendMsFile(const PortSettings* settings, int32_t kind, const char* path,
                                            const uint8_t* data, uint32_t length, uint32_t reserved) {
    return g_handsetApi.AppendMsFile(settings, kind, path, data, length, reserved);
}

MEXTAL_API int32_t MEXTAL_CALL DeleteMsFile(const PortSettings* settings, int32_t kind, const char* path) {
    return g_handsetApi.DeleteMsFile(settings, kind, path);
}

MEXTAL_API int32_t MEXTAL_CALL RenameMsFile(const PortSettings* settings, int32_t kind, const char* oldPath,
                                            const char* newPath) {
    return g_handsetApi.RenameMsFile(settings, kind, oldPath, newPath);
}

MEXTAL_API int32_t MEXTAL_CALL QueryFlashSpace(const PortSettings* settings, int32_t kind, uint32_t* total,
                                               uint32_t* used, uint32_t* available) {
    return g_handsetApi.QueryFlashSpace(settings, kind, total, used, available);
}

MEXTAL_API int32_t MEXTAL_CALL QueryMsFileAttr(const PortSettings* settings, int32_t kind, const char* path,
                                               uint32_t* size, uint32_t* attributes, uint32_t* modified) {
    return g_handsetApi.QueryMsFileAttr(settings, kind, path, size, attributes, modified);
}

MEXTAL_API int32_t MEXTAL_CALL ListDir(const PortSettings* settings, int32_t kind, const char* path, char** text,
                                       uint32_t* length) {
    return g_handsetApi.ListDir(settings, kind, path, text, length);
}

MEXTAL_API int32_t MEXTAL_CALL NewDir(const PortSettings* settings, int32_t kind, const char* path) {
    return g_handsetApi.NewDir(settings, kind, path);
}

MEXTAL_API int32_t MEXTAL_CALL DeleteDir(const PortSettings* settings, int32_t kind, const char* path) {
    return g_handsetApi.DeleteDir(settings, kind, path);
}

MEXTAL_API int32_t MEXTAL_CALL RenameDir(const PortSettings* settings, int32_t kind, const char* oldPath,
                                         const char* newPath) {
    return g_handsetApi.RenameDir(settings, kind, oldPath, newPath);
}

MEXTAL_API int32_t MEXTAL_CALL DSCListDir(const PortSettings* settings, const char* folder, char** text,
                                          uint32_t* length) {
    return g_handsetApi.DSCListDir(settings, folder, text, length);
}

MEXTAL_API int32_t MEXTAL_CALL DSCRenameMsFile(const PortSettings* settings, const char* oldName, const char* newName,
                                               uint32_t reserved) {
    return g_handsetApi.DSCRenameMsFile(settings, oldName, newName, reserved);
}

MEXTAL_API int32_t MEXTAL_CALL DSCDelMsFile(const PortSettings* settings, const char* name, uint32_t reserved) {
    return g_handsetApi.DSCDelMsFile(settings, name, reserved);
}

MEXTAL_API int32_t MEXTAL_CALL DSCReadMsFile(const PortSettings* settings, const char* name, uint8_t** data,
                                             uint32_t* length) {
    return g_handsetApi.DSCReadMsFile(settings, name, data, length);
}

MEXTAL_API int32_t MEXTAL_CALL QueryModel(const PortSettings* settings, char* buffer, uint32_t size) {
    return g_handsetApi.QueryModel(settings, buffer, size);
}

MEXTAL_API int32_t MEXTAL_CALL QueryImei(const PortSettings* settings, char* buffer, uint32_t size) {
    return g_handsetApi.QueryImei(settings, buffer, size);
}

MEXTAL_API int32_t MEXTAL_CALL GetCalIdRange(const PortSettings* settings, int32_t* first, int32_t* last) {
    return g_handsetApi.GetCalIdRange(settings, first, last);
}

MEXTAL_API int32_t MEXTAL_CALL ReadCalGroup(const PortSettings* settings, int32_t id, char* name, uint32_t size,
                                            uint32_t* colour) {
    return g_handsetApi.ReadCalGroup(settings, id, name, size, colour);
}

MEXTAL_API int32_t MEXTAL_CALL WriteCalGroup(const PortSettings* settings, int32_t id, const char* name,
                                             uint32_t colour, uint32_t reserved) {
    return g_handsetApi.WriteCalGroup(settings, id, name, colour, reserved);
}

MEXTAL_API int32_t MEXTAL_CALL ReadCalGroupPath(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize,
                                                char* path, uint32_t pathSize, uint32_t* colour) {
    return g_handsetApi.ReadCalGroupPath(settings, id, name, nameSize, path, pathSize, colour);
}

MEXTAL_API int32_t MEXTAL_CALL WriteCalGroupPath(const PortSettings* settings, int32_t id, const char* name,
                                                 const char* path, uint32_t colour, uint32_t reserved1,
                                                 uint32_t reserved2) {
    return g_handsetApi.WriteCalGroupPath(settings, id, name, path, colour, reserved1, reserved2);
}

MEXTAL_API int32_t MEXTAL_CALL ListMediaCenter(const PortSettings* settings, int32_t category, const char* name,
                                               char** text, uint32_t* length) {
    return g_handsetApi.ListMediaCenter(settings, category, name, text, length);
}

MEXTAL_API int32_t MEXTAL_CALL ReadMediaCenter(const PortSettings* settings, int32_t category, int32_t kind,
                                               int32_t reserved, const char* name, uint8_t** data, uint32_t* length) {
    return g_handsetApi.ReadMediaCenter(settings, category, kind, reserved, name, data, length);
}

MEXTAL_API int32_t MEXTAL_CALL GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind,
                                                const char* name, int32_t* id) {
    return g_handsetApi.GetMediaCenterId(settings, category, kind, name, id);
}

MEXTAL_API int32_t MEXTAL_CALL GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id,
                                                  int32_t* kind, char* name) {
    return g_handsetApi.GetMediaCenterPath(settings, category, id, kind, name);
}

MEXTAL_API int32_t MEXTAL_CALL QueryMediaCenterType(const PortSettings* settings, uint32_t category) {
    return g_handsetApi.QueryMediaCenterType(settings, category);
}

MEXTAL_API int32_t MEXTAL_CALL RebootMs(const PortSettings* settings, uint32_t mode) {
    return g_handsetApi.RebootMs(settings, mode);
}

MEXTAL_API int32_t MEXTAL_CALL GetSIMCount(const PortSettings* settings, uint32_t* count) {
    return g_handsetApi.GetSIMCount(settings, count);
}

MEXTAL_API int32_t MEXTAL_CALL GetSIMTextLength(const PortSettings* settings, uint32_t* length) {
    return g_handsetApi.GetSIMTextLength(settings, length);
}

MEXTAL_API int32_t MEXTAL_CALL QueryImsi(const PortSettings* settings, char* buffer, uint32_t size) {
    return g_handsetApi.QueryImsi(settings, buffer, size);
}

MEXTAL_API int32_t MEXTAL_CALL QuerySimSpn(const PortSettings* settings, char* buffer, uint32_t size) {
    return g_handsetApi.QuerySimSpn(settings, buffer, size);
}

MEXTAL_API int32_t MEXTAL_CALL DetectHandSetModel(const PortSettings* settings, int32_t attempts, int32_t timeoutMs,
                                                  char* model, uint32_t modelSize, char* imei, uint32_t imeiSize) {
    return g_handsetApi.DetectHandSetModel(settings, attempts, timeoutMs, model, modelSize, imei, imeiSize);
}

MEXTAL_API int32_t MEXTAL_CALL JavaQueryTargetVer(const PortSettings* settings, char* buffer, uint32_t size) {
    return g_handsetApi.JavaQueryTargetVer(settings, buffer, size);
}

MEXTAL_API int32_t MEXTAL_CALL JavaList(const PortSettings* settings, char** text, uint32_t* length) {
    return g_handsetApi.JavaList(settings, text, length);
}

MEXTAL_API int32_t MEXTAL_CALL JavaInstall(const PortSettings* settings, const uint8_t* package, uint32_t length) {
    return g_handsetApi.JavaInstall(settings, package, length);
}

MEXTAL_API int32_t MEXTAL_CALL JavaDelete(const PortSettings* settings, const char* name, uint32_t reserved) {
    return g_handsetApi.JavaDelete(settings, name, reserved);
}

MEXTAL_API int32_t MEXTAL_CALL JavaPrecheck(const PortSettings* settings, const char* descriptor, uint32_t length) {
    return g_handsetApi.JavaPrecheck(settings, descriptor, length);
}

MEXTAL_API int32_t MEXTAL_CALL SetMsFlowControl(const PortSettings* settings, int32_t mode) {
    return g_handsetApi.SetMsFlowControl(settings, mode);
}

MEXTAL_API int32_t MEXTAL_CALL MMSListMsgID(const PortSettings* settings, uint32_t folder, char** text,
                                            uint32_t* length) {
    return g_handsetApi.MMSListMsgID(settings, folder, text, length);
}

MEXTAL_API int32_t MEXTAL_CALL MMSRead(const PortSettings* settings, uint32_t id, uint8_t** data, uint32_t* length) {
    return g_handsetApi.MMSRead(settings, id, data, length);
}

MEXTAL_API int32_t MEXTAL_CALL MMSWrite(const PortSettings* settings, uint32_t folder, const uint8_t* data,
                                        uint32_t length, uint32_t* id) {
    return g_handsetApi.MMSWrite(settings, folder, data, length, id);
}

MEXTAL_API int32_t MEXTAL_CALL MMSDelete(const PortSettings* settings, uint32_t id) {
    return g_handsetApi.MMSDelete(settings, id);
}

MEXTAL_API int32_t MEXTAL_CALL MMSSetAttr(const PortSettings* settings, uint32_t attributes) {
    return g_handsetApi.MMSSetAttr(settings, attributes);
}

MEXTAL_API int32_t MEXTAL_CALL MMSQueryAttr(const PortSettings* settings, uint32_t* attributes) {
    return g_handsetApi.MMSQueryAttr(settings, attributes);
}

MEXTAL_API int32_t MEXTAL_CALL MMSSend(const PortSettings* settings, uint32_t id) {
    return g_handsetApi.MMSSend(settings, id);
}

MEXTAL_API int32_t MEXTAL_CALL MMSPhoneLockVerify(const PortSettings* settings, const char* code) {
    return g_handsetApi.MMSPhoneLockVerify(settings, code);
}

}  // extern "C"

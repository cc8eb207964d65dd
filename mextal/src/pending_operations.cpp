// Operations whose command lines and answers are not built yet: the file system,
// camera pictures, calendar groups, the media centre, handset and SIM commands,
// Java applications and multimedia messages. Each checks its arguments and then
// answers as the request builder does for a request without a builder.
#include "handset_api.h"

namespace {

constexpr int32_t kMaxMediaCategory = 9;
constexpr int32_t kMaxMediaKind = 9;

bool IsMediaCategory(int32_t category) { return category >= 0 && category <= kMaxMediaCategory; }

}  // namespace

int32_t CHandsetApi::NotBuiltYet(bool argumentsPresent) const {
    if (!argumentsPresent || !parser_) return MEXTAL_BAD_ARGUMENT;
    return PARSE_NO_HANDLER;
}

int32_t CHandsetApi::ReadMsFile(const PortSettings* settings, int32_t, const char* path, uint8_t** data,
                                uint32_t* length, uint32_t) {
    return NotBuiltYet(settings && path && data && length);
}

int32_t CHandsetApi::WriteMsFile(const PortSettings* settings, int32_t, const char* path, const uint8_t* data,
                                 uint32_t, uint32_t) {
    // An empty file is a valid thing to write, so the length may be 0.
    return NotBuiltYet(settings && path && data);
}

int32_t CHandsetApi::AppendMsFile(const PortSettings* settings, int32_t, const char* path, const uint8_t* data,
                                  uint32_t length, uint32_t) {
    return NotBuiltYet(settings && path && data && length > 0);
}

int32_t CHandsetApi::DeleteMsFile(const PortSettings* settings, int32_t, const char* path) {
    return NotBuiltYet(settings && path);
}

int32_t CHandsetApi::RenameMsFile(const PortSettings* settings, int32_t, const char* oldPath, const char* newPath) {
    return NotBuiltYet(settings && oldPath && newPath);
}

int32_t CHandsetApi::QueryFlashSpace(const PortSettings* settings, int32_t, uint32_t* total, uint32_t* used,
                                     uint32_t* available) {
    return NotBuiltYet(settings && total && used && available);
}

int32_t CHandsetApi::QueryMsFileAttr(const PortSettings* settings, int32_t, const char* path, uint32_t* size,
                                     uint32_t* attributes, uint32_t* modified) {
    return NotBuiltYet(settings && path && size && attributes && modified);
}

int32_t CHandsetApi::ListDir(const PortSettings* settings, int32_t, const char* path, char** text,
                             uint32_t* length) {
    return NotBuiltYet(settings && path && text && length);
}

int32_t CHandsetApi::NewDir(const PortSettings* settings, int32_t, const char* path) {
    return NotBuiltYet(settings && path);
}

int32_t CHandsetApi::DeleteDir(const PortSettings* settings, int32_t, const char* path) {
    return NotBuiltYet(settings && path);
}

int32_t CHandsetApi::RenameDir(const PortSettings* settings, int32_t, const char* oldPath, const char* newPath) {
    return NotBuiltYet(settings && oldPath && newPath);
}

int32_t CHandsetApi::DSCListDir(const PortSettings* settings, const char* folder, char** text, uint32_t* length) {
    return NotBuiltYet(settings && folder && text && length);
}

int32_t CHandsetApi::DSCRenameMsFile(const PortSettings* settings, const char* oldName, const char* newName,
                                     uint32_t) {
    return NotBuiltYet(settings && oldName && newName);
}

int32_t CHandsetApi::DSCDelMsFile(const PortSettings* settings, const char* name, uint32_t) {
    return NotBuiltYet(settings && name);
}

int32_t CHandsetApi::DSCReadMsFile(const PortSettings* settings, const char* name, uint8_t** data,
                                   uint32_t* length) {
    return NotBuiltYet(settings && name && data && length);
}

int32_t CHandsetApi::GetCalIdRange(const PortSettings* settings, int32_t* first, int32_t* last) {
    return NotBuiltYet(settings && first && last);
}

int32_t CHandsetApi::ReadCalGroup(const PortSettings* settings, int32_t, char* name, uint32_t size,
                                  uint32_t* colour) {
    return NotBuiltYet(settings && name && size > 0 && colour);
}

int32_t CHandsetApi::WriteCalGroup(const PortSettings* settings, int32_t, const char* name, uint32_t, uint32_t) {
    return NotBuiltYet(settings && name);
}

int32_t CHandsetApi::ReadCalGroupPath(const PortSettings* settings, int32_t, char* name, uint32_t nameSize,
                                      char* path, uint32_t pathSize, uint32_t* colour) {
    return NotBuiltYet(settings && name && nameSize > 0 && path && pathSize > 0 && colour);
}

int32_t CHandsetApi::WriteCalGroupPath(const PortSettings* settings, int32_t, const char* name, const char* path,
                                       uint32_t, uint32_t, uint32_t) {
    return NotBuiltYet(settings && name && path);
}

int32_t CHandsetApi::ListMediaCenter(const PortSettings* settings, int32_t category, const char* name,
                                     char** text, uint32_t* length) {
    return NotBuiltYet(settings && IsMediaCategory(category) && name && text && *text == nullptr && length &&
                       *length == 0);
}

int32_t CHandsetApi::ReadMediaCenter(const PortSettings* settings, int32_t category, int32_t kind,
                                     int32_t reserved, const char* name, uint8_t** data, uint32_t* length) {
    return NotBuiltYet(settings && IsMediaCategory(category) && kind == MC_ITEM_MEDIA_CENTER && reserved == 0 &&
                       name && data && *data == nullptr && length && *length == 0);
}

int32_t CHandsetApi::GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind,
                                      const char* name, int32_t* id) {
    bool knownKind = (kind >= 0 && kind <= kMaxMediaKind) || kind == MC_ITEM_MEDIA_CENTER;
    return NotBuiltYet(settings && IsMediaCategory(category) && knownKind && name && id && *id == 0);
}

int32_t CHandsetApi::GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id, int32_t* kind,
                                        char* name) {
    return NotBuiltYet(settings && IsMediaCategory(category) && id != 0 && kind && *kind == 0 && name);
}

int32_t CHandsetApi::QueryMediaCenterType(const PortSettings* settings, uint32_t category) {
    return NotBuiltYet(settings && category <= static_cast<uint32_t>(kMaxMediaCategory));
}

int32_t CHandsetApi::RebootMs(const PortSettings* settings, uint32_t) { return NotBuiltYet(settings); }

int32_t CHandsetApi::GetSIMCount(const PortSettings* settings, uint32_t* count) {
    return NotBuiltYet(settings && count);
}

int32_t CHandsetApi::GetSIMTextLength(const PortSettings* settings, uint32_t* length) {
    return NotBuiltYet(settings && length);
}

int32_t CHandsetApi::JavaQueryTargetVer(const PortSettings* settings, char* buffer, uint32_t size) {
    return NotBuiltYet(settings && buffer && size > 0);
}

int32_t CHandsetApi::JavaList(const PortSettings* settings, char** text, uint32_t* length) {
    return NotBuiltYet(settings && text && length);
}

int32_t CHandsetApi::JavaInstall(const PortSettings* settings, const uint8_t* package, uint32_t length) {
    return NotBuiltYet(settings && package && length > 0);
}

int32_t CHandsetApi::JavaDelete(const PortSettings* settings, const char* name, uint32_t) {
    return NotBuiltYet(settings && name);
}

int32_t CHandsetApi::JavaPrecheck(const PortSettings* settings, const char* descriptor, uint32_t length) {
    return NotBuiltYet(settings && descriptor && length > 0);
}

int32_t CHandsetApi::MMSListMsgID(const PortSettings* settings, uint32_t, char** text, uint32_t* length) {
    return NotBuiltYet(settings && text && length);
}

int32_t CHandsetApi::MMSRead(const PortSettings* settings, uint32_t, uint8_t** data, uint32_t* length) {
    return NotBuiltYet(settings && data && length);
}

int32_t CHandsetApi::MMSWrite(const PortSettings* settings, uint32_t, const uint8_t* data, uint32_t length,
                              uint32_t* id) {
    return NotBuiltYet(settings && data && length > 0 && id);
}

int32_t CHandsetApi::MMSDelete(const PortSettings* settings, uint32_t) { return NotBuiltYet(settings); }

int32_t CHandsetApi::MMSSetAttr(const PortSettings* settings, uint32_t) { return NotBuiltYet(settings); }

int32_t CHandsetApi::MMSQueryAttr(const PortSettings* settings, uint32_t* attribute) {
    return NotBuiltYet(settings && attribute);
}

int32_t CHandsetApi::MMSSend(const PortSettings* settings, uint32_t) { return NotBuiltYet(settings); }

int32_t CHandsetApi::MMSPhoneLockVerify(const PortSettings* settings, const char* code) {
    return NotBuiltYet(settings && code);
}

#pragma once
// The operations of the command families, one class per family. Each works
// through the shared engine and keeps no state of its own.
#include <cstdint>

#include "at_command.h"
#include "handset_engine.h"

struct AdnRecordInfo;
struct FamilyAnswerFields;
struct FamilyRequestFields;

// The handset file system (file_system.cpp).
class FileSystemOps {
public:
    explicit FileSystemOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t ReadMsFile(const PortSettings* settings, int32_t kind, const char* path, uint8_t** data, uint32_t* length,
                       uint32_t reserved);
    int32_t WriteMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                        uint32_t length, uint32_t reserved);
    int32_t AppendMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                         uint32_t length, uint32_t reserved);
    int32_t DeleteMsFile(const PortSettings* settings, int32_t kind, const char* path);
    int32_t RenameMsFile(const PortSettings* settings, int32_t kind, const char* oldPath, const char* newPath);
    int32_t QueryFlashSpace(const PortSettings* settings, int32_t kind, uint32_t* total, uint32_t* used,
                            uint32_t* available);
    int32_t QueryMsFileAttr(const PortSettings* settings, int32_t kind, const char* path, uint32_t* size,
                            uint32_t* attributes, uint32_t* modified);
    int32_t ListDir(const PortSettings* settings, int32_t kind, const char* path, char** text, uint32_t* length);
    int32_t NewDir(const PortSettings* settings, int32_t kind, const char* path);
    int32_t DeleteDir(const PortSettings* settings, int32_t kind, const char* path);
    int32_t RenameDir(const PortSettings* settings, int32_t kind, const char* oldPath, const char* newPath);

private:
    // A write or append in `mode`, and the "AT$FSMISC" sub-commands that
    // change the tree.
    int32_t UploadFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                       uint32_t length, uint32_t reserved, uint32_t mode);
    int32_t ChangeFileSystem(const PortSettings* settings, int32_t kind, int32_t sub, const char* path,
                             const char* newPath);

    HandsetEngine& engine_;
};

// Camera pictures (camera_pictures.cpp).
class CameraPictureOps {
public:
    explicit CameraPictureOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t DSCListDir(const PortSettings* settings, const char* folder, char** text, uint32_t* length);
    int32_t DSCRenameMsFile(const PortSettings* settings, const char* oldName, const char* newName, uint32_t reserved);
    int32_t DSCDelMsFile(const PortSettings* settings, const char* name, uint32_t reserved);
    int32_t DSCReadMsFile(const PortSettings* settings, const char* name, uint8_t** data, uint32_t* length);

private:
    // A rename or a delete.
    int32_t MovePicture(const PortSettings* settings, int32_t mode, const char* name, const char* newName,
                        uint32_t reserved);

    HandsetEngine& engine_;
};

// Model, IMEI and flow control (identification.cpp).
class IdentificationOps {
public:
    explicit IdentificationOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t QueryModel(const PortSettings* settings, char* buffer, uint32_t size);
    int32_t QueryImei(const PortSettings* settings, char* buffer, uint32_t size);
    int32_t DetectHandSetModel(const PortSettings* settings, int32_t attempts, int32_t timeoutMs, char* model,
                               uint32_t modelSize, char* imei, uint32_t imeiSize);
    int32_t SetMsFlowControl(const PortSettings* settings, int32_t mode);
    // The SIM's IMSI ("AT+CIMI").
    int32_t QueryImsi(const PortSettings* settings, char* buffer, uint32_t size);

private:
    int32_t QueryIdentity(const PortSettings* settings, AtCommandId command, AtCommandId answer, char* buffer,
                          uint32_t size);
    int32_t StartIdentityQuery(const PortSettings* settings, char* buffer, uint32_t size);
    int32_t ReadIdentityText(const PortSettings* settings, AtCommandId command, AtCommandId answer, char* buffer,
                             uint32_t size);
    int32_t ReceiveIdentityLine(const PortSettings* settings, AtCommandId answer, char* buffer, uint32_t size);
    int32_t ReceiveFinalAnswer(const PortSettings* settings);

    HandsetEngine& engine_;
};

// Calendar groups (calendar_groups.cpp).
class CalendarGroupOps {
public:
    explicit CalendarGroupOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t GetCalIdRange(const PortSettings* settings, int32_t* first, int32_t* last);
    int32_t ReadCalGroup(const PortSettings* settings, int32_t id, char* name, uint32_t size, uint32_t* colour);
    int32_t WriteCalGroup(const PortSettings* settings, int32_t id, const char* name, uint32_t colour,
                          uint32_t reserved);
    int32_t ReadCalGroupPath(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize, char* path,
                             uint32_t pathSize, uint32_t* colour);
    int32_t WriteCalGroupPath(const PortSettings* settings, int32_t id, const char* name, const char* path,
                              uint32_t colour, uint32_t reserved1, uint32_t reserved2);

private:
    // A group read with or without its tone path, and a group written with
    // its tone path or (`path` null) without it.
    int32_t ReadCalendarGroup(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize, char* path,
                              uint32_t pathSize, uint32_t* colour);
    int32_t WriteCalendarGroup(const PortSettings* settings, int32_t id, const char* name, const char* path,
                               uint32_t colour);

    HandsetEngine& engine_;
};

// The media centre (media_centre.cpp).
class MediaCentreOps {
public:
    explicit MediaCentreOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t ListMediaCenter(const PortSettings* settings, int32_t category, const char* name, char** text,
                            uint32_t* length);
    int32_t ReadMediaCenter(const PortSettings* settings, int32_t category, int32_t kind, int32_t reserved,
                            const char* name, uint8_t** data, uint32_t* length);
    int32_t GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind, const char* name,
                             int32_t* id);
    int32_t GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id, int32_t* kind, char* name);
    int32_t QueryMediaCenterType(const PortSettings* settings, uint32_t category);

private:
    // The port settings re-applied with a purge, the handshake, `request` sent and
    // its first answer read, which must carry the id `answer`.
    int32_t RequestAnswer(const PortSettings* settings, const AtRequest& request, AtResponse* response,
                          AtCommandId answer, int32_t timeoutMs);
    // Reads the final answer of an exchange: 0 for "OK".
    int32_t ReceiveFinalAnswer(const PortSettings* settings);
    int32_t ReceiveListing(const PortSettings* settings, char** text, uint32_t* length);
    int32_t ReceiveItemContent(const PortSettings* settings, int32_t announcedLength, uint8_t** data, uint32_t* length);

    HandsetEngine& engine_;
};

// Restart and the SIM phonebook figures (handset_and_sim.cpp).
class HandsetAndSimOps {
public:
    explicit HandsetAndSimOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t RebootMs(const PortSettings* settings, uint32_t mode);
    int32_t GetSIMCount(const PortSettings* settings, uint32_t* count);
    int32_t GetSIMTextLength(const PortSettings* settings, uint32_t* length);
    // The SIM's service provider name (EF SPN), as UTF-8 text.
    int32_t QuerySimSpn(const PortSettings* settings, char* buffer, uint32_t size);

private:
    // GET RESPONSE on the SIM phonebook file.
    int32_t ReadPhonebookInfo(const PortSettings* settings, AdnRecordInfo* info);
    // One restricted SIM access (`command` on file `fileId`, `bytes` long)
    // whose status is success; its response bytes are left in `answer`.
    int32_t AccessSim(const PortSettings* settings, uint32_t command, uint32_t fileId, uint32_t bytes,
                      FamilyAnswerFields& answer);

    HandsetEngine& engine_;
};

// Java applications (java_applications.cpp).
class JavaOps {
public:
    explicit JavaOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t JavaQueryTargetVer(const PortSettings* settings, char* buffer, uint32_t size);
    int32_t JavaList(const PortSettings* settings, char** text, uint32_t* length);
    int32_t JavaInstall(const PortSettings* settings, const uint8_t* package, uint32_t length);
    int32_t JavaDelete(const PortSettings* settings, const char* name, uint32_t reserved);
    int32_t JavaPrecheck(const PortSettings* settings, const char* descriptor, uint32_t length);

private:
    // A descriptor check or a package install, announced with its length and
    // CRC and sent after the go-ahead.
    int32_t UploadJavaContent(const PortSettings* settings, int32_t operation, const uint8_t* bytes, uint32_t length);

    HandsetEngine& engine_;
};

// Multimedia messages (multimedia_messages.cpp).
class MessageOps {
public:
    explicit MessageOps(HandsetEngine& engine) : engine_(engine) {}

    int32_t MMSListMsgID(const PortSettings* settings, uint32_t folder, char** text, uint32_t* length);
    int32_t MMSRead(const PortSettings* settings, uint32_t id, uint8_t** data, uint32_t* length);
    int32_t MMSWrite(const PortSettings* settings, uint32_t folder, const uint8_t* data, uint32_t length, uint32_t* id);
    int32_t MMSDelete(const PortSettings* settings, uint32_t id);
    int32_t MMSSetAttr(const PortSettings* settings, uint32_t attributes);
    int32_t MMSQueryAttr(const PortSettings* settings, uint32_t* attributes);
    int32_t MMSSend(const PortSettings* settings, uint32_t id);
    int32_t MMSPhoneLockVerify(const PortSettings* settings, const char* code);

private:
    HandsetEngine& engine_;
};

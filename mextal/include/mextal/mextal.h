#pragma once
// Handset command library: every export runs one handset operation as AT command
// exchanges over an open serial link port, or reads or changes a library setting.
// Windows binds these by ordinal (see mextal/mextal.def).
#include <cstdint>

#include "serlox/serlox.h"

#if defined(_WIN32)
#define MEXTAL_CALL __stdcall
#define MEXTAL_API
#else
#define MEXTAL_CALL
#define MEXTAL_API __attribute__((visibility("default")))
#endif

// Result codes of the handset operations (0 is success; serial link codes and
// minus the handset's own error numbers pass through unchanged).
constexpr int32_t MEXTAL_OK = 0;
constexpr int32_t MEXTAL_BAD_ARGUMENT = 20002;
constexpr int32_t MEXTAL_NO_PARSER = 20102;
constexpr int32_t MEXTAL_PORT_UNAVAILABLE = 20103;
constexpr int32_t MEXTAL_UNEXPECTED_ANSWER = 20105;
constexpr int32_t MEXTAL_FINAL_ANSWER_FAILED = 20108;
constexpr int32_t MEXTAL_HANDSET_ERROR = 20109;
constexpr int32_t MEXTAL_NO_SUCH_CATEGORY = 20115;

// Window messages sent synchronously to the window given to RegisterUI;
// wParam is the byte count of the piece, lParam 0.
constexpr uint32_t MEXTAL_MSG_SENT_PIECE = 1075;      // WM_USER + 51
constexpr uint32_t MEXTAL_MSG_RECEIVED_PIECE = 1076;  // WM_USER + 52

// Kinds of media-centre item, also the kind number of the item commands. The
// file kinds lie in the handset file system and are read with ReadMsFile (this
// value as its file kind); media-centre items are read with ReadMediaCenter.
// Other values name nothing that can be fetched.
enum MediaCenterItemTypeTag : int32_t {
    MC_ITEM_FILE_0 = 0,
    MC_ITEM_FILE_1 = 1,
    MC_ITEM_FILE_4 = 4,
    MC_ITEM_MEDIA_CENTER = 255,
};

using HandsetWindow = void*;

extern "C" {
// Settings
MEXTAL_API int32_t MEXTAL_CALL SetRetryInfo(int32_t retryCount, int32_t handshakeTimeoutMs);
MEXTAL_API int32_t MEXTAL_CALL GetRetryCnt(int32_t* retryCount, int32_t* handshakeTimeoutMs);
MEXTAL_API int32_t MEXTAL_CALL SetWaitResTime(int32_t responseTimeoutMs);
MEXTAL_API int32_t MEXTAL_CALL GetWaitResTime(int32_t* responseTimeoutMs);
MEXTAL_API int32_t MEXTAL_CALL SetWriteWaitResTime(int32_t responseTimeoutMs);
MEXTAL_API int32_t MEXTAL_CALL GetWriteWaitResTime(int32_t* responseTimeoutMs);
MEXTAL_API int32_t MEXTAL_CALL RegisterUI(HandsetWindow window);
// pointerAddress is the address of a pointer the library handed out.
MEXTAL_API int32_t MEXTAL_CALL FreeRecvMem(void* pointerAddress);

// Handset file system
MEXTAL_API int32_t MEXTAL_CALL ReadMsFile(const PortSettings* settings, int32_t kind, const char* path, uint8_t** data,
                                          uint32_t* length, uint32_t reserved);
MEXTAL_API int32_t MEXTAL_CALL WriteMsFile(const PortSettings* settings, int32_t kind, const char* path,
                                           const uint8_t* data, uint32_t length, uint32_t reserved);
MEXTAL_API int32_t MEXTAL_CALL AppendMsFile(const PortSettings* settings, int32_t kind, const char* path,
                                            const uint8_t* data, uint32_t length, uint32_t reserved);
MEXTAL_API int32_t MEXTAL_CALL DeleteMsFile(const PortSettings* settings, int32_t kind, const char* path);
MEXTAL_API int32_t MEXTAL_CALL RenameMsFile(const PortSettings* settings, int32_t kind, const char* oldPath,
                                            const char* newPath);
MEXTAL_API int32_t MEXTAL_CALL QueryFlashSpace(const PortSettings* settings, int32_t kind, uint32_t* total,
                                               uint32_t* used, uint32_t* available);
MEXTAL_API int32_t MEXTAL_CALL QueryMsFileAttr(const PortSettings* settings, int32_t kind, const char* path,
                                               uint32_t* size, uint32_t* attributes, uint32_t* modified);
MEXTAL_API int32_t MEXTAL_CALL ListDir(const PortSettings* settings, int32_t kind, const char* path, char** text,
                                       uint32_t* length);
MEXTAL_API int32_t MEXTAL_CALL NewDir(const PortSettings* settings, int32_t kind, const char* path);
MEXTAL_API int32_t MEXTAL_CALL DeleteDir(const PortSettings* settings, int32_t kind, const char* path);
MEXTAL_API int32_t MEXTAL_CALL RenameDir(const PortSettings* settings, int32_t kind, const char* oldPath,
                                         const char* newPath);

// Camera pictures
MEXTAL_API int32_t MEXTAL_CALL DSCListDir(const PortSettings* settings, const char* folder, char** text,
                                          uint32_t* length);
MEXTAL_API int32_t MEXTAL_CALL DSCRenameMsFile(const PortSettings* settings, const char* oldName, const char* newName,
                                               uint32_t reserved);
MEXTAL_API int32_t MEXTAL_CALL DSCDelMsFile(const PortSettings* settings, const char* name, uint32_t reserved);
MEXTAL_API int32_t MEXTAL_CALL DSCReadMsFile(const PortSettings* settings, const char* name, uint8_t** data,
                                             uint32_t* length);

// Identification
MEXTAL_API int32_t MEXTAL_CALL QueryModel(const PortSettings* settings, char* buffer, uint32_t size);
MEXTAL_API int32_t MEXTAL_CALL QueryImei(const PortSettings* settings, char* buffer, uint32_t size);

// Calendar groups: ids in the range GetCalIdRange reports, names of at most 32
// bytes of UTF-8, colours 0xRRGGBB, alert tones named by the path of a file in
// phone memory (empty for the standard tone). Names and paths are text in the
// local code page; the read buffers take them cut to fit (33 and 261 bytes take
// any). Handset errors: -1 id out of range, -2 name too long, -3 colour out of
// range, -4 no such tone file.
MEXTAL_API int32_t MEXTAL_CALL GetCalIdRange(const PortSettings* settings, int32_t* first, int32_t* last);
MEXTAL_API int32_t MEXTAL_CALL ReadCalGroup(const PortSettings* settings, int32_t id, char* name, uint32_t size,
                                            uint32_t* colour);
MEXTAL_API int32_t MEXTAL_CALL WriteCalGroup(const PortSettings* settings, int32_t id, const char* name,
                                             uint32_t colour, uint32_t reserved);
MEXTAL_API int32_t MEXTAL_CALL ReadCalGroupPath(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize,
                                                char* path, uint32_t pathSize, uint32_t* colour);
MEXTAL_API int32_t MEXTAL_CALL WriteCalGroupPath(const PortSettings* settings, int32_t id, const char* name,
                                                 const char* path, uint32_t colour, uint32_t reserved1,
                                                 uint32_t reserved2);

// Media centre: categories 0 to 9. Names are text in the local code page (the
// ANSI code page on Windows, the LC_CTYPE locale's character set elsewhere) and
// travel to the handset in UTF-8; a name that cannot be converted, or that holds
// a double quote, CR or LF, is refused with 20002 before anything is sent.
// ListMediaCenter's length counts the terminator; a listing of more than 1 MiB
// gives 20105. ReadMediaCenter takes items of at most 64 MiB (a larger or
// negative announced length gives 20105); two bytes that follow the content
// stay in the buffer. GetMediaCenterPath writes at most 387 bytes (386
// characters and the terminator) to `name`: an answer whose name holds more
// than 386 bytes is refused by the answer parser with 4102, and a name that
// grows beyond 386 bytes in the local code page gives 20105. On failure the
// buffers are null, lengths 0 and the name empty.
MEXTAL_API int32_t MEXTAL_CALL ListMediaCenter(const PortSettings* settings, int32_t category, const char* name,
                                               char** text, uint32_t* length);
MEXTAL_API int32_t MEXTAL_CALL ReadMediaCenter(const PortSettings* settings, int32_t category, int32_t kind,
                                               int32_t reserved, const char* name, uint8_t** data, uint32_t* length);
MEXTAL_API int32_t MEXTAL_CALL GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind,
                                                const char* name, int32_t* id);
MEXTAL_API int32_t MEXTAL_CALL GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id,
                                                  int32_t* kind, char* name);
MEXTAL_API int32_t MEXTAL_CALL QueryMediaCenterType(const PortSettings* settings, uint32_t category);

// Handset and SIM
MEXTAL_API int32_t MEXTAL_CALL RebootMs(const PortSettings* settings, uint32_t mode);
MEXTAL_API int32_t MEXTAL_CALL GetSIMCount(const PortSettings* settings, uint32_t* count);
MEXTAL_API int32_t MEXTAL_CALL GetSIMTextLength(const PortSettings* settings, uint32_t* length);
// The SIM's IMSI (6 to 15 digits) and its service provider name (UTF-8), as
// zero-terminated texts cut to fit. A handset without a SIM gives -10, a SIM
// waiting for its PIN -11 (minus the handset's "+CME ERROR" number); a SIM
// without a service provider name -37892 (its status, file not found).
MEXTAL_API int32_t MEXTAL_CALL QueryImsi(const PortSettings* settings, char* buffer, uint32_t size);
MEXTAL_API int32_t MEXTAL_CALL QuerySimSpn(const PortSettings* settings, char* buffer, uint32_t size);

MEXTAL_API int32_t MEXTAL_CALL DetectHandSetModel(const PortSettings* settings, int32_t attempts, int32_t timeoutMs,
                                                  char* model, uint32_t modelSize, char* imei, uint32_t imeiSize);

// Java applications: JavaPrecheck sends a suite's descriptor (1 to 65536 bytes of
// UTF-8, sent as they are), then JavaInstall its package (1 byte to 16 MiB) on the
// same connection. JavaList hands out one line per installed suite,
// <size>,"<name>","<vendor>","<version>", separated by CR LF; its length counts
// the terminator. Handset refusals: -1 no space, -2 invalid descriptor or
// package, -3 profile or configuration not supported, -4 same or newer version
// installed, -5 no such suite, -6 upload damaged, -7 no descriptor checked. A
// 20108 after the package was sent leaves open whether it was installed.
MEXTAL_API int32_t MEXTAL_CALL JavaQueryTargetVer(const PortSettings* settings, char* buffer, uint32_t size);
MEXTAL_API int32_t MEXTAL_CALL JavaList(const PortSettings* settings, char** text, uint32_t* length);
MEXTAL_API int32_t MEXTAL_CALL JavaInstall(const PortSettings* settings, const uint8_t* package, uint32_t length);
MEXTAL_API int32_t MEXTAL_CALL JavaDelete(const PortSettings* settings, const char* name, uint32_t reserved);
MEXTAL_API int32_t MEXTAL_CALL JavaPrecheck(const PortSettings* settings, const char* descriptor, uint32_t length);

MEXTAL_API int32_t MEXTAL_CALL SetMsFlowControl(const PortSettings* settings, int32_t mode);

// Multimedia messages
MEXTAL_API int32_t MEXTAL_CALL MMSListMsgID(const PortSettings* settings, uint32_t folder, char** text,
                                            uint32_t* length);
MEXTAL_API int32_t MEXTAL_CALL MMSRead(const PortSettings* settings, uint32_t id, uint8_t** data, uint32_t* length);
MEXTAL_API int32_t MEXTAL_CALL MMSWrite(const PortSettings* settings, uint32_t folder, const uint8_t* data,
                                        uint32_t length, uint32_t* id);
MEXTAL_API int32_t MEXTAL_CALL MMSDelete(const PortSettings* settings, uint32_t id);
MEXTAL_API int32_t MEXTAL_CALL MMSSetAttr(const PortSettings* settings, uint32_t attributes);
MEXTAL_API int32_t MEXTAL_CALL MMSQueryAttr(const PortSettings* settings, uint32_t* attributes);
MEXTAL_API int32_t MEXTAL_CALL MMSSend(const PortSettings* settings, uint32_t id);
MEXTAL_API int32_t MEXTAL_CALL MMSPhoneLockVerify(const PortSettings* settings, const char* code);
}

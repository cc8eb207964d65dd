// The handset file system: reading, writing and appending files, listing
// directories, deleting and renaming files and directories, making
// directories, and asking for free space and for an entry's attributes. The
// file kind of every operation names the storage area.
#include "file_system.h"

#include <cstdio>
#include <cstdlib>

#include "answer_codes.h"
#include "crc32.h"
#include "family_fields.h"
#include "family_text.h"
#include "family_operations.h"
#include "text_fields.h"

namespace {

// Largest file content a read may announce and a write may send.
constexpr uint32_t kMostFileBytes = 16777216;

// Answer fields: "$FSRF", "$FSDIR" and "$FSQA" repeat the kind first, "$FSMISC"
// the sub-command and then the kind.
constexpr size_t kAnswerKind = 0;
constexpr size_t kAnswerLength = 1;
constexpr size_t kMiscAnswerSub = 0;
constexpr size_t kMiscAnswerKind = 1;
constexpr size_t kSpaceTotal = 2;
constexpr size_t kSpaceUsed = 3;
constexpr size_t kSpaceFree = 4;
constexpr size_t kAttributeSize = 1;
constexpr size_t kAttributeBits = 2;
constexpr size_t kAttributeModified = 3;

constexpr size_t kTransferAnswerNumbers = 2;
constexpr size_t kAttributeAnswerNumbers = 4;
constexpr size_t kChangeAnswerNumbers = 2;
constexpr size_t kSpaceAnswerNumbers = 5;

// Phone memory, memory card and built-in content; no other area exists.
bool IsFileKind(int32_t kind) { return kind == MC_ITEM_FILE_0 || kind == MC_ITEM_FILE_1 || kind == MC_ITEM_FILE_4; }

bool HasNewPath(FileMiscCommand sub) { return sub == FS_MISC_RENAME_FILE || sub == FS_MISC_RENAME_DIR; }

// The fields of a request on `path` in the area `kind`; false when the kind or
// the path is refused.
bool PathRequest(int32_t kind, const char* path, FamilyRequestFields& fields) {
    fields.numbers[kFileKindNumber] = static_cast<uint32_t>(kind);
    return IsFileKind(kind) &&
           mextal::PrepareRequestText(path, mextal::kMostRequestTextBytes, mextal::EmptyText::Refused, fields.text0,
                                      sizeof fields.text0);
}

// The first answer of a file-system request: accepted when it is `answer` and
// repeats the request's kind (and sub-command) at their places.
int32_t AcceptedAnswerCode(const AtResponse& response, AtCommandId answer, const FamilyAnswerFields& fields,
                           size_t kindPlace, uint32_t kind) {
    if (response.id != answer) return FamilyAnswerCode(response, AT_RSP_FSERROR);
    return fields.numbers[kindPlace] == kind ? MEXTAL_OK : MEXTAL_UNEXPECTED_ANSWER;
}

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return mextal::TextOf(field, N);
}

int FormatMisc(const FamilyRequestFields& fields, char* parameters, size_t size) {
    std::string_view path = FieldText(fields.text0);
    std::string_view newPath = FieldText(fields.text1);
    unsigned long kind = fields.numbers[kFileKindNumber];
    switch (fields.form) {
        case FS_MISC_DELETE_FILE:
        case FS_MISC_NEW_DIR:
        case FS_MISC_DELETE_DIR:
            return std::snprintf(parameters, size, "=%d,%lu,\"%.*s\"", fields.form, kind, static_cast<int>(path.size()),
                                 path.data());
        case FS_MISC_RENAME_FILE:
        case FS_MISC_RENAME_DIR:
            return std::snprintf(parameters, size, "=%d,%lu,\"%.*s\",\"%.*s\"", fields.form, kind,
                                 static_cast<int>(path.size()), path.data(), static_cast<int>(newPath.size()),
                                 newPath.data());
        case FS_MISC_SPACE:
            return std::snprintf(parameters, size, "=%d,%lu", fields.form, kind);
        default:
            return -1;
    }
}

int32_t ParseMiscAnswer(std::string_view text, AtResponse* response) {
    response->id = AT_RSP_FSMISC;
    mextal::FamilyFields fields;
    int32_t result = mextal::SplitFamilyAnswer(text, fields);
    if (result != PARSE_OK) return result;
    uint32_t sub = 0;
    if (!mextal::ParseFamilyNumber(fields.field[0], sub)) return PARSE_BAD_FIELDS;
    if (sub < FS_MISC_DELETE_FILE || sub > FS_MISC_SPACE) return PARSE_NO_COLON;
    size_t count = sub == FS_MISC_SPACE ? kSpaceAnswerNumbers : kChangeAnswerNumbers;
    return mextal::ParseFamilyNumberAnswer(AT_RSP_FSMISC, text, count, response);
}

}  // namespace

int32_t FormatFileSystemParameters(const AtRequest& request, char (&parameters)[kFileSystemParameterBytes],
                                   std::string_view& formatted) {
    FamilyRequestFields fields = FamilyRequestFieldsOf(request);
    std::string_view path = FieldText(fields.text0);
    unsigned long kind = fields.numbers[kFileKindNumber];
    int length = -1;
    switch (request.id) {
        case AT_CMD_FSRF:
        case AT_CMD_FSDIR:
        case AT_CMD_FSQA:
            length = std::snprintf(parameters, sizeof parameters, "=%lu,\"%.*s\"", kind, static_cast<int>(path.size()),
                                   path.data());
            break;
        case AT_CMD_FSWF:
            length = std::snprintf(parameters, sizeof parameters, "=%lu,\"%.*s\",%lu,%lu,%lu", kind,
                                   static_cast<int>(path.size()), path.data(),
                                   static_cast<unsigned long>(fields.numbers[kFileModeNumber]),
                                   static_cast<unsigned long>(fields.numbers[kFileLengthNumber]),
                                   static_cast<unsigned long>(fields.numbers[kFileCrcNumber]));
            break;
        case AT_CMD_FSMISC:
            length = FormatMisc(fields, parameters, sizeof parameters);
            break;
        default:
            break;
    }
    if (length < 0 || static_cast<size_t>(length) >= sizeof parameters) return PARSE_NO_HANDLER;
    formatted = std::string_view(parameters, static_cast<size_t>(length));
    return PARSE_OK;
}

int32_t ParseFileSystemAnswer(AtCommandId id, std::string_view text, AtResponse* response) {
    switch (id) {
        case AT_RSP_FSRF:
        case AT_RSP_FSDIR:
            return mextal::ParseFamilyNumberAnswer(id, text, kTransferAnswerNumbers, response);
        case AT_RSP_FSQA:
            return mextal::ParseFamilyNumberAnswer(id, text, kAttributeAnswerNumbers, response);
        case AT_RSP_FSMISC:
            return ParseMiscAnswer(text, response);
        default:
            response->id = id;
            return PARSE_NO_HANDLER;
    }
}

int32_t FileSystemOps::ReadMsFile(const PortSettings* settings, int32_t kind, const char* path, uint8_t** data,
                                  uint32_t* length, uint32_t reserved) {
    FamilyRequestFields fields{};
    if (settings == nullptr || data == nullptr || *data != nullptr || length == nullptr || *length != 0 ||
        reserved != 0 || !engine_.HasParser() || !PathRequest(kind, path, fields)) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_FSRF, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_FSRF, answer, kAnswerKind, kind);
    if (result != MEXTAL_OK) return result;
    uint32_t announced = answer.numbers[kAnswerLength];
    result = engine_.ReceiveFamilyContent(settings, announced, kMostFileBytes, AT_RSP_FSERROR, data);
    if (result == MEXTAL_OK) *length = announced;
    return result;
}

int32_t FileSystemOps::WriteMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                                   uint32_t length, uint32_t reserved) {
    // An empty file is a valid thing to write.
    return UploadFile(settings, kind, path, data, length, reserved, FS_WRITE_REPLACE);
}

int32_t FileSystemOps::AppendMsFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                                    uint32_t length, uint32_t reserved) {
    // Appending nothing would change nothing but the file's time.
    if (length == 0) return MEXTAL_BAD_ARGUMENT;
    return UploadFile(settings, kind, path, data, length, reserved, FS_WRITE_APPEND);
}

int32_t FileSystemOps::UploadFile(const PortSettings* settings, int32_t kind, const char* path, const uint8_t* data,
                                  uint32_t length, uint32_t reserved, uint32_t mode) {
    FamilyRequestFields fields{};
    if (settings == nullptr || data == nullptr || length > kMostFileBytes || reserved != 0 || !engine_.HasParser() ||
        !PathRequest(kind, path, fields)) {
        return MEXTAL_BAD_ARGUMENT;
    }
    fields.numbers[kFileModeNumber] = mode;
    fields.numbers[kFileLengthNumber] = length;
    fields.numbers[kFileCrcNumber] = mextal::Crc32(data, length);
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_FSWF, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    // The go-ahead is a plain "OK"; anything else and the handset takes nothing.
    if (response.id != AT_RSP_OK) return FamilyAnswerCode(response, AT_RSP_FSERROR);
    result = engine_.SendFamilyContent(settings, data, length, &response);
    if (result != MEXTAL_OK) return result;
    return response.id == AT_RSP_OK ? MEXTAL_OK : FamilyAnswerCode(response, AT_RSP_FSERROR);
}

int32_t FileSystemOps::DeleteMsFile(const PortSettings* settings, int32_t kind, const char* path) {
    return ChangeFileSystem(settings, kind, FS_MISC_DELETE_FILE, path, nullptr);
}

int32_t FileSystemOps::RenameMsFile(const PortSettings* settings, int32_t kind, const char* oldPath,
                                    const char* newPath) {
    return ChangeFileSystem(settings, kind, FS_MISC_RENAME_FILE, oldPath, newPath);
}

int32_t FileSystemOps::NewDir(const PortSettings* settings, int32_t kind, const char* path) {
    return ChangeFileSystem(settings, kind, FS_MISC_NEW_DIR, path, nullptr);
}

int32_t FileSystemOps::DeleteDir(const PortSettings* settings, int32_t kind, const char* path) {
    return ChangeFileSystem(settings, kind, FS_MISC_DELETE_DIR, path, nullptr);
}

int32_t FileSystemOps::RenameDir(const PortSettings* settings, int32_t kind, const char* oldPath, const char* newPath) {
    return ChangeFileSystem(settings, kind, FS_MISC_RENAME_DIR, oldPath, newPath);
}

int32_t FileSystemOps::ChangeFileSystem(const PortSettings* settings, int32_t kind, int32_t sub, const char* path,
                                        const char* newPath) {
    FamilyRequestFields fields{};
    fields.form = sub;
    bool newPathFits = !HasNewPath(static_cast<FileMiscCommand>(sub)) ||
                       mextal::PrepareRequestText(newPath, mextal::kMostRequestTextBytes, mextal::EmptyText::Refused,
                                                  fields.text1, sizeof fields.text1);
    if (settings == nullptr || !engine_.HasParser() || !PathRequest(kind, path, fields) || !newPathFits) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_FSMISC, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_FSMISC, answer, kMiscAnswerKind, kind);
    if (result == MEXTAL_OK && answer.numbers[kMiscAnswerSub] != static_cast<uint32_t>(sub)) {
        result = MEXTAL_UNEXPECTED_ANSWER;
    }
    if (result != MEXTAL_OK) return result;
    return engine_.ReceiveAcceptedFinal(settings, AT_RSP_FSERROR);
}

int32_t FileSystemOps::QueryFlashSpace(const PortSettings* settings, int32_t kind, uint32_t* total, uint32_t* used,
                                       uint32_t* available) {
    if (settings == nullptr || !IsFileKind(kind) || total == nullptr || used == nullptr || available == nullptr ||
        !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    *total = 0;
    *used = 0;
    *available = 0;
    FamilyRequestFields fields{};
    fields.form = FS_MISC_SPACE;
    fields.numbers[kFileKindNumber] = static_cast<uint32_t>(kind);
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_FSMISC, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_FSMISC, answer, kMiscAnswerKind, kind);
    if (result == MEXTAL_OK && answer.numbers[kMiscAnswerSub] != FS_MISC_SPACE) result = MEXTAL_UNEXPECTED_ANSWER;
    if (result == MEXTAL_OK) result = engine_.ReceiveAcceptedFinal(settings, AT_RSP_FSERROR);
    if (result != MEXTAL_OK) return result;
    *total = answer.numbers[kSpaceTotal];
    *used = answer.numbers[kSpaceUsed];
    *available = answer.numbers[kSpaceFree];
    return MEXTAL_OK;
}

int32_t FileSystemOps::QueryMsFileAttr(const PortSettings* settings, int32_t kind, const char* path, uint32_t* size,
                                       uint32_t* attributes, uint32_t* modified) {
    FamilyRequestFields fields{};
    if (settings == nullptr || size == nullptr || attributes == nullptr || modified == nullptr ||
        !engine_.HasParser() || !PathRequest(kind, path, fields)) {
        return MEXTAL_BAD_ARGUMENT;
    }
    *size = 0;
    *attributes = 0;
    *modified = 0;
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_FSQA, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_FSQA, answer, kAnswerKind, kind);
    if (result == MEXTAL_OK) result = engine_.ReceiveAcceptedFinal(settings, AT_RSP_FSERROR);
    if (result != MEXTAL_OK) return result;
    *size = answer.numbers[kAttributeSize];
    *attributes = answer.numbers[kAttributeBits];
    *modified = answer.numbers[kAttributeModified];
    return MEXTAL_OK;
}

int32_t FileSystemOps::ListDir(const PortSettings* settings, int32_t kind, const char* path, char** text,
                               uint32_t* length) {
    FamilyRequestFields fields{};
    if (settings == nullptr || text == nullptr || *text != nullptr || length == nullptr || *length != 0 ||
        !engine_.HasParser() || !PathRequest(kind, path, fields)) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_FSDIR, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_FSDIR, answer, kAnswerKind, kind);
    if (result != MEXTAL_OK) return result;
    uint32_t announced = answer.numbers[kAnswerLength];
    uint8_t* listing = nullptr;
    result = engine_.ReceiveFamilyContent(settings, announced, kMostListingBytes, AT_RSP_FSERROR, &listing);
    if (result != MEXTAL_OK) return result;
    result = mextal::HandOutListing(listing, announced, text, length);
    std::free(listing);
    return result;
}

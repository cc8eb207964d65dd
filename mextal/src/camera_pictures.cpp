// Camera pictures: listing the album and its folders, reading a picture, and
// renaming, moving or deleting one. Pictures are named "<folder>/<file>"; the
// handset checks the form of the names, the library only what a request line
// can carry.
#include "camera_pictures.h"

#include <cstdio>
#include <cstdlib>

#include "answer_codes.h"
#include "family_fields.h"
#include "family_text.h"
#include "family_operations.h"
#include "text_fields.h"

namespace {

// Largest picture a read may announce.
constexpr uint32_t kMostPictureBytes = 16777216;
// Every picture answer carries one number: a length or the mode.
constexpr size_t kAnswerNumbers = 1;
constexpr size_t kAnswerNumber = 0;

// A folder, or the empty text for the list of folders.
bool StoreFolder(const char* folder, FamilyRequestFields& fields) {
    return mextal::PrepareRequestText(folder, mextal::kMostRequestTextBytes, mextal::EmptyText::Allowed, fields.text0,
                                      sizeof fields.text0);
}

template <size_t N>
bool StorePictureName(const char* name, char (&field)[N]) {
    return mextal::PrepareRequestText(name, mextal::kMostRequestTextBytes, mextal::EmptyText::Refused, field, N);
}

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return mextal::TextOf(field, N);
}

int FormatQuoted(char* parameters, size_t size, std::string_view text) {
    return std::snprintf(parameters, size, "=\"%.*s\"", static_cast<int>(text.size()), text.data());
}

int FormatMove(const FamilyRequestFields& fields, char* parameters, size_t size) {
    std::string_view name = FieldText(fields.text0);
    std::string_view newName = FieldText(fields.text1);
    switch (fields.form) {
        case DSC_MOVE_RENAME:
            return std::snprintf(parameters, size, "=%d,\"%.*s\",\"%.*s\"", fields.form, static_cast<int>(name.size()),
                                 name.data(), static_cast<int>(newName.size()), newName.data());
        case DSC_MOVE_DELETE:
            return std::snprintf(parameters, size, "=%d,\"%.*s\"", fields.form, static_cast<int>(name.size()),
                                 name.data());
        default:
            return -1;
    }
}

// The first answer to a picture request: accepted when it is `answer`.
int32_t AcceptedAnswerCode(const AtResponse& response, AtCommandId answer) {
    return response.id == answer ? MEXTAL_OK : FamilyAnswerCode(response, AT_RSP_FSERROR);
}

}  // namespace

int32_t FormatPictureParameters(const AtRequest& request, char (&parameters)[kPictureParameterBytes],
                                std::string_view& formatted) {
    FamilyRequestFields fields = FamilyRequestFieldsOf(request);
    int length = -1;
    switch (request.id) {
        case AT_CMD_QKDSCDIR:
        case AT_CMD_QKDSCRF:
            length = FormatQuoted(parameters, sizeof parameters, FieldText(fields.text0));
            break;
        case AT_CMD_QKDSCMV:
            length = FormatMove(fields, parameters, sizeof parameters);
            break;
        default:
            break;
    }
    if (length < 0 || static_cast<size_t>(length) >= sizeof parameters) return PARSE_NO_HANDLER;
    formatted = std::string_view(parameters, static_cast<size_t>(length));
    return PARSE_OK;
}

int32_t ParsePictureAnswer(AtCommandId id, std::string_view text, AtResponse* response) {
    return mextal::ParseFamilyNumberAnswer(id, text, kAnswerNumbers, response);
}

int32_t CameraPictureOps::DSCListDir(const PortSettings* settings, const char* folder, char** text, uint32_t* length) {
    FamilyRequestFields fields{};
    if (settings == nullptr || text == nullptr || *text != nullptr || length == nullptr || *length != 0 ||
        !engine_.HasParser() || !StoreFolder(folder, fields)) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_QKDSCDIR, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_QKDSCDIR);
    if (result != MEXTAL_OK) return result;
    uint32_t announced = FamilyAnswerFieldsOf(response).numbers[kAnswerNumber];
    uint8_t* listing = nullptr;
    result = engine_.ReceiveFamilyContent(settings, announced, kMostListingBytes, AT_RSP_FSERROR, &listing);
    if (result != MEXTAL_OK) return result;
    result = mextal::HandOutListing(listing, announced, text, length);
    std::free(listing);
    return result;
}

int32_t CameraPictureOps::DSCReadMsFile(const PortSettings* settings, const char* name, uint8_t** data,
                                        uint32_t* length) {
    FamilyRequestFields fields{};
    if (settings == nullptr || data == nullptr || *data != nullptr || length == nullptr || *length != 0 ||
        !engine_.HasParser() || !StorePictureName(name, fields.text0)) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_QKDSCRF, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_QKDSCRF);
    if (result != MEXTAL_OK) return result;
    uint32_t announced = FamilyAnswerFieldsOf(response).numbers[kAnswerNumber];
    result = engine_.ReceiveFamilyContent(settings, announced, kMostPictureBytes, AT_RSP_FSERROR, data);
    if (result == MEXTAL_OK) *length = announced;
    return result;
}

int32_t CameraPictureOps::DSCRenameMsFile(const PortSettings* settings, const char* oldName, const char* newName,
                                          uint32_t reserved) {
    return MovePicture(settings, DSC_MOVE_RENAME, oldName, newName, reserved);
}

int32_t CameraPictureOps::DSCDelMsFile(const PortSettings* settings, const char* name, uint32_t reserved) {
    return MovePicture(settings, DSC_MOVE_DELETE, name, nullptr, reserved);
}

int32_t CameraPictureOps::MovePicture(const PortSettings* settings, int32_t mode, const char* name, const char* newName,
                                      uint32_t reserved) {
    FamilyRequestFields fields{};
    fields.form = mode;
    // An empty new name is refused like any other empty name: a rename can
    // never turn into something else on the handset.
    bool newNameFits = mode != DSC_MOVE_RENAME || StorePictureName(newName, fields.text1);
    if (settings == nullptr || reserved != 0 || !engine_.HasParser() || !StorePictureName(name, fields.text0) ||
        !newNameFits) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_QKDSCMV, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result == MEXTAL_OK) result = AcceptedAnswerCode(response, AT_RSP_QKDSCMV);
    // The mode comes back: a delete acknowledged as a rename, or the other way
    // round, is not what was asked for.
    if (result == MEXTAL_OK && FamilyAnswerFieldsOf(response).numbers[kAnswerNumber] != static_cast<uint32_t>(mode)) {
        result = MEXTAL_UNEXPECTED_ANSWER;
    }
    if (result != MEXTAL_OK) return result;
    return engine_.ReceiveAcceptedFinal(settings, AT_RSP_FSERROR);
}

// Java applications: the handset's target version, the list of installed
// suites, checking a descriptor, installing a package and deleting a suite.
#include "java_applications.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "answer_codes.h"
#include "crc32.h"
#include "family_fields.h"
#include "family_text.h"
#include "family_operations.h"
#include "text_fields.h"

namespace {

constexpr uint32_t kMostDescriptorBytes = 65536;
constexpr uint32_t kMostPackageBytes = 16777216;
// Each part of a version is one byte, so "MIDP-255.255 CLDC-255.255" and its
// terminator are the longest version text.
constexpr uint32_t kMostVersionPart = 255;
constexpr size_t kVersionTextBytes = 26;
constexpr size_t kVersionParts = 4;

size_t NumberCount(AtCommandId id) {
    switch (id) {
        case AT_RSP_TCK:
            return 2;
        case AT_RSP_INFO:
            return kVersionParts;
        case AT_RSP_LIST:
            return 1;
        default:
            return 0;
    }
}

AtRequest JavaRequest(AtCommandId id, int32_t form) {
    FamilyRequestFields fields{};
    fields.form = form;
    return MakeFamilyRequest(id, fields);
}

}  // namespace

int32_t FormatJavaParameters(const AtRequest& request, char (&parameters)[kJavaParameterBytes],
                             std::string_view& formatted) {
    FamilyRequestFields fields = FamilyRequestFieldsOf(request);
    std::string_view name = mextal::TextOf(fields.text0, sizeof fields.text0);
    int length = -1;
    if (request.id == AT_CMD_TCKS && (fields.form == kJavaCheck || fields.form == kJavaInstall)) {
        length = std::snprintf(parameters, sizeof parameters, "=%d,%lu,%lu", static_cast<int>(fields.form),
                               static_cast<unsigned long>(fields.numbers[kJavaLengthNumber]),
                               static_cast<unsigned long>(fields.numbers[kJavaCrcNumber]));
    } else if (request.id == AT_CMD_TCKS && fields.form == kJavaDelete) {
        length = std::snprintf(parameters, sizeof parameters, "=%d,\"%.*s\"", static_cast<int>(fields.form),
                               static_cast<int>(name.size()), name.data());
    } else if (request.id == AT_CMD_TCKR && (fields.form == kJavaTargetVersion || fields.form == kJavaList)) {
        length = std::snprintf(parameters, sizeof parameters, "=%d", static_cast<int>(fields.form));
    }
    if (length < 0) return PARSE_NO_HANDLER;
    formatted = std::string_view(parameters, static_cast<size_t>(length));
    return PARSE_OK;
}

int32_t ParseJavaAnswer(AtCommandId id, std::string_view text, AtResponse* response) {
    response->id = id;
    mextal::FamilyFields fields;
    int32_t result = mextal::SplitFamilyAnswer(text, fields);
    if (result != PARSE_OK) return result;
    size_t count = NumberCount(id);
    if (count == 0 || fields.count != count) return PARSE_BAD_FIELDS;
    FamilyAnswerFields answer{};
    for (size_t i = 0; i < count; ++i) {
        if (!mextal::ParseFamilyNumber(fields.field[i], answer.numbers[i])) return PARSE_BAD_FIELDS;
    }
    StoreFamilyAnswer(*response, answer);
    return PARSE_OK;
}

bool IsJavaAck(const AtResponse& response, std::string_view line) {
    return response.id == AT_RSP_ACK && line == Keyword(AT_RSP_ACK);
}

int32_t JavaOps::JavaQueryTargetVer(const PortSettings* settings, char* buffer, uint32_t size) {
    if (settings == nullptr || buffer == nullptr || size == 0 || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    std::memset(buffer, 0, size);
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, JavaRequest(AT_CMD_TCKR, kJavaTargetVersion), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_INFO) return FamilyAnswerCode(response, AT_RSP_NACK);
    FamilyAnswerFields version = FamilyAnswerFieldsOf(response);
    for (size_t i = 0; i < kVersionParts; ++i) {
        if (version.numbers[i] > kMostVersionPart) return MEXTAL_UNEXPECTED_ANSWER;
    }
    result = engine_.ReceiveAcceptedFinal(settings, AT_RSP_NACK);
    if (result != MEXTAL_OK) return result;
    char text[kVersionTextBytes];
    int length =
        std::snprintf(text, sizeof text, "MIDP-%lu.%lu CLDC-%lu.%lu", static_cast<unsigned long>(version.numbers[0]),
                      static_cast<unsigned long>(version.numbers[1]), static_cast<unsigned long>(version.numbers[2]),
                      static_cast<unsigned long>(version.numbers[3]));
    mextal::CopyTerminated(std::string_view(text, static_cast<size_t>(length)), buffer, size);
    return MEXTAL_OK;
}

int32_t JavaOps::JavaList(const PortSettings* settings, char** text, uint32_t* length) {
    if (settings == nullptr || text == nullptr || *text != nullptr || length == nullptr || *length != 0 ||
        !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, JavaRequest(AT_CMD_TCKR, kJavaList), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_LIST) return FamilyAnswerCode(response, AT_RSP_NACK);
    uint32_t announced = FamilyAnswerFieldsOf(response).numbers[0];
    uint8_t* listing = nullptr;
    result = engine_.ReceiveFamilyContent(settings, announced, kMostListingBytes, AT_RSP_NACK, &listing);
    if (result != MEXTAL_OK) return result;
    result = mextal::HandOutListing(listing, announced, text, length);
    std::free(listing);
    return result;
}

int32_t JavaOps::JavaPrecheck(const PortSettings* settings, const char* descriptor, uint32_t length) {
    if (descriptor == nullptr || length == 0 || length > kMostDescriptorBytes) return MEXTAL_BAD_ARGUMENT;
    // Descriptors are UTF-8 already: their bytes go out as they are.
    return UploadJavaContent(settings, kJavaCheck, reinterpret_cast<const uint8_t*>(descriptor), length);
}

int32_t JavaOps::JavaInstall(const PortSettings* settings, const uint8_t* package, uint32_t length) {
    if (package == nullptr || length == 0 || length > kMostPackageBytes) return MEXTAL_BAD_ARGUMENT;
    return UploadJavaContent(settings, kJavaInstall, package, length);
}

// The answer after the data comes once the handset has checked or installed
// what it took, so it is awaited with the long time-out.
int32_t JavaOps::UploadJavaContent(const PortSettings* settings, int32_t operation, const uint8_t* bytes,
                                   uint32_t length) {
    if (settings == nullptr || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    FamilyRequestFields fields{};
    fields.form = operation;
    fields.numbers[kJavaLengthNumber] = length;
    fields.numbers[kJavaCrcNumber] = mextal::Crc32(bytes, length);
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_TCKS, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_TCK) return FamilyAnswerCode(response, AT_RSP_NACK);
    FamilyAnswerFields goAhead = FamilyAnswerFieldsOf(response);
    if (goAhead.numbers[kJavaOperationNumber] != static_cast<uint32_t>(operation) ||
        goAhead.numbers[kJavaAnnouncedNumber] != length) {
        return MEXTAL_UNEXPECTED_ANSWER;
    }
    result = engine_.SendFamilyContent(settings, bytes, length, &response);
    if (result != MEXTAL_OK) return result;
    if (!IsJavaAck(response, engine_.LastReceivedLine())) return FamilyAnswerCode(response, AT_RSP_NACK);
    return engine_.ReceiveAcceptedFinal(settings, AT_RSP_NACK);
}

int32_t JavaOps::JavaDelete(const PortSettings* settings, const char* name, uint32_t reserved) {
    if (settings == nullptr || reserved != 0 || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    FamilyRequestFields fields{};
    fields.form = kJavaDelete;
    if (!mextal::PrepareRequestText(name, mextal::kMostRequestTextBytes, mextal::EmptyText::Refused, fields.text0,
                                    sizeof fields.text0)) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_TCKS, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (!IsJavaAck(response, engine_.LastReceivedLine())) return FamilyAnswerCode(response, AT_RSP_NACK);
    return engine_.ReceiveAcceptedFinal(settings, AT_RSP_NACK);
}

// Multimedia messages: listing a folder, reading, writing, deleting and sending
// a message, the handset's message settings, and verifying the phone lock that
// keeps the message store shut.
#include "multimedia_messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "answer_codes.h"
#include "crc32.h"
#include "family_fields.h"
#include "family_operations.h"
#include "text_fields.h"

namespace {

// Largest message content a read may announce and a write may send.
constexpr uint32_t kMostMessageBytes = 16777216;
// Most ids one folder listing may hold.
constexpr uint32_t kMostListedMessages = 1000;
constexpr size_t kLockCodeShortest = 4;
constexpr size_t kLockCodeLongest = 8;
// An id in decimal and the comma after it.
constexpr size_t kListedIdBytes = mextal::kMostDecimalDigits + 1;

bool IsFolder(uint32_t folder) { return folder <= kLastMessageFolder; }

bool IsLockCode(const char* code) {
    size_t length = 0;
    for (; code[length] != '\0' && length <= kLockCodeLongest; ++length) {
        if (code[length] < '0' || code[length] > '9') return false;
    }
    return length >= kLockCodeShortest && length <= kLockCodeLongest;
}

AtRequest MessageRequest(AtCommandId id, uint32_t n0 = 0, uint32_t n1 = 0, uint32_t n2 = 0) {
    FamilyRequestFields fields{};
    fields.numbers[0] = n0;
    fields.numbers[1] = n1;
    fields.numbers[2] = n2;
    return MakeFamilyRequest(id, fields);
}

// The number of numbers each message command line carries.
int NumberCount(int32_t id) {
    switch (id) {
        case AT_CMD_QKMGS:
        case AT_CMD_QKMMSL:
        case AT_CMD_QKMMSR:
        case AT_CMD_QKMMSD:
        case AT_CMD_QKMMSA:
            return 1;
        case AT_CMD_QKMMSW:
            return 3;
        case AT_CMD_QKMMSA_QUERY:
            return 0;
        default:
            return -1;
    }
}

// The ids of a folder as "1,2": at most kMostListedMessages of them.
class IdList {
public:
    bool Add(uint32_t id) {
        if (count_ == kMostListedMessages) return false;
        int written = std::snprintf(text_ + length_, sizeof text_ - length_, count_ == 0 ? "%lu" : ",%lu",
                                    static_cast<unsigned long>(id));
        length_ += static_cast<size_t>(written);
        ++count_;
        return true;
    }

    // A copy for the caller with its terminator, or null without memory.
    char* HandOut(uint32_t* length) const {
        char* copy = static_cast<char*>(std::malloc(length_ + 1));
        if (copy == nullptr) return nullptr;
        std::memcpy(copy, text_, length_ + 1);
        *length = static_cast<uint32_t>(length_ + 1);
        return copy;
    }

private:
    char text_[kMostListedMessages * kListedIdBytes + 1] = {};
    size_t length_ = 0;
    uint32_t count_ = 0;
};

}  // namespace

int32_t FormatMessageParameters(const AtRequest& request, char (&parameters)[kMessageParameterBytes],
                                std::string_view& formatted) {
    FamilyRequestFields fields = FamilyRequestFieldsOf(request);
    if (request.id == AT_CMD_CHKPL) {
        std::string_view code = mextal::TextOf(fields.text0, sizeof fields.text0);
        int length =
            std::snprintf(parameters, sizeof parameters, "=\"%.*s\"", static_cast<int>(code.size()), code.data());
        formatted = std::string_view(parameters, static_cast<size_t>(length));
        return PARSE_OK;
    }
    int count = NumberCount(request.id);
    if (count < 0) return PARSE_NO_HANDLER;
    char numbers[mextal::kFamilyNumbersBytes];
    std::string_view text = mextal::FormatFamilyNumbers(fields, static_cast<size_t>(count), numbers);
    std::memcpy(parameters, text.data(), text.size());
    formatted = std::string_view(parameters, text.size());
    return PARSE_OK;
}

int32_t ParseMessageAnswer(AtCommandId id, std::string_view text, AtResponse* response) {
    response->id = id;
    mextal::FamilyFields fields;
    int32_t result = mextal::SplitFamilyAnswer(text, fields);
    if (result != PARSE_OK) return result;
    // Only "$QKMMSR" has the one-field form: the answer to the settings query.
    bool settingsForm = id == AT_RSP_QKMMSR && fields.count == 1;
    if (fields.count != 2 && !settingsForm) return PARSE_BAD_FIELDS;
    FamilyAnswerFields answer{};
    for (size_t i = 0; i < fields.count; ++i) {
        if (!mextal::ParseFamilyNumber(fields.field[i], answer.numbers[i])) return PARSE_BAD_FIELDS;
    }
    if (id == AT_RSP_QKMMSR) response->familyValue = settingsForm ? kMessageSettingsForm : kMessageReadForm;
    StoreFamilyAnswer(*response, answer);
    return PARSE_OK;
}

int32_t MessageOps::MMSListMsgID(const PortSettings* settings, uint32_t folder, char** text, uint32_t* length) {
    if (settings == nullptr || !IsFolder(folder) || text == nullptr || *text != nullptr || length == nullptr ||
        *length != 0 || !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MessageRequest(AT_CMD_QKMMSL, folder), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_OK && response.id != AT_RSP_QKMMSL) {
        return FamilyAnswerCode(response, AT_RSP_QKMMSERR);
    }
    IdList ids;
    // One line per message, up to the final "OK"; an empty folder has only that.
    while (response.id == AT_RSP_QKMMSL) {
        FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
        if (answer.numbers[0] != folder || !ids.Add(answer.numbers[1])) return MEXTAL_UNEXPECTED_ANSWER;
        result = engine_.ReceiveAcceptedAnswer(settings, &response, engine_.ResponseTimeoutMs());
        if (result != MEXTAL_OK) return result;
    }
    if (response.id != AT_RSP_OK) return FamilyAnswerCode(response, AT_RSP_QKMMSERR);
    *text = ids.HandOut(length);
    return *text != nullptr ? MEXTAL_OK : MEXTAL_BAD_ARGUMENT;
}

int32_t MessageOps::MMSRead(const PortSettings* settings, uint32_t id, uint8_t** data, uint32_t* length) {
    if (settings == nullptr || id == 0 || data == nullptr || *data != nullptr || length == nullptr || *length != 0 ||
        !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MessageRequest(AT_CMD_QKMMSR, id), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_QKMMSR) return FamilyAnswerCode(response, AT_RSP_QKMMSERR);
    FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
    if (response.familyValue != kMessageReadForm || answer.numbers[0] != id) return MEXTAL_UNEXPECTED_ANSWER;
    uint32_t announced = answer.numbers[1];
    result = engine_.ReceiveFamilyContent(settings, announced, kMostMessageBytes, AT_RSP_QKMMSERR, data);
    if (result == MEXTAL_OK) *length = announced;
    return result;
}

int32_t MessageOps::MMSWrite(const PortSettings* settings, uint32_t folder, const uint8_t* data, uint32_t length,
                             uint32_t* id) {
    if (settings == nullptr || !IsFolder(folder) || data == nullptr || length == 0 || length > kMostMessageBytes ||
        id == nullptr || !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    *id = 0;
    AtRequest request = MessageRequest(AT_CMD_QKMMSW, folder, length, mextal::Crc32(data, length));
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, request, &response, engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_OK) return FamilyAnswerCode(response, AT_RSP_QKMMSERR);
    result = engine_.SendFamilyContent(settings, data, length, &response);
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_QKMMSW) return FamilyAnswerCode(response, AT_RSP_QKMMSERR);
    FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
    // Ids start at 1: an id of 0 would read as the failure value of *id.
    if (answer.numbers[0] != folder || answer.numbers[1] == 0) return MEXTAL_UNEXPECTED_ANSWER;
    result = engine_.ReceiveAcceptedFinal(settings, AT_RSP_QKMMSERR);
    if (result == MEXTAL_OK) *id = answer.numbers[1];
    return result;
}

int32_t MessageOps::MMSDelete(const PortSettings* settings, uint32_t id) {
    if (settings == nullptr || id == 0 || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    return engine_.ExchangeFinalOnly(settings, MessageRequest(AT_CMD_QKMMSD, id), AT_RSP_QKMMSERR,
                                     engine_.ResponseTimeoutMs());
}

int32_t MessageOps::MMSSetAttr(const PortSettings* settings, uint32_t attributes) {
    if (settings == nullptr || (attributes & ~kMessageSettingsBits) != 0 || !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    return engine_.ExchangeFinalOnly(settings, MessageRequest(AT_CMD_QKMMSA, attributes), AT_RSP_QKMMSERR,
                                     engine_.ResponseTimeoutMs());
}

int32_t MessageOps::MMSQueryAttr(const PortSettings* settings, uint32_t* attributes) {
    if (settings == nullptr || attributes == nullptr || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    *attributes = 0;
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MessageRequest(AT_CMD_QKMMSA_QUERY), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_QKMMSR) return FamilyAnswerCode(response, AT_RSP_QKMMSERR);
    if (response.familyValue != kMessageSettingsForm) return MEXTAL_UNEXPECTED_ANSWER;
    uint32_t word = FamilyAnswerFieldsOf(response).numbers[0];
    result = engine_.ReceiveAcceptedFinal(settings, AT_RSP_QKMMSERR);
    // The word is handed out as the handset keeps it, reserved bits included.
    if (result == MEXTAL_OK) *attributes = word;
    return result;
}

int32_t MessageOps::MMSSend(const PortSettings* settings, uint32_t id) {
    if (settings == nullptr || id == 0 || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    // The handset answers once the message has gone out to the network.
    return engine_.ExchangeFinalOnly(settings, MessageRequest(AT_CMD_QKMGS, id), AT_RSP_QKMMSERR,
                                     engine_.LongTimeoutMs());
}

int32_t MessageOps::MMSPhoneLockVerify(const PortSettings* settings, const char* code) {
    // Digits only, so the code can neither end its quotes nor the command line.
    if (settings == nullptr || code == nullptr || !IsLockCode(code) || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    FamilyRequestFields fields{};
    mextal::CopyTerminated(code, fields.text0, sizeof fields.text0);
    return engine_.ExchangeFinalOnly(settings, MakeFamilyRequest(AT_CMD_CHKPL, fields), AT_RSP_QKMMSERR,
                                     engine_.ResponseTimeoutMs());
}

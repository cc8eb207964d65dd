// Calendar groups: the range of group ids, and reading and writing one group's
// name, colour and alert tone.
#include "calendar_groups.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "answer_codes.h"
#include "family_fields.h"
#include "family_text.h"
#include "family_operations.h"
#include "text_convert.h"
#include "text_fields.h"

namespace {

// A group name holds at most 32 bytes of UTF-8.
constexpr size_t kMostGroupNameBytes = 32;
// Colours are 0xRRGGBB.
constexpr uint32_t kMostColour = 0xFFFFFF;
// Group ids reach the caller as signed 32-bit numbers.
constexpr uint32_t kLargestGroupId = std::numeric_limits<int32_t>::max();

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return mextal::TextOf(field, N);
}

// "(<first>-<last>)", blanks allowed around the numbers.
bool ParseRange(std::string_view field, FamilyAnswerFields& answer) {
    field = mextal::TrimSpaces(field);
    if (field.size() < 2 || field.front() != '(' || field.back() != ')') return false;
    field = field.substr(1, field.size() - 2);
    size_t hyphen = field.find('-');
    return hyphen != std::string_view::npos &&
           mextal::ParseFamilyNumber(field.substr(0, hyphen), answer.numbers[kCalendarIdNumber]) &&
           mextal::ParseFamilyNumber(field.substr(hyphen + 1), answer.numbers[kCalendarLastIdNumber]);
}

// A quoted hexadecimal text decoded into a text slot, which keeps room for the
// terminator. A zero byte would cut the text short unnoticed, so it is refused.
bool ParseHexText(std::string_view field, char (&slot)[kFamilyAnswerTextBytes]) {
    size_t count = 0;
    if (!mextal::ParseHexField(field, false, slot, sizeof slot - 1, count)) return false;
    slot[count] = '\0';
    return std::memchr(slot, '\0', count) == nullptr;
}

bool ParseGroup(const mextal::FamilyFields& fields, FamilyAnswerFields& answer) {
    return fields.count == 4 && mextal::ParseFamilyNumber(fields.field[0], answer.numbers[kCalendarIdNumber]) &&
           mextal::ParseFamilyNumber(fields.field[1], answer.numbers[kCalendarColourNumber]) &&
           ParseHexText(fields.field[2], answer.text0) && ParseHexText(fields.field[3], answer.text1);
}

bool IsRangeField(std::string_view field) {
    field = mextal::TrimSpaces(field);
    return !field.empty() && field.front() == '(';
}

AtRequest CalendarRequest(AtCommandId id, int32_t form, uint32_t groupId) {
    FamilyRequestFields fields{};
    fields.form = form;
    fields.numbers[kCalendarIdNumber] = groupId;
    return MakeFamilyRequest(id, fields);
}

}  // namespace

int32_t FormatCalendarGroupParameters(const AtRequest& request, char (&parameters)[kCalendarParameterBytes],
                                      std::string_view& formatted) {
    FamilyRequestFields fields = FamilyRequestFieldsOf(request);
    auto id = static_cast<unsigned long>(fields.numbers[kCalendarIdNumber]);
    auto colour = static_cast<unsigned long>(fields.numbers[kCalendarColourNumber]);
    std::string_view name = FieldText(fields.text0);
    std::string_view path = FieldText(fields.text1);
    int length = -1;
    if (request.id == AT_CMD_QKCGR && fields.form == kCalendarRangeForm) {
        length = std::snprintf(parameters, sizeof parameters, "=?");
    } else if (request.id == AT_CMD_QKCGR && fields.form == kCalendarGroupForm) {
        length = std::snprintf(parameters, sizeof parameters, "=%lu", id);
    } else if (request.id == AT_CMD_QKCGW && fields.form == kCalendarWriteForm) {
        length = std::snprintf(parameters, sizeof parameters, "=%lu,%lu,\"%.*s\"", id, colour,
                               static_cast<int>(name.size()), name.data());
    } else if (request.id == AT_CMD_QKCGW && fields.form == kCalendarWriteToneForm) {
        length = std::snprintf(parameters, sizeof parameters, "=%lu,%lu,\"%.*s\",\"%.*s\"", id, colour,
                               static_cast<int>(name.size()), name.data(), static_cast<int>(path.size()), path.data());
    }
    if (length < 0) return PARSE_NO_HANDLER;
    formatted = std::string_view(parameters, static_cast<size_t>(length));
    return PARSE_OK;
}

int32_t ParseCalendarGroupAnswer(std::string_view text, AtResponse* response) {
    response->id = AT_RSP_QKCGR;
    response->familyValue = kCalendarGroupForm;
    mextal::FamilyFields fields;
    int32_t result = mextal::SplitFamilyAnswer(text, fields);
    if (result != PARSE_OK) return result;
    FamilyAnswerFields answer{};
    if (fields.count == 1 && IsRangeField(fields.field[0])) {
        response->familyValue = kCalendarRangeForm;
        if (!ParseRange(fields.field[0], answer)) return PARSE_BAD_FIELDS;
    } else if (!ParseGroup(fields, answer)) {
        return PARSE_BAD_FIELDS;
    }
    StoreFamilyAnswer(*response, answer);
    return PARSE_OK;
}

int32_t CalendarGroupOps::GetCalIdRange(const PortSettings* settings, int32_t* first, int32_t* last) {
    if (settings == nullptr || first == nullptr || last == nullptr || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    *first = 0;
    *last = 0;
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, CalendarRequest(AT_CMD_QKCGR, kCalendarRangeForm, 0),
                                                 &response, engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_QKCGR) return FamilyAnswerCode(response, AT_RSP_QKVCALERR);
    FamilyAnswerFields range = FamilyAnswerFieldsOf(response);
    uint32_t firstId = range.numbers[kCalendarIdNumber];
    uint32_t lastId = range.numbers[kCalendarLastIdNumber];
    if (response.familyValue != kCalendarRangeForm || firstId > lastId || lastId > kLargestGroupId) {
        return MEXTAL_UNEXPECTED_ANSWER;
    }
    result = engine_.ReceiveAcceptedFinal(settings, AT_RSP_QKVCALERR);
    if (result != MEXTAL_OK) return result;
    *first = static_cast<int32_t>(firstId);
    *last = static_cast<int32_t>(lastId);
    return MEXTAL_OK;
}

int32_t CalendarGroupOps::ReadCalGroup(const PortSettings* settings, int32_t id, char* name, uint32_t size,
                                       uint32_t* colour) {
    if (name == nullptr || size == 0) return MEXTAL_BAD_ARGUMENT;
    return ReadCalendarGroup(settings, id, name, size, nullptr, 0, colour);
}

int32_t CalendarGroupOps::ReadCalGroupPath(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize,
                                           char* path, uint32_t pathSize, uint32_t* colour) {
    if (name == nullptr || nameSize == 0 || path == nullptr || pathSize == 0) return MEXTAL_BAD_ARGUMENT;
    return ReadCalendarGroup(settings, id, name, nameSize, path, pathSize, colour);
}

// Name and path are handed out in the local code page, cut to fit their
// buffers; a buffer of 33 (name) or 261 (path) bytes always takes the whole
// text, since converting from UTF-8 never makes a text longer.
int32_t CalendarGroupOps::ReadCalendarGroup(const PortSettings* settings, int32_t id, char* name, uint32_t nameSize,
                                            char* path, uint32_t pathSize, uint32_t* colour) {
    if (settings == nullptr || id < 0 || colour == nullptr || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    std::memset(name, 0, nameSize);
    if (path != nullptr) std::memset(path, 0, pathSize);
    *colour = 0;
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(
        settings, CalendarRequest(AT_CMD_QKCGR, kCalendarGroupForm, static_cast<uint32_t>(id)), &response,
        engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_QKCGR) return FamilyAnswerCode(response, AT_RSP_QKVCALERR);
    FamilyAnswerFields group = FamilyAnswerFieldsOf(response);
    if (response.familyValue != kCalendarGroupForm || group.numbers[kCalendarIdNumber] != static_cast<uint32_t>(id)) {
        return MEXTAL_UNEXPECTED_ANSWER;
    }
    std::string localName;
    std::string localPath;
    if (!mextal::FromHandsetText(FieldText(group.text0), localName) ||
        (path != nullptr && !mextal::FromHandsetText(FieldText(group.text1), localPath))) {
        return MEXTAL_UNEXPECTED_ANSWER;
    }
    result = engine_.ReceiveAcceptedFinal(settings, AT_RSP_QKVCALERR);
    if (result != MEXTAL_OK) return result;
    mextal::CopyTerminated(localName, name, nameSize);
    if (path != nullptr) mextal::CopyTerminated(localPath, path, pathSize);
    *colour = group.numbers[kCalendarColourNumber];
    return MEXTAL_OK;
}

int32_t CalendarGroupOps::WriteCalGroup(const PortSettings* settings, int32_t id, const char* name, uint32_t colour,
                                        uint32_t reserved) {
    if (reserved != 0) return MEXTAL_BAD_ARGUMENT;
    return WriteCalendarGroup(settings, id, name, nullptr, colour);
}

int32_t CalendarGroupOps::WriteCalGroupPath(const PortSettings* settings, int32_t id, const char* name,
                                            const char* path, uint32_t colour, uint32_t reserved1, uint32_t reserved2) {
    if (path == nullptr || reserved1 != 0 || reserved2 != 0) return MEXTAL_BAD_ARGUMENT;
    return WriteCalendarGroup(settings, id, name, path, colour);
}

// An empty name leaves the group unused; an empty tone path sets the standard
// tone.
int32_t CalendarGroupOps::WriteCalendarGroup(const PortSettings* settings, int32_t id, const char* name,
                                             const char* path, uint32_t colour) {
    if (settings == nullptr || id < 0 || colour > kMostColour || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    FamilyRequestFields fields{};
    fields.form = path != nullptr ? kCalendarWriteToneForm : kCalendarWriteForm;
    fields.numbers[kCalendarIdNumber] = static_cast<uint32_t>(id);
    fields.numbers[kCalendarColourNumber] = colour;
    if (!mextal::PrepareRequestText(name, kMostGroupNameBytes, mextal::EmptyText::Allowed, fields.text0,
                                    sizeof fields.text0) ||
        (path != nullptr && !mextal::PrepareRequestText(path, mextal::kMostRequestTextBytes, mextal::EmptyText::Allowed,
                                                        fields.text1, sizeof fields.text1))) {
        return MEXTAL_BAD_ARGUMENT;
    }
    return engine_.ExchangeFinalOnly(settings, MakeFamilyRequest(AT_CMD_QKCGW, fields), AT_RSP_QKVCALERR,
                                     engine_.ResponseTimeoutMs());
}

#include "response_parser.h"

#include <cstdlib>
#include <cstring>

#include "command_table.h"
#include "text_fields.h"

using mextal::CopyTerminated;
using mextal::TakeField;
using mextal::TextOf;
using mextal::TrimLineEnds;

namespace {

// Whether the keyword stands at the first place where its first character occurs.
bool HoldsKeyword(std::string_view text, std::string_view keyword, size_t& end) {
    size_t at = text.find(keyword.front());
    if (at == std::string_view::npos || text.compare(at, keyword.size(), keyword) != 0) return false;
    end = at + keyword.size();
    return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The value of a labelled field: the text after its first colon, without
// leading white space.
std::string_view FieldValue(std::string_view field) {
    size_t colon = field.find(':');
    if (colon != std::string_view::npos) field.remove_prefix(colon + 1);
    return mextal::TrimLeadingWhiteSpace(field);
}

}  // namespace

int32_t CAtResponseParser::BuildRequest(const AtRequest& request, AtCommandLine* line) {
    line->bytes = nullptr;
    line->length = 0;
    const AtCommandDescriptor* command = FindCommand(request.id);
    if (command == nullptr) return PARSE_NO_HANDLER;
    return command->format(request, line);
}

void CAtResponseParser::FreeRequest(AtCommandLine* line) {
    std::free(line->bytes);
    line->bytes = nullptr;
    line->length = 0;
}

int32_t CAtResponseParser::ClassifyResponse(AtResponse* response, const char* chunk, uint32_t length) {
    std::memset(response->data, 0, sizeof response->data);
    std::string_view text = TextOf(chunk, length);
    for (const AtCommandDescriptor& command : kAtCommands) {
        size_t end = 0;
        if (!HoldsKeyword(text, command.keyword, end)) continue;
        std::string_view rest = TrimLineEnds(text.substr(end));
        // An echo stands alone on its line; "ACK" followed by more text is part
        // of a longer word such as "NACK".
        if (command.kind == KeywordKind::Echo && !rest.empty()) continue;
        return command.parse(command.id, rest, response);
    }
    response->id = AT_RSP_NULL;
    return PARSE_UNRECOGNISED;
}

int32_t CAtResponseParser::ClassifyPlainResponse(AtResponse* response, const char* chunk, uint32_t length) {
    std::memset(response->data, 0, sizeof response->data);
    std::string_view line = TrimLineEnds(TextOf(chunk, length));
    if (StartsWith(line, Keyword(AT_RSP_OK))) {
        response->id = AT_RSP_OK;
        return PARSE_OK;
    }
    if (StartsWith(line, Keyword(AT_RSP_ERROR))) {
        response->id = AT_RSP_ERROR;
        return PARSE_OK;
    }
    switch (response->id) {
        case AT_RSP_MODEL:
            return ParseModelLine(line, response);
        case AT_RSP_IMEI:
            return ParseImeiLine(line, response);
        case AT_RSP_IMSI:
            return ParseImsiLine(line, response);
        default:
            return PARSE_NO_HANDLER;
    }
}

int32_t CAtResponseParser::ParseModelLine(std::string_view line, AtResponse* response) {
    response->id = AT_RSP_MODEL;
    std::string_view model;
    if (TakeField(line, model) || model.empty()) return PARSE_BAD_FIELDS;
    CopyTerminated(model, response->data, sizeof response->data);
    return PARSE_OK;
}

int32_t CAtResponseParser::ParseImeiLine(std::string_view line, AtResponse* response) {
    response->id = AT_RSP_IMEI;
    std::string_view first;
    std::string_view second;
    if (!TakeField(line, first) || TakeField(line, second)) return PARSE_BAD_FIELDS;
    std::string_view imei = FieldValue(first);
    std::string_view other = FieldValue(second);
    if (imei.empty() || other.empty()) return PARSE_BAD_FIELDS;
    CopyTerminated(imei, response->data, kImeiSecondFieldOffset);
    CopyTerminated(other, response->data + kImeiSecondFieldOffset, sizeof response->data - kImeiSecondFieldOffset);
    return PARSE_OK;
}

// An IMSI is 6 to 15 decimal digits and nothing else on its line.
int32_t CAtResponseParser::ParseImsiLine(std::string_view line, AtResponse* response) {
    constexpr size_t kShortestImsi = 6;
    constexpr size_t kLongestImsi = 15;
    response->id = AT_RSP_IMSI;
    const bool digits = line.find_first_not_of("0123456789") == std::string_view::npos;
    if (!digits || line.size() < kShortestImsi || line.size() > kLongestImsi) return PARSE_BAD_FIELDS;
    CopyTerminated(line, response->data, sizeof response->data);
    return PARSE_OK;
}

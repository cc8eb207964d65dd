#include "response_parser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "calendar_groups.h"
#include "camera_pictures.h"
#include "family_fields.h"
#include "file_system.h"
#include "handset_and_sim.h"
#include "java_applications.h"
#include "media_protocol.h"
#include "multimedia_messages.h"
#include "text_fields.h"

using mextal::CopyTerminated;
using mextal::TakeField;
using mextal::TextOf;
using mextal::TrimLineEnds;

namespace {

// What classification does with a keyword once it is found in a line.
enum class AnswerKind { Final, Echo, HandsetError, Family, NoParser };

AnswerKind KindOf(int32_t id) {
    switch (id) {
        case AT_RSP_OK:
        case AT_RSP_ERROR:
            return AnswerKind::Final;
        case AT_RSP_ACK:
        case AT_CMD_ATZ:
        case AT_CMD_ATE0:
        case AT_CMD_AT:
            return AnswerKind::Echo;
        // The error lines of the command families all read alike.
        case AT_RSP_FSERROR: case AT_RSP_QKMMSERR: case AT_RSP_QKVCALERR: case AT_RSP_NACK:
            return AnswerKind::HandsetError;
        // Answer keywords of the command families (file system, phonebook and
        // calendar entries, short and multimedia messages, camera pictures,
        // calendar groups, media centre, Java, the SIM).
        case AT_RSP_FSRF: case AT_RSP_FSDIR: case AT_RSP_FSMISC: case AT_RSP_FSQA:
        case AT_RSP_QKVCARDR: case AT_RSP_QKVCARDW: case AT_RSP_QKVCARDD: case AT_RSP_QKVCARDERR:
        case AT_RSP_CMS_ERROR: case AT_RSP_CPMS: case AT_RSP_CMGL: case AT_RSP_CMGR: case AT_RSP_CMGS:
        case AT_RSP_CMSS: case AT_RSP_CMGW: case AT_RSP_QKMGERR: case AT_RSP_QKMGL: case AT_RSP_QKMGR:
        case AT_RSP_QKMGW: case AT_RSP_MGQS:
        case AT_RSP_QKMMSW: case AT_RSP_QKMMSR: case AT_RSP_QKMMSL:
        case AT_RSP_QKDSCDIR: case AT_RSP_QKDSCMV: case AT_RSP_QKDSCRF:
        case AT_RSP_QKVCALR: case AT_RSP_QKVCALW: case AT_RSP_QKVCALD:
        case AT_RSP_QKCGR:
        case AT_RSP_QKMCL: case AT_RSP_QKMCR: case AT_RSP_QKMCPI:
        case AT_RSP_TCK: case AT_RSP_INFO: case AT_RSP_LIST:
        case AT_RSP_CRSM:
            return AnswerKind::Family;
        default:
            return AnswerKind::NoParser;
    }
}

// Whether the keyword stands at the first place where its first character occurs.
bool HoldsKeyword(std::string_view text, std::string_view keyword, size_t& end) {
    size_t at = text.find(keyword.front());
    if (at == std::string_view::npos || text.compare(at, keyword.size(), keyword) != 0) return false;
    end = at + keyword.size();
    return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The value of a labelled field: the text after its first colon, without
// leading white space.
std::string_view FieldValue(std::string_view field) {
    size_t colon = field.find(':');
    if (colon != std::string_view::npos) field.remove_prefix(colon + 1);
    return mextal::TrimLeadingWhiteSpace(field);
}

int32_t MakeLine(AtCommandLine* line, std::string_view keyword, std::string_view parameters) {
    size_t length = keyword.size() + parameters.size() + 1;
    char* bytes = static_cast<char*>(std::malloc(length));
    if (bytes == nullptr) return PARSE_NO_HANDLER;  // no line can be made
    std::memcpy(bytes, keyword.data(), keyword.size());
    if (!parameters.empty()) std::memcpy(bytes + keyword.size(), parameters.data(), parameters.size());
    bytes[length - 1] = '\r';
    line->bytes = bytes;
    line->length = static_cast<uint32_t>(length);
    return PARSE_OK;
}

// Formats a family's parameters into a buffer of the size that family needs
// and makes the request's line from them.
template <size_t Bytes>
int32_t MakeFamilyLine(const AtRequest& request, AtCommandLine* line,
                       int32_t (*format)(const AtRequest&, char (&)[Bytes], std::string_view&)) {
    char parameters[Bytes];
    std::string_view formatted;
    const int32_t result = format(request, parameters, formatted);
    if (result != PARSE_OK) return result;
    return MakeLine(line, Keyword(static_cast<AtCommandId>(request.id)), formatted);
}

}  // namespace

int32_t CAtResponseParser::BuildRequest(const AtRequest& request, AtCommandLine* line) {
    line->bytes = nullptr;
    line->length = 0;
    switch (request.id) {
        case AT_CMD_AT:
        case AT_CMD_ATZ:
        case AT_CMD_ATE0:
        case AT_CMD_CGMM:
        case AT_CMD_CGSN:
            return MakeLine(line, Keyword(static_cast<AtCommandId>(request.id)), {});
        case AT_CMD_IFC: {
            char parameters[16];
            int length = std::snprintf(parameters, sizeof parameters, "=%d", RequestWord(request, kFlowModeWord));
            return MakeLine(line, Keyword(AT_CMD_IFC), std::string_view(parameters, length));
        }
        case AT_CMD_QKMCL:
        case AT_CMD_QKMCR:
        case AT_CMD_QKMCPI:
            return MakeFamilyLine(request, line, FormatMediaParameters);
        case AT_CMD_QKMGS:
        case AT_CMD_QKMMSL:
        case AT_CMD_QKMMSR:
        case AT_CMD_QKMMSW:
        case AT_CMD_QKMMSD:
        case AT_CMD_QKMMSA:
        case AT_CMD_QKMMSA_QUERY:
        case AT_CMD_CHKPL:
            return MakeFamilyLine(request, line, FormatMessageParameters);
        case AT_CMD_FSRF:
        case AT_CMD_FSWF:
        case AT_CMD_FSDIR:
        case AT_CMD_FSMISC:
        case AT_CMD_FSQA:
            return MakeFamilyLine(request, line, FormatFileSystemParameters);
        case AT_CMD_QKDSCDIR:
        case AT_CMD_QKDSCRF:
        case AT_CMD_QKDSCMV:
            return MakeFamilyLine(request, line, FormatPictureParameters);
        case AT_CMD_QKCGR:
        case AT_CMD_QKCGW:
            return MakeFamilyLine(request, line, FormatCalendarGroupParameters);
        case AT_CMD_TCKS:
        case AT_CMD_TCKR:
            return MakeFamilyLine(request, line, FormatJavaParameters);
        case AT_CMD_SYSTEM:
        case AT_CMD_CRSM:
            return MakeFamilyLine(request, line, FormatHandsetParameters);
        default:
            return PARSE_NO_HANDLER;
    }
}

void CAtResponseParser::FreeRequest(AtCommandLine* line) {
    std::free(line->bytes);
    line->bytes = nullptr;
    line->length = 0;
}

int32_t CAtResponseParser::ClassifyResponse(AtResponse* response, const char* chunk, uint32_t length) {
    std::memset(response->data, 0, sizeof response->data);
    std::string_view text = TextOf(chunk, length);
    for (int32_t id = 0; id < AT_COMMAND_COUNT; ++id) {
        size_t end = 0;
        if (!HoldsKeyword(text, Keyword(static_cast<AtCommandId>(id)), end)) continue;
        std::string_view rest = TrimLineEnds(text.substr(end));
        switch (KindOf(id)) {
            case AnswerKind::Echo:
                // An echo stands alone on its line; "ACK" followed by more text is
                // part of a longer word such as "NACK".
                if (!rest.empty()) continue;
                response->id = id;
                return PARSE_OK;
            case AnswerKind::Final:
                response->id = id;
                return PARSE_OK;
            case AnswerKind::HandsetError:
                return mextal::ParseFamilyErrorLine(static_cast<AtCommandId>(id), rest, response);
            case AnswerKind::Family:
                return ParseFamilyAnswer(static_cast<AtCommandId>(id), rest, response);
            case AnswerKind::NoParser:
                response->id = id;
                return PARSE_NO_HANDLER;
        }
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
        default:
            return PARSE_NO_HANDLER;
    }
}

int32_t CAtResponseParser::ParseFamilyAnswer(AtCommandId id, std::string_view rest, AtResponse* response) {
    switch (id) {
        case AT_RSP_QKMCL:
            return ParseMediaListAnswer(rest, response);
        case AT_RSP_QKMCR:
            return ParseMediaReadAnswer(rest, response);
        case AT_RSP_QKMCPI:
            return ParseMediaIdAnswer(rest, response);
        case AT_RSP_QKMMSW:
        case AT_RSP_QKMMSR:
        case AT_RSP_QKMMSL:
            return ParseMessageAnswer(id, rest, response);
        case AT_RSP_CRSM:
            return ParseSimAnswer(rest, response);
        case AT_RSP_FSRF:
        case AT_RSP_FSDIR:
        case AT_RSP_FSMISC:
        case AT_RSP_FSQA:
            return ParseFileSystemAnswer(id, rest, response);
        case AT_RSP_QKDSCDIR:
        case AT_RSP_QKDSCMV:
        case AT_RSP_QKDSCRF:
            return ParsePictureAnswer(id, rest, response);
        case AT_RSP_QKCGR:
            return ParseCalendarGroupAnswer(rest, response);
        case AT_RSP_TCK:
        case AT_RSP_INFO:
        case AT_RSP_LIST:
            return ParseJavaAnswer(id, rest, response);
        default:
            response->id = id;
            return PARSE_OK;
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
    CopyTerminated(other, response->data + kImeiSecondFieldOffset,
                   sizeof response->data - kImeiSecondFieldOffset);
    return PARSE_OK;
}

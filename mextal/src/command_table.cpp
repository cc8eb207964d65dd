#include "command_table.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "calendar_groups.h"
#include "camera_pictures.h"
#include "family_fields.h"
#include "file_system.h"
#include "handset_and_sim.h"
#include "java_applications.h"
#include "media_protocol.h"
#include "multimedia_messages.h"

namespace {

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

// Ids that are never sent.
int32_t NoRequest(const AtRequest&, AtCommandLine*) { return PARSE_NO_HANDLER; }

// The keyword alone.
int32_t KeywordLine(const AtRequest& request, AtCommandLine* line) {
    return MakeLine(line, Keyword(static_cast<AtCommandId>(request.id)), {});
}

// "AT+IFC=<mode>".
int32_t FlowControlLine(const AtRequest& request, AtCommandLine* line) {
    char parameters[16];
    int length = std::snprintf(parameters, sizeof parameters, "=%d", RequestWord(request, kFlowModeWord));
    return MakeLine(line, Keyword(AT_CMD_IFC), std::string_view(parameters, length));
}

// The keyword and the parameters a family formats into a buffer of the size
// that family needs.
template <size_t Bytes, int32_t (*Format)(const AtRequest&, char (&)[Bytes], std::string_view&)>
int32_t FamilyLine(const AtRequest& request, AtCommandLine* line) {
    char parameters[Bytes];
    std::string_view formatted;
    const int32_t result = Format(request, parameters, formatted);
    if (result != PARSE_OK) return result;
    return MakeLine(line, Keyword(static_cast<AtCommandId>(request.id)), formatted);
}

constexpr RequestFormatter kFileSystemLine = FamilyLine<kFileSystemParameterBytes, FormatFileSystemParameters>;
constexpr RequestFormatter kMessageLine = FamilyLine<kMessageParameterBytes, FormatMessageParameters>;
constexpr RequestFormatter kPictureLine = FamilyLine<kPictureParameterBytes, FormatPictureParameters>;
constexpr RequestFormatter kCalendarGroupLine = FamilyLine<kCalendarParameterBytes, FormatCalendarGroupParameters>;
constexpr RequestFormatter kMediaLine = FamilyLine<kMediaParameterBytes, FormatMediaParameters>;
constexpr RequestFormatter kJavaLine = FamilyLine<kJavaParameterBytes, FormatJavaParameters>;
constexpr RequestFormatter kHandsetLine = FamilyLine<mextal::kFamilyNumbersBytes, FormatHandsetParameters>;

// A parser that reads the same way whatever keyword brought it.
template <int32_t (*Parse)(std::string_view, AtResponse*)>
int32_t AnyId(AtCommandId, std::string_view text, AtResponse* response) {
    return Parse(text, response);
}

// The final answers, echoes, and the answers of the short-message,
// phonebook-entry and calendar-entry families, which no operation reads
// further: the id alone.
int32_t KeywordOnly(AtCommandId id, std::string_view, AtResponse* response) {
    response->id = id;
    return PARSE_OK;
}

// Keywords that are not read as answers.
int32_t NotAnAnswer(AtCommandId id, std::string_view, AtResponse* response) {
    response->id = id;
    return PARSE_NO_HANDLER;
}

constexpr AnswerParser kErrorLine = mextal::ParseFamilyErrorLine;

using K = KeywordKind;

}  // namespace

constexpr AtCommandDescriptor kAtCommands[AT_COMMAND_COUNT] = {
    {AT_RSP_FSERROR, "$FSERROR", K::Answer, NoRequest, kErrorLine},
    {AT_CMD_FSRF, "AT$FSRF", K::Request, kFileSystemLine, NotAnAnswer},
    {AT_RSP_FSRF, "$FSRF", K::Answer, NoRequest, ParseFileSystemAnswer},
    {AT_CMD_FSWF, "AT$FSWF", K::Request, kFileSystemLine, NotAnAnswer},
    {AT_CMD_FSDIR, "AT$FSDIR", K::Request, kFileSystemLine, NotAnAnswer},
    {AT_RSP_FSDIR, "$FSDIR", K::Answer, NoRequest, ParseFileSystemAnswer},
    {AT_CMD_FSMISC, "AT$FSMISC", K::Request, kFileSystemLine, NotAnAnswer},
    {AT_RSP_FSMISC, "$FSMISC", K::Answer, NoRequest, ParseFileSystemAnswer},
    {AT_CMD_FSQA, "AT$FSQA", K::Request, kFileSystemLine, NotAnAnswer},
    {AT_RSP_FSQA, "$FSQA", K::Answer, NoRequest, ParseFileSystemAnswer},
    {AT_CMD_QKVCARDR, "AT$QKVCARDR", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKVCARDR, "$QKVCARDR", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKVCARDW, "AT$QKVCARDW", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKVCARDW, "$QKVCARDW", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKVCARDD, "AT$QKVCARDD", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKVCARDD, "$QKVCARDD", K::Answer, NoRequest, KeywordOnly},
    {AT_RSP_QKVCARDERR, "$QKVCARDERR", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CGMM, "AT+CGMM", K::Request, KeywordLine, NotAnAnswer},
    {AT_RSP_MODEL, "NONE", K::Placeholder, NoRequest, NotAnAnswer},
    {AT_RSP_CMS_ERROR, "+CMS ERROR", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CMGF, "AT+CMGF", K::Request, NoRequest, NotAnAnswer},
    {AT_CMD_CMGD, "AT+CMGD", K::Request, NoRequest, NotAnAnswer},
    {AT_CMD_CPMS, "AT+CPMS", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_CPMS, "+CPMS", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CMGL, "AT+CMGL", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_CMGL, "+CMGL", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CMGR, "AT+CMGR", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_CMGR, "+CMGR", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CMGS, "AT+CMGS", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_CMGS, "+CMGS", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CMSS, "AT+CMSS", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_CMSS, "+CMSS", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CMGW, "AT+CMGW", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_CMGW, "+CMGW", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_CGSN, "AT+CGSN", K::Request, KeywordLine, NotAnAnswer},
    {AT_RSP_IMEI, "NONE", K::Placeholder, NoRequest, NotAnAnswer},
    {AT_RSP_QKMGERR, "$QKMGERR", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKMGD, "AT$QKMGD", K::Request, NoRequest, NotAnAnswer},
    {AT_CMD_QKMGX, "AT$QKMGX", K::Request, NoRequest, NotAnAnswer},
    {AT_CMD_QKMGL, "AT$QKMGL", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKMGL, "$QKMGL", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKMGR, "AT$QKMGR", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKMGR, "$QKMGR", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKMGW, "AT$QKMGW", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKMGW, "$QKMGW", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_MGQS, "AT$MGQS", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_MGQS, "$MGQS", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKMGS, "AT$QKMGS", K::Request, kMessageLine, NotAnAnswer},
    {AT_CMD_QKMMSL, "AT$QKMMSL", K::Request, kMessageLine, NotAnAnswer},
    {AT_CMD_QKMMSR, "AT$QKMMSR", K::Request, kMessageLine, NotAnAnswer},
    {AT_CMD_QKMMSW, "AT$QKMMSW", K::Request, kMessageLine, NotAnAnswer},
    {AT_CMD_QKMMSD, "AT$QKMMSD", K::Request, kMessageLine, NotAnAnswer},
    {AT_CMD_QKMMSA, "AT$QKMMSA", K::Request, kMessageLine, NotAnAnswer},
    {AT_CMD_QKMMSA_QUERY, "AT$QKMMSA?", K::Request, kMessageLine, NotAnAnswer},
    {AT_RSP_QKMMSERR, "$QKMMSERR", K::Answer, NoRequest, kErrorLine},
    {AT_RSP_QKMMSW, "$QKMMSW", K::Answer, NoRequest, ParseMessageAnswer},
    {AT_RSP_QKMMSR, "$QKMMSR", K::Answer, NoRequest, ParseMessageAnswer},
    {AT_RSP_QKMMSL, "$QKMMSL", K::Answer, NoRequest, ParseMessageAnswer},
    {AT_CMD_CHKPL, "AT$CHKPL", K::Request, kMessageLine, NotAnAnswer},
    {AT_CMD_QKDSCDIR, "AT$QKDSCDIR", K::Request, kPictureLine, NotAnAnswer},
    {AT_RSP_QKDSCDIR, "$QKDSCDIR", K::Answer, NoRequest, ParsePictureAnswer},
    {AT_CMD_QKDSCMV, "AT$QKDSCMV", K::Request, kPictureLine, NotAnAnswer},
    {AT_RSP_QKDSCMV, "$QKDSCMV", K::Answer, NoRequest, ParsePictureAnswer},
    {AT_CMD_QKDSCRF, "AT$QKDSCRF", K::Request, kPictureLine, NotAnAnswer},
    {AT_RSP_QKDSCRF, "$QKDSCRF", K::Answer, NoRequest, ParsePictureAnswer},
    {AT_CMD_QKVCALR, "AT$QKVCALR", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKVCALR, "$QKVCALR", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKVCALW, "AT$QKVCALW", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKVCALW, "$QKVCALW", K::Answer, NoRequest, KeywordOnly},
    {AT_CMD_QKVCALD, "AT$QKVCALD", K::Request, NoRequest, NotAnAnswer},
    {AT_RSP_QKVCALD, "$QKVCALD", K::Answer, NoRequest, KeywordOnly},
    {AT_RSP_QKVCALERR, "$QKVCALERR", K::Answer, NoRequest, kErrorLine},
    {AT_CMD_QKCGR, "AT$QKCGR", K::Request, kCalendarGroupLine, NotAnAnswer},
    {AT_RSP_QKCGR, "$QKCGR", K::Answer, NoRequest, AnyId<ParseCalendarGroupAnswer>},
    {AT_CMD_QKCGW, "AT$QKCGW", K::Request, kCalendarGroupLine, NotAnAnswer},
    {AT_CMD_QKMCL, "AT$QKMCL", K::Request, kMediaLine, NotAnAnswer},
    {AT_RSP_QKMCL, "$QKMCL", K::Answer, NoRequest, AnyId<ParseMediaListAnswer>},
    {AT_CMD_QKMCR, "AT$QKMCR", K::Request, kMediaLine, NotAnAnswer},
    {AT_RSP_QKMCR, "$QKMCR", K::Answer, NoRequest, AnyId<ParseMediaReadAnswer>},
    {AT_CMD_QKMCPI, "AT$QKMCPI", K::Request, kMediaLine, NotAnAnswer},
    {AT_RSP_QKMCPI, "$QKMCPI", K::Answer, NoRequest, AnyId<ParseMediaIdAnswer>},
    {AT_CMD_TCKS, "AT$TCKS", K::Request, kJavaLine, NotAnAnswer},
    {AT_CMD_TCKR, "AT$TCKR", K::Request, kJavaLine, NotAnAnswer},
    {AT_RSP_TCK, "$TCK", K::Answer, NoRequest, ParseJavaAnswer},
    {AT_RSP_ACK, "ACK", K::Echo, NoRequest, KeywordOnly},
    {AT_RSP_NACK, "NACK", K::Answer, NoRequest, kErrorLine},
    {AT_RSP_INFO, "INFO", K::Answer, NoRequest, ParseJavaAnswer},
    {AT_RSP_LIST, "LIST", K::Answer, NoRequest, ParseJavaAnswer},
    {AT_CMD_SYSTEM, "AT+SYSTEM", K::Request, kHandsetLine, NotAnAnswer},
    {AT_CMD_CRSM, "AT+CRSM", K::Request, kHandsetLine, NotAnAnswer},
    {AT_RSP_CRSM, "+CRSM", K::Answer, NoRequest, AnyId<ParseSimAnswer>},
    {AT_CMD_ATZ, "ATZ", K::Echo, KeywordLine, KeywordOnly},
    {AT_CMD_ATE0, "ATE0", K::Echo, KeywordLine, KeywordOnly},
    {AT_CMD_AT, "AT", K::Echo, KeywordLine, KeywordOnly},
    {AT_RSP_OK, "OK", K::Answer, NoRequest, KeywordOnly},
    {AT_RSP_ERROR, "ERROR", K::Answer, NoRequest, KeywordOnly},
    {AT_RSP_NULL, "NULL", K::Placeholder, NoRequest, NotAnAnswer},
    {AT_CMD_IFC, "AT+IFC", K::Request, FlowControlLine, NotAnAnswer},
};

namespace {

constexpr bool IsRequestKeyword(const char* keyword) { return keyword[0] == 'A' && keyword[1] == 'T'; }

// The rows cannot drift from the ids, and a row's kind fits its keyword.
constexpr bool RowIsSound(int32_t index) {
    const AtCommandDescriptor& row = kAtCommands[index];
    switch (row.kind) {
        case KeywordKind::Request:
            return row.id == index && IsRequestKeyword(row.keyword);
        case KeywordKind::Answer:
            return row.id == index && !IsRequestKeyword(row.keyword);
        default:
            return row.id == index;
    }
}

constexpr bool AllRowsSound() {
    for (int32_t index = 0; index < AT_COMMAND_COUNT; ++index) {
        if (!RowIsSound(index)) return false;
    }
    return true;
}
static_assert(AllRowsSound(), "row i of the keyword table describes id i, with a kind that fits its keyword");

template <size_t... Index>
constexpr std::array<const char*, sizeof...(Index)> KeywordsOf(std::index_sequence<Index...>) {
    return {kAtCommands[Index].keyword...};
}

}  // namespace

constexpr std::array<const char*, AT_COMMAND_COUNT> CommandStringTable =
    KeywordsOf(std::make_index_sequence<AT_COMMAND_COUNT>{});

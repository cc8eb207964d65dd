// Classification of one answer chunk by the first keyword of the table that it
// holds. The input is the chunk, handed over with its exact length and no
// terminator, as the engine's receive buffer may hold it.
//
// Checks: the result is one of the parser's codes and fits the response id;
// the id is the first keyword of the table that stands at the first place its
// first character occurs, skipping echoes followed by text; the data area is
// left zero by every answer that carries no data of its own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "at_command.h"
#include "fuzz_support.h"
#include "response_parser.h"

namespace {

using fuzz::TrimCrLf;
using fuzz::UpToNul;

bool IsEcho(int32_t id) { return id == AT_RSP_ACK || id == AT_CMD_ATZ || id == AT_CMD_ATE0 || id == AT_CMD_AT; }

bool IsFinal(int32_t id) { return id == AT_RSP_OK || id == AT_RSP_ERROR; }

bool IsRequest(int32_t id) { return Keyword(static_cast<AtCommandId>(id)).substr(0, 2) == "AT"; }

// Response keywords of the command families: answer keywords that are neither
// final answers, echoes, the handset error nor the markers of unprefixed lines
// and of nothing recognised.
bool IsFamilyAnswer(int32_t id) {
    return !IsRequest(id) && !IsFinal(id) && !IsEcho(id) && id != AT_RSP_FSERROR && id != AT_RSP_MODEL &&
           id != AT_RSP_IMEI && id != AT_RSP_NULL;
}

// The id that classification must settle on, or AT_RSP_NULL.
int32_t ExpectedId(std::string_view text) {
    for (int32_t id = 0; id < AT_COMMAND_COUNT; ++id) {
        std::string_view keyword = Keyword(static_cast<AtCommandId>(id));
        size_t at = text.find(keyword[0]);
        if (at == std::string_view::npos || text.substr(at, keyword.size()) != keyword) continue;
        if (IsEcho(id) && !TrimCrLf(text.substr(at + keyword.size())).empty()) continue;
        return id;
    }
    return AT_RSP_NULL;
}

bool AllZero(const char* bytes, size_t count) {
    return std::all_of(bytes, bytes + count, [](char byte) { return byte == 0; });
}

void CheckResultFitsId(int32_t result, int32_t id) {
    switch (result) {
        case PARSE_OK:
            FUZZ_CHECK(id != AT_RSP_NULL);
            FUZZ_CHECK(IsFinal(id) || IsEcho(id) || id == AT_RSP_FSERROR || IsFamilyAnswer(id));
            break;
        case PARSE_NO_HANDLER:
            FUZZ_CHECK(IsRequest(id) || id == AT_RSP_MODEL || id == AT_RSP_IMEI || id == AT_RSP_NULL);
            break;
        case PARSE_UNRECOGNISED:
            FUZZ_CHECK(id == AT_RSP_NULL);
            break;
        case PARSE_NO_COLON:
        case PARSE_BAD_FIELDS:
            // The handset error, or a family answer whose fields do not parse.
            FUZZ_CHECK(id == AT_RSP_FSERROR || IsFamilyAnswer(id));
            break;
        default:
            FUZZ_CHECK(!"result is one of the parser's codes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kResponseDataBytes) return 0;  // a chunk never exceeds the receive buffer
    const std::vector<char> chunk(data, data + size);

    CAtResponseParser parser;
    AtResponse response;
    std::memset(&response, 0xA5, sizeof response);
    response.id = AT_RSP_MODEL;
    const int32_t result = parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size()));

    CheckResultFitsId(result, response.id);
    const std::string_view text = UpToNul(chunk);
    FUZZ_CHECK(response.id == ExpectedId(text));

    if (IsFamilyAnswer(response.id)) return 0;  // family parsers fill the data area as they like
    const size_t kept = response.id == AT_RSP_FSERROR && result == PARSE_OK ? sizeof(int32_t) : 0;
    FUZZ_CHECK(AllZero(response.data + kept, sizeof response.data - kept));
    return 0;
}

// Classification of an unprefixed information line, once for every kind of
// expected id the engine may leave in the response. The input is the chunk,
// with its exact length and no terminator.
//
// Checks: a line beginning with "OK" or "ERROR" (after CR and LF are trimmed)
// is the final answer whatever was expected; otherwise the expected id picks
// the model parser, the IMEI parser or none; results are among the parser's
// codes; the data area stays zero unless a text was parsed.
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

using fuzz::StartsWith;
using fuzz::TrimCrLf;
using fuzz::UpToNul;

// Expected ids: the two with a parser, others the engine never leaves there.
constexpr int32_t kExpectedIds[] = {AT_RSP_MODEL,   AT_RSP_IMEI, AT_RSP_OK,       AT_RSP_NULL,
                                    AT_RSP_FSERROR, -1,          AT_COMMAND_COUNT};

bool AllZero(const char* bytes, size_t count) {
    return std::all_of(bytes, bytes + count, [](char byte) { return byte == 0; });
}

void CheckOne(const std::vector<char>& chunk, std::string_view line, int32_t expected) {
    CAtResponseParser parser;
    AtResponse response;
    std::memset(&response, 0xA5, sizeof response);
    response.id = expected;
    const int32_t result = parser.ClassifyPlainResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size()));

    if (StartsWith(line, "OK") || StartsWith(line, "ERROR")) {
        FUZZ_CHECK(result == PARSE_OK);
        FUZZ_CHECK(response.id == (StartsWith(line, "OK") ? AT_RSP_OK : AT_RSP_ERROR));
    } else if (expected == AT_RSP_MODEL || expected == AT_RSP_IMEI) {
        FUZZ_CHECK(result == PARSE_OK || result == PARSE_BAD_FIELDS);
        FUZZ_CHECK(response.id == expected);
    } else {
        FUZZ_CHECK(result == PARSE_NO_HANDLER);
        FUZZ_CHECK(response.id == expected);
    }
    const bool parsedText = result == PARSE_OK && (response.id == AT_RSP_MODEL || response.id == AT_RSP_IMEI);
    if (!parsedText) FUZZ_CHECK(AllZero(response.data, sizeof response.data));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kResponseDataBytes) return 0;  // a chunk never exceeds the receive buffer
    const std::vector<char> chunk(data, data + size);
    const std::string_view line = TrimCrLf(UpToNul(chunk));
    for (int32_t expected : kExpectedIds) CheckOne(chunk, line, expected);
    return 0;
}

// The model and IMEI parsers behind the plain classification, fed the same
// line. Their field rules are checked against a separate reading of the line:
// fields end at commas outside double quotes.
//
// Model: accepted exactly when the line is one non-empty field; the text kept
// is the line, cut to the data area and terminated within it.
// IMEI: accepted exactly when the line has two fields whose values (after the
// first colon, leading white space dropped) are non-empty; each value is kept
// in its slot, cut to fit and terminated within the slot.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "at_command.h"
#include "fuzz_support.h"
#include "response_parser.h"

namespace {

using fuzz::SplitFields;
using fuzz::StartsWith;
using fuzz::TrimCrLf;
using fuzz::UpToNul;

std::string_view Value(std::string_view field) {
    const size_t colon = field.find(':');
    if (colon != std::string_view::npos) field.remove_prefix(colon + 1);
    while (!field.empty() &&
           (field.front() == ' ' || field.front() == '\t' || field.front() == '\r' || field.front() == '\n')) {
        field.remove_prefix(1);
    }
    return field;
}

// The slot holds `text` cut to size - 1 bytes and a terminator within the slot.
bool SlotHolds(const char* slot, size_t size, std::string_view text) {
    const size_t length = strnlen(slot, size);
    return length < size && std::string_view(slot, length) == text.substr(0, size - 1);
}

int32_t Classify(const std::vector<char>& chunk, int32_t expected, AtResponse& response) {
    CAtResponseParser parser;
    std::memset(&response, 0xA5, sizeof response);
    response.id = expected;
    return parser.ClassifyPlainResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size()));
}

void CheckModel(const std::vector<char>& chunk, std::string_view line) {
    AtResponse response;
    const int32_t result = Classify(chunk, AT_RSP_MODEL, response);
    const std::vector<std::string_view> fields = SplitFields(line);
    const std::string_view model = fields[0];
    const bool acceptable = fields.size() == 1 && !model.empty();
    FUZZ_CHECK(response.id == AT_RSP_MODEL);
    FUZZ_CHECK(result == (acceptable ? PARSE_OK : PARSE_BAD_FIELDS));
    if (acceptable) FUZZ_CHECK(SlotHolds(response.data, sizeof response.data, model));
}

void CheckImei(const std::vector<char>& chunk, std::string_view line) {
    AtResponse response;
    const int32_t result = Classify(chunk, AT_RSP_IMEI, response);
    const std::vector<std::string_view> fields = SplitFields(line);
    FUZZ_CHECK(response.id == AT_RSP_IMEI);
    if (fields.size() != 2) {
        FUZZ_CHECK(result == PARSE_BAD_FIELDS);
        return;
    }
    const std::string_view imei = Value(fields[0]);
    const std::string_view other = Value(fields[1]);
    const bool acceptable = !imei.empty() && !other.empty();
    FUZZ_CHECK(result == (acceptable ? PARSE_OK : PARSE_BAD_FIELDS));
    if (!acceptable) return;
    FUZZ_CHECK(SlotHolds(response.data, kImeiSecondFieldOffset, imei));
    FUZZ_CHECK(SlotHolds(response.data + kImeiSecondFieldOffset, sizeof response.data - kImeiSecondFieldOffset, other));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kResponseDataBytes) return 0;  // a chunk never exceeds the receive buffer
    const std::vector<char> chunk(data, data + size);
    const std::string_view line = TrimCrLf(UpToNul(chunk));
    if (StartsWith(line, "OK") || StartsWith(line, "ERROR")) return 0;  // final answers, not information lines
    CheckModel(chunk, line);
    CheckImei(chunk, line);
    return 0;
}

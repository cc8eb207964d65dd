// The media-centre answers "$QKMCL", "$QKMCR" and "$QKMCPI", reached through
// classification as the engine reaches them, once for every form the request
// record may carry. The input is the chunk, with its exact length and no
// terminator.
//
// Checks, against a separate reading of the answer's fields: the result is
// 0, 4100 (no colon, or a "$QKMCPI" form other than 0 or 1) or 4102 (a field
// missing, without digits, too long for its slot, or one too many); accepted
// answers store exactly the numbers and the unquoted name, the name
// terminated within its slot; refused answers leave the data area zero.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "at_command.h"
#include "fuzz_support.h"
#include "media_protocol.h"
#include "media_records.h"
#include "response_parser.h"

namespace {

using fuzz::ReadLeadingNumber;
using fuzz::SplitFields;
using fuzz::TrimCrLf;
using fuzz::UpToNul;

// Forms a request record may hold when one of these answers arrives.
constexpr int32_t kForms[] = {kMediaListForm, kMediaQueryForm, kMediaNameToIdForm, 0x5A5A5A5A};

bool AllZero(const void* bytes, size_t count) {
    const auto* begin = static_cast<const unsigned char*>(bytes);
    return std::all_of(begin, begin + count, [](unsigned char byte) { return byte == 0; });
}

std::string_view Unquoted(std::string_view field) {
    if (!field.empty() && field.front() == '"') field.remove_prefix(1);
    if (!field.empty() && field.back() == '"') field.remove_suffix(1);
    return field;
}

// A name field accepted into a slot of N bytes is kept whole and terminated.
template <size_t N>
bool NameFits(std::string_view field) {
    return Unquoted(field).size() < N;
}

template <size_t N>
bool HoldsName(const char (&slot)[N], std::string_view field) {
    const size_t length = strnlen(slot, N);
    return length < N && std::string_view(slot, length) == Unquoted(field);
}

bool IsNumber(std::string_view field) {
    int32_t ignored = 0;
    return ReadLeadingNumber(field, ignored);
}

int32_t NumberOf(std::string_view field) {
    int32_t number = 0;
    ReadLeadingNumber(field, number);
    return number;
}

uint8_t ByteOf(std::string_view field) { return static_cast<uint8_t>(NumberOf(field)); }

// The text of a category query reduced to its group: from the first "(" to
// the ")" that closes it, nothing but blanks after the comma that follows it;
// empty when the text is not of that shape.
std::string_view QueryGroup(std::string_view text) {
    const size_t open = text.find('(');
    if (open == std::string_view::npos) return {};
    size_t depth = 0;
    size_t close = open;
    for (; close < text.size(); ++close) {
        depth += text[close] == '(' ? 1 : 0;
        if (text[close] == ')' && --depth == 0) break;
    }
    if (close == text.size()) return {};
    const size_t comma = text.find(',', close);
    if (comma != std::string_view::npos) {
        for (char c : text.substr(comma + 1)) {
            if (c != ' ' && c != '\t') return {};
        }
    }
    return text.substr(open, close - open + 1);
}

void CheckList(std::string_view text, int32_t form, int32_t result, const AtResponse& response) {
    const auto stored = MediaAnswerFields<MediaListFields>(response);
    if (form == kMediaQueryForm) {
        // How the group decodes is the category_mask target's concern; here
        // the group must be cut out and its decoding stored or refused.
        const std::string_view group = QueryGroup(text);
        uint32_t mask = 0;
        const bool acceptable = !group.empty() && DecodeCategoryMask(group, mask);
        FUZZ_CHECK(result == (acceptable ? PARSE_OK : PARSE_BAD_FIELDS));
        if (!acceptable) return;
        FUZZ_CHECK(stored.categoryMask == mask && stored.category == 0 && stored.name[0] == '\0');
        return;
    }
    const std::vector<std::string_view> fields = SplitFields(text);
    const bool acceptable =
        IsNumber(fields[0]) && (fields.size() == 1 || (fields.size() == 2 && NameFits<sizeof stored.name>(fields[1])));
    FUZZ_CHECK(result == (acceptable ? PARSE_OK : PARSE_BAD_FIELDS));
    if (!acceptable) return;
    FUZZ_CHECK(stored.category == NumberOf(fields[0]) && stored.categoryMask == 0);
    FUZZ_CHECK(HoldsName(stored.name, fields.size() == 2 ? fields[1] : std::string_view()));
}

void CheckRead(std::string_view text, int32_t result, const AtResponse& response) {
    const auto stored = MediaAnswerFields<MediaReadFields>(response);
    const std::vector<std::string_view> f = SplitFields(text);
    const bool acceptable = f.size() == 5 && IsNumber(f[0]) && IsNumber(f[1]) && IsNumber(f[2]) &&
                            NameFits<sizeof stored.name>(f[3]) && IsNumber(f[4]);
    FUZZ_CHECK(result == (acceptable ? PARSE_OK : PARSE_BAD_FIELDS));
    if (!acceptable) return;
    FUZZ_CHECK(stored.category == NumberOf(f[0]) && stored.kind == ByteOf(f[1]) && stored.reserved == ByteOf(f[2]));
    FUZZ_CHECK(HoldsName(stored.name, f[3]));
    FUZZ_CHECK(stored.contentLength == NumberOf(f[4]));
}

void CheckId(std::string_view text, int32_t result, const AtResponse& response) {
    const auto stored = MediaAnswerFields<MediaIdFields>(response);
    const std::vector<std::string_view> f = SplitFields(text);
    if (!IsNumber(f[0])) {
        FUZZ_CHECK(result == PARSE_BAD_FIELDS);
        return;
    }
    const int32_t form = NumberOf(f[0]);
    if (form != kMediaNameToIdForm && form != kMediaIdToNameForm) {
        FUZZ_CHECK(result == PARSE_NO_COLON);
        return;
    }
    // Name to id: form, category, kind, name, id. Id to name: form, category, id, kind, name.
    const bool nameToId = form == kMediaNameToIdForm;
    const size_t idAt = nameToId ? 4 : 2;
    const size_t kindAt = nameToId ? 2 : 3;
    const size_t nameAt = nameToId ? 3 : 4;
    const bool acceptable = f.size() == 5 && IsNumber(f[1]) && IsNumber(f[idAt]) && IsNumber(f[kindAt]) &&
                            NameFits<sizeof stored.name>(f[nameAt]);
    FUZZ_CHECK(result == (acceptable ? PARSE_OK : PARSE_BAD_FIELDS));
    if (!acceptable) return;
    FUZZ_CHECK(response.familyValue == form);
    FUZZ_CHECK(stored.category == NumberOf(f[1]) && stored.id == NumberOf(f[idAt]) && stored.kind == ByteOf(f[kindAt]));
    FUZZ_CHECK(HoldsName(stored.name, f[nameAt]));
}

size_t FieldsSize(int32_t id) {
    switch (id) {
        case AT_RSP_QKMCL:
            return sizeof(MediaListFields);
        case AT_RSP_QKMCR:
            return sizeof(MediaReadFields);
        default:
            return sizeof(MediaIdFields);
    }
}

void CheckAnswer(const std::vector<char>& chunk, int32_t form) {
    CAtResponseParser parser;
    AtResponse response;
    std::memset(&response, 0xA5, sizeof response);
    response.familyValue = form;
    const int32_t result = parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size()));
    const int32_t id = response.id;
    if (id != AT_RSP_QKMCL && id != AT_RSP_QKMCR && id != AT_RSP_QKMCPI) return;

    FUZZ_CHECK(result == PARSE_OK || result == PARSE_NO_COLON || result == PARSE_BAD_FIELDS);
    if (result != PARSE_OK) FUZZ_CHECK(AllZero(response.data, sizeof response.data));
    FUZZ_CHECK(AllZero(response.data + FieldsSize(id), sizeof response.data - FieldsSize(id)));

    const std::string_view line = UpToNul(chunk);
    const std::string_view keyword = Keyword(static_cast<AtCommandId>(id));
    std::string_view text = TrimCrLf(line.substr(line.find(keyword) + keyword.size()));
    if (text.empty() || text.front() != ':') {
        FUZZ_CHECK(result == PARSE_NO_COLON);
        return;
    }
    text.remove_prefix(1);
    switch (id) {
        case AT_RSP_QKMCL:
            CheckList(text, form, result, response);
            break;
        case AT_RSP_QKMCR:
            CheckRead(text, result, response);
            break;
        default:
            CheckId(text, result, response);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kResponseDataBytes) return 0;  // a chunk never exceeds the receive buffer
    const std::vector<char> chunk(data, data + size);
    for (int32_t form : kForms) CheckAnswer(chunk, form);
    return 0;
}

// The answers of the file-system, camera-picture, calendar-group, Java,
// multimedia-message and SIM commands and the families' error lines, reached
// through classification as the engine reaches them. The input is the chunk,
// with its exact length and no terminator.
//
// Checks, against a separate reading of the answer's fields (numbers plain
// unsigned decimal within blanks and at most 4294967295, texts hexadecimal in
// quotes, error numbers read as atoi reads them): the result, and the whole
// data area byte for byte, so accepted answers store exactly the numbers and
// the decoded texts (terminated within their slots) and leave every other
// byte zero, and refused answers leave the data area zero; answers of families
// without a parser of their own store nothing; classifying the chunk again
// into a record filled with other bytes gives the same record; the SIM's
// record information is read only from the bytes the answer carried.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "at_command.h"
#include "calendar_groups.h"
#include "family_records.h"
#include "fuzz_support.h"
#include "handset_and_sim.h"
#include "multimedia_messages.h"
#include "response_parser.h"

namespace {

using fuzz::ReadLeadingNumber;
using fuzz::SplitFields;
using fuzz::TrimCrLf;
using fuzz::UpToNul;

constexpr size_t kMostAnswerFields = 8;

// Answers made of a fixed number of number fields.
struct NumberAnswer {
    AtCommandId id;
    size_t count;
};
constexpr NumberAnswer kNumberAnswers[] = {
    {AT_RSP_FSRF, 2},    {AT_RSP_FSDIR, 2},   {AT_RSP_FSQA, 4},   {AT_RSP_QKDSCDIR, 1},
    {AT_RSP_QKDSCMV, 1}, {AT_RSP_QKDSCRF, 1}, {AT_RSP_TCK, 2},    {AT_RSP_INFO, 4},
    {AT_RSP_LIST, 1},    {AT_RSP_QKMMSW, 2},  {AT_RSP_QKMMSL, 2},
};

constexpr AtCommandId kErrorLines[] = {AT_RSP_FSERROR, AT_RSP_QKMMSERR, AT_RSP_QKVCALERR, AT_RSP_NACK};

// Answer keywords of the short-message, phonebook-entry and calendar-entry
// families: recognised, but nothing is read from them.
constexpr AtCommandId kUnparsedAnswers[] = {
    AT_RSP_QKVCARDR, AT_RSP_QKVCARDW, AT_RSP_QKVCARDD, AT_RSP_QKVCARDERR, AT_RSP_CMS_ERROR, AT_RSP_CPMS,  AT_RSP_CMGL,
    AT_RSP_CMGR,     AT_RSP_CMGS,     AT_RSP_CMSS,     AT_RSP_CMGW,       AT_RSP_QKMGERR,   AT_RSP_QKMGL, AT_RSP_QKMGR,
    AT_RSP_QKMGW,    AT_RSP_MGQS,     AT_RSP_QKVCALR,  AT_RSP_QKVCALW,    AT_RSP_QKVCALD,
};

// FSMISC sub-commands run from 1 to 6; 6 (free space) carries five numbers.
constexpr uint32_t kFirstMiscSub = 1;
constexpr uint32_t kSpaceMiscSub = 6;
constexpr size_t kSpaceMiscNumbers = 5;
constexpr size_t kChangeMiscNumbers = 2;

template <typename T, size_t N>
bool Holds(const T (&table)[N], int32_t id) {
    return std::any_of(table, table + N, [id](const auto& entry) { return static_cast<int32_t>(entry) == id; });
}

size_t NumberCountOf(int32_t id) {
    for (const NumberAnswer& answer : kNumberAnswers) {
        if (answer.id == id) return answer.count;
    }
    return 0;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<uint32_t> UnsignedOf(std::string_view field) {
    field = TrimBlanks(field);
    if (field.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A hexadecimal field decoded into at most `capacity` bytes: in double quotes,
// or where `quotesOptional` also bare (but then not empty).
std::optional<std::string> HexBytesOf(std::string_view field, bool quotesOptional, size_t capacity) {
    field = TrimBlanks(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = field.substr(1, field.size() - 2);
    } else if (!quotesOptional || field.empty()) {
        return std::nullopt;
    }
    if (field.size() % 2 != 0 || field.size() / 2 > capacity) return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < field.size(); i += 2) {
        const int high = DigitValue(field[i]);
        const int low = DigitValue(field[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

// What classification must give for one answer: its result, the data area
// image of an accepted answer, and the family value where the answer sets one.
struct Expected {
    int32_t result = PARSE_BAD_FIELDS;
    FamilyAnswerFields fields{};
    std::optional<int32_t> familyValue;
};

bool ReadNumbers(const std::vector<std::string_view>& fields, Expected& expected) {
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::optional<uint32_t> number = UnsignedOf(fields[i]);
        if (!number) return false;
        expected.fields.numbers[i] = *number;
    }
    return true;
}

bool ReadMiscAnswer(const std::vector<std::string_view>& fields, Expected& expected) {
    const std::optional<uint32_t> sub = UnsignedOf(fields[0]);
    if (sub && (*sub < kFirstMiscSub || *sub > kSpaceMiscSub)) {
        expected.result = PARSE_NO_COLON;
        return false;
    }
    const size_t count = sub == kSpaceMiscSub ? kSpaceMiscNumbers : kChangeMiscNumbers;
    return sub && fields.size() == count && ReadNumbers(fields, expected);
}

bool ReadMessageRead(const std::vector<std::string_view>& fields, Expected& expected) {
    if ((fields.size() != 1 && fields.size() != 2) || !ReadNumbers(fields, expected)) return false;
    expected.familyValue = fields.size() == 1 ? kMessageSettingsForm : kMessageReadForm;
    return true;
}

// A text slot of a calendar group: quoted hexadecimal, room for the
// terminator, and no zero byte that would cut the text short.
bool ReadGroupText(std::string_view field, char (&slot)[kFamilyAnswerTextBytes]) {
    const std::optional<std::string> text = HexBytesOf(field, false, sizeof slot - 1);
    if (!text || text->find('\0') != std::string::npos) return false;
    std::memcpy(slot, text->data(), text->size());
    return true;
}

bool ReadCalendarGroup(const std::vector<std::string_view>& fields, Expected& expected) {
    const std::string_view first = TrimBlanks(fields[0]);
    if (fields.size() == 1 && !first.empty() && first.front() == '(') {
        expected.familyValue = kCalendarRangeForm;
        if (first.size() < 2 || first.back() != ')') return false;
        const std::string_view inner = first.substr(1, first.size() - 2);
        const size_t hyphen = inner.find('-');
        if (hyphen == std::string_view::npos) return false;
        return ReadNumbers({inner.substr(0, hyphen), inner.substr(hyphen + 1)}, expected);
    }
    return fields.size() == 4 && ReadNumbers({fields[0], fields[1]}, expected) &&
           ReadGroupText(fields[2], expected.fields.text0) && ReadGroupText(fields[3], expected.fields.text1);
}

bool ReadSimAnswer(const std::vector<std::string_view>& fields, Expected& expected) {
    if ((fields.size() != 2 && fields.size() != 3) || !ReadNumbers({fields[0], fields[1]}, expected)) return false;
    if (fields.size() == 2) return true;
    const std::optional<std::string> bytes = HexBytesOf(fields[2], true, kSimResponseBytes);
    if (!bytes) return false;
    std::memcpy(expected.fields.text0, bytes->data(), bytes->size());
    expected.fields.numbers[2] = static_cast<uint32_t>(bytes->size());
    return true;
}

// The separate reading of the text after the keyword of `id`.
Expected ExpectedAnswer(int32_t id, std::string_view rest) {
    Expected expected;
    if (id == AT_RSP_QKCGR) expected.familyValue = kCalendarGroupForm;
    if (rest.empty() || rest.front() != ':') {
        expected.result = PARSE_NO_COLON;
        return expected;
    }
    const std::vector<std::string_view> fields = SplitFields(rest.substr(1));
    bool accepted = false;
    if (Holds(kErrorLines, id)) {
        int32_t number = 0;
        accepted = ReadLeadingNumber(fields[0], number);
        std::memcpy(&expected.fields.numbers[0], &number, sizeof number);
    } else if (fields.size() > kMostAnswerFields) {
        accepted = false;
    } else if (id == AT_RSP_FSMISC) {
        accepted = ReadMiscAnswer(fields, expected);
    } else if (id == AT_RSP_QKMMSR) {
        accepted = ReadMessageRead(fields, expected);
    } else if (id == AT_RSP_QKCGR) {
        accepted = ReadCalendarGroup(fields, expected);
    } else if (id == AT_RSP_CRSM) {
        accepted = ReadSimAnswer(fields, expected);
    } else {
        accepted = fields.size() == NumberCountOf(id) && ReadNumbers(fields, expected);
    }
    if (accepted) {
        expected.result = PARSE_OK;
    } else {
        expected.fields = FamilyAnswerFields{};
    }
    return expected;
}

bool IsParsedHere(int32_t id) {
    return Holds(kErrorLines, id) || NumberCountOf(id) > 0 || id == AT_RSP_FSMISC || id == AT_RSP_QKMMSR ||
           id == AT_RSP_QKCGR || id == AT_RSP_CRSM;
}

bool AllZero(const char* bytes, size_t count) {
    return std::all_of(bytes, bytes + count, [](char byte) { return byte == 0; });
}

AtResponse Classify(const std::vector<char>& chunk, unsigned char fill, int32_t& result) {
    CAtResponseParser parser;
    AtResponse response;
    std::memset(&response, fill, sizeof response);
    result = parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size()));
    return response;
}

// The SIM's fixed layout of the record information: the file size (two bytes,
// most significant first), the file type (elementary file), the structure
// (linear fixed) and the record length at their places. The USIM's template
// begins with its own tag.
constexpr uint8_t kUsimTemplateTag = 0x62;
constexpr size_t kSimInfoBytes = 15;
constexpr size_t kSimFileSizeAt = 2;
constexpr size_t kSimFileTypeAt = 6;
constexpr size_t kSimStructureAt = 13;
constexpr size_t kSimRecordLengthAt = 14;
constexpr uint8_t kElementaryFile = 0x04;
constexpr uint8_t kLinearFixed = 0x01;

// Record information read from a SIM's answer comes only from the `count`
// bytes the answer carried (the copy has exactly that size).
void CheckRecordInformation(const FamilyAnswerFields& answer) {
    const uint32_t count = answer.numbers[2];
    const std::vector<uint8_t> bytes(answer.text0, answer.text0 + count);
    AdnRecordInfo info{};
    const bool read = ReadAdnRecordInfo(bytes.data(), bytes.size(), info);
    if (!read) {
        FUZZ_CHECK(info.records == 0 && info.recordLength == 0);
        return;
    }
    FUZZ_CHECK(info.recordLength >= kAdnNumberBytes);
    if (bytes[0] == kUsimTemplateTag) return;  // its layout is checked by the unit tests
    FUZZ_CHECK(bytes.size() >= kSimInfoBytes && bytes[kSimFileTypeAt] == kElementaryFile &&
               bytes[kSimStructureAt] == kLinearFixed);
    const uint32_t fileSize = (uint32_t{bytes[kSimFileSizeAt]} << 8) | bytes[kSimFileSizeAt + 1];
    FUZZ_CHECK(info.recordLength == bytes[kSimRecordLengthAt]);
    FUZZ_CHECK(info.records == fileSize / bytes[kSimRecordLengthAt]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kResponseDataBytes) return 0;  // a chunk never exceeds the receive buffer
    const std::vector<char> chunk(data, data + size);

    int32_t result = 0;
    const AtResponse response = Classify(chunk, 0xA5, result);
    int32_t again = 0;
    const AtResponse repeated = Classify(chunk, 0x5A, again);
    FUZZ_CHECK(again == result && repeated.id == response.id);
    FUZZ_CHECK(std::memcmp(repeated.data, response.data, sizeof response.data) == 0);

    const int32_t id = response.id;
    if (Holds(kUnparsedAnswers, id)) {
        FUZZ_CHECK(result == PARSE_OK && AllZero(response.data, sizeof response.data));
        return 0;
    }
    if (!IsParsedHere(id)) return 0;

    const std::string_view text = UpToNul(chunk);
    const std::string_view keyword = Keyword(static_cast<AtCommandId>(id));
    const size_t at = text.find(keyword.front());
    FUZZ_CHECK(at != std::string_view::npos && text.substr(at, keyword.size()) == keyword);
    const Expected expected = ExpectedAnswer(id, TrimCrLf(text.substr(at + keyword.size())));

    FUZZ_CHECK(result == expected.result);
    FUZZ_CHECK(std::memcmp(response.data, &expected.fields, sizeof response.data) == 0);
    if (expected.familyValue) FUZZ_CHECK(response.familyValue == *expected.familyValue);
    if (expected.familyValue) FUZZ_CHECK(repeated.familyValue == *expected.familyValue);
    if (id == AT_RSP_CRSM && result == PARSE_OK) CheckRecordInformation(FamilyAnswerFieldsOf(response));
    return 0;
}

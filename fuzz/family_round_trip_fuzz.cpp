// Answer lines of the file-system, camera-picture, calendar-group, Java,
// multimedia-message and SIM commands and the families' error lines, built
// from fuzzed field values the way a handset writes them, then classified.
//
// Input: byte 0 picks the answer (its keyword and field layout, table
// kShapes); the rest supplies, through FuzzedDataProvider, the values and
// how they are written: blanks or tabs around fields, leading zeros, the case
// of hexadecimal digits, quotes where they are optional, CR LF before and
// after the line, one field added or taken away. Texts are a fuzzed pattern
// repeated to a fuzzed length.
//
// Checks: the answer is recognised by its keyword; it is accepted exactly when
// its field count is one the answer has and every field is valid (numbers at
// most 4294967295, texts short enough for their slots, group texts without a
// zero byte); an accepted answer as built stores exactly the values that went
// in (error numbers saturated at the 32-bit limits as atoi reads them, texts
// terminated within their slots) and nothing else; a refused one stores
// nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "at_command.h"
#include "calendar_groups.h"
#include "family_records.h"
#include "fuzz_support.h"
#include "handset_and_sim.h"
#include "multimedia_messages.h"
#include "response_parser.h"

namespace {

// Field letters: n a number; c an FSMISC sub-command that changes the tree
// (1 to 5); s the free-space sub-command (6); r a range "(<n>-<n>)"; h a
// calendar-group text in quoted hexadecimal; b SIM response bytes in
// hexadecimal, quoted or bare, whose count the answer stores as the next
// number; e an error number.
struct Shape {
    AtCommandId id;
    const char* fields;
    size_t fewest;  // field counts the answer accepts
    size_t most;
    int32_t familyValue;  // the form the answer records, or kNoFamilyValue
};

constexpr int32_t kNoFamilyValue = -1;
constexpr size_t kAnyCount = std::numeric_limits<size_t>::max();

constexpr Shape kShapes[] = {
    {AT_RSP_FSRF, "nn", 2, 2, kNoFamilyValue},
    {AT_RSP_FSDIR, "nn", 2, 2, kNoFamilyValue},
    {AT_RSP_FSQA, "nnnn", 4, 4, kNoFamilyValue},
    {AT_RSP_FSMISC, "cn", 2, 2, kNoFamilyValue},
    {AT_RSP_FSMISC, "snnnn", 5, 5, kNoFamilyValue},
    {AT_RSP_QKDSCDIR, "n", 1, 1, kNoFamilyValue},
    {AT_RSP_QKDSCMV, "n", 1, 1, kNoFamilyValue},
    {AT_RSP_QKDSCRF, "n", 1, 1, kNoFamilyValue},
    {AT_RSP_QKCGR, "r", 1, 1, kCalendarRangeForm},
    {AT_RSP_QKCGR, "nnhh", 4, 4, kCalendarGroupForm},
    {AT_RSP_TCK, "nn", 2, 2, kNoFamilyValue},
    {AT_RSP_INFO, "nnnn", 4, 4, kNoFamilyValue},
    {AT_RSP_LIST, "n", 1, 1, kNoFamilyValue},
    {AT_RSP_QKMMSW, "nn", 2, 2, kNoFamilyValue},
    {AT_RSP_QKMMSR, "nn", 1, 2, kMessageReadForm},
    {AT_RSP_QKMMSR, "n", 1, 2, kMessageSettingsForm},
    {AT_RSP_QKMMSL, "nn", 2, 2, kNoFamilyValue},
    {AT_RSP_CRSM, "nn", 2, 3, kNoFamilyValue},
    {AT_RSP_CRSM, "nnb", 2, 3, kNoFamilyValue},
    {AT_RSP_FSERROR, "e", 1, kAnyCount, kNoFamilyValue},
    {AT_RSP_QKMMSERR, "e", 1, kAnyCount, kNoFamilyValue},
    {AT_RSP_QKVCALERR, "e", 1, kAnyCount, kNoFamilyValue},
    {AT_RSP_NACK, "e", 1, kAnyCount, kNoFamilyValue},
};
constexpr size_t kShapeCount = sizeof kShapes / sizeof kShapes[0];

// Numbers up to eleven digits, so that some overflow 32 bits.
constexpr uint64_t kWidestNumber = 99999999999;
constexpr int64_t kWidestError = 99999999999;
constexpr size_t kMostPadding = 2;
constexpr size_t kMostLineEnds = 2;
// Texts a little longer than their slots hold.
constexpr size_t kLongestGroupText = kFamilyAnswerTextBytes + 16;
constexpr size_t kLongestSimBytes = kSimResponseBytes + 16;
constexpr size_t kLongestPattern = 16;
constexpr const char* kFillerByte = "?";
constexpr uint32_t kFirstChangeSub = 1;
constexpr uint32_t kLastChangeSub = 5;
constexpr uint32_t kSpaceSub = 6;
// An extra field that every answer can read in its place: a number, or one
// byte in bare hexadecimal.
constexpr const char* kExtraField = "00";

enum class Damage : uint8_t { None, ExtraField, MissingField, kMaxValue = MissingField };

class AnswerBuilder {
public:
    explicit AnswerBuilder(FuzzedDataProvider& input) : input_(input) {}

    void Add(char kind) {
        field_.clear();
        valid_ = true;
        switch (kind) {
            case 'n':
                Number();
                break;
            case 'c':
                Fixed(input_.ConsumeIntegralInRange<uint32_t>(kFirstChangeSub, kLastChangeSub));
                break;
            case 's':
                Fixed(kSpaceSub);
                break;
            case 'r':
                Range();
                break;
            case 'h':
                GroupText();
                break;
            case 'b':
                SimBytes();
                break;
            default:
                ErrorNumber();
                break;
        }
        fields_.push_back(field_);
        fieldValid_.push_back(valid_);
    }

    void Alter(Damage damage) {
        if (damage == Damage::ExtraField) {
            fields_.push_back(kExtraField);
            fieldValid_.push_back(true);
        } else if (damage == Damage::MissingField && !fields_.empty()) {
            fields_.pop_back();
            fieldValid_.pop_back();
        }
    }

    size_t Count() const { return fields_.size(); }
    bool AllValid() const {
        return std::all_of(fieldValid_.begin(), fieldValid_.end(), [](bool v) { return v; });
    }
    const FamilyAnswerFields& Stored() const { return stored_; }

    // The answer line: the keyword, a colon and the fields, with CR LF pairs
    // before and after it as the handset frames its lines.
    std::string Line(AtCommandId id) {
        std::string line = input_.ConsumeBool() ? "\r\n" : "";
        line += Keyword(id);
        line += ':';
        for (size_t i = 0; i < fields_.size(); ++i) line += (i == 0 ? "" : ",") + fields_[i];
        for (size_t pairs = input_.ConsumeIntegralInRange<size_t>(0, kMostLineEnds); pairs > 0; --pairs) line += "\r\n";
        return line;
    }

private:
    void Blanks() {
        field_.append(input_.ConsumeIntegralInRange<size_t>(0, kMostPadding), input_.ConsumeBool() ? '\t' : ' ');
    }

    void Decimal(uint64_t value) {
        field_.append(input_.ConsumeIntegralInRange<size_t>(0, kMostPadding), '0');
        field_ += std::to_string(value);
    }

    void StoreNumber(uint64_t value) {
        if (value > std::numeric_limits<uint32_t>::max()) valid_ = false;
        if (numbers_ < kFamilyAnswerNumbers) stored_.numbers[numbers_] = static_cast<uint32_t>(value);
        ++numbers_;
    }

    void Number() {
        const uint64_t value = input_.ConsumeBool() ? input_.ConsumeIntegral<uint32_t>()
                                                    : input_.ConsumeIntegralInRange<uint64_t>(0, kWidestNumber);
        Blanks();
        Decimal(value);
        Blanks();
        StoreNumber(value);
    }

    void Fixed(uint32_t value) {
        Blanks();
        Decimal(value);
        Blanks();
        StoreNumber(value);
    }

    void Range() {
        Blanks();
        field_ += '(';
        Number();
        field_ += '-';
        Number();
        field_ += ')';
        Blanks();
    }

    std::string Hex(const std::string& bytes) {
        const char* digits = input_.ConsumeBool() ? "0123456789ABCDEF" : "0123456789abcdef";
        std::string hex;
        for (unsigned char byte : bytes) {
            hex += digits[byte >> 4];
            hex += digits[byte & 0x0F];
        }
        return hex;
    }

    // Text bytes: a fuzzed pattern repeated to a fuzzed length, so that long
    // texts (with or without a zero byte) come as easily as short ones.
    std::string TextBytes(size_t longest) {
        const size_t length = input_.ConsumeIntegralInRange<size_t>(0, longest);
        std::string pattern = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange<size_t>(1, kLongestPattern));
        if (pattern.empty()) pattern = kFillerByte;
        std::string bytes;
        while (bytes.size() < length) bytes += pattern;
        bytes.resize(length);
        return bytes;
    }

    char* NextTextSlot() { return texts_++ == 0 ? stored_.text0 : stored_.text1; }

    void GroupText() {
        const std::string bytes = TextBytes(kLongestGroupText);
        Blanks();
        field_ += '"' + Hex(bytes) + '"';
        Blanks();
        // The slot keeps room for the terminator; a zero byte would cut the text.
        if (bytes.size() >= kFamilyAnswerTextBytes || bytes.find('\0') != std::string::npos) valid_ = false;
        if (valid_) std::memcpy(NextTextSlot(), bytes.data(), bytes.size());
    }

    void SimBytes() {
        const std::string bytes = TextBytes(kLongestSimBytes);
        const bool quoted = input_.ConsumeBool();
        const std::string hex = Hex(bytes);
        Blanks();
        field_ += quoted ? '"' + hex + '"' : hex;
        Blanks();
        if (bytes.size() > kSimResponseBytes || (!quoted && bytes.empty())) valid_ = false;
        if (valid_) std::memcpy(NextTextSlot(), bytes.data(), bytes.size());
        StoreNumber(bytes.size());
    }

    void ErrorNumber() {
        const int64_t value = input_.ConsumeIntegralInRange<int64_t>(-kWidestError, kWidestError);
        Blanks();
        if (value < 0) {
            field_ += '-';
        } else if (input_.ConsumeBool()) {
            field_ += '+';
        }
        Decimal(value < 0 ? static_cast<uint64_t>(-value) : static_cast<uint64_t>(value));
        Blanks();
        const int64_t saturated =
            std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
        const int32_t number = static_cast<int32_t>(saturated);
        std::memcpy(&stored_.numbers[numbers_++], &number, sizeof number);
    }

    FuzzedDataProvider& input_;
    std::vector<std::string> fields_;
    std::vector<bool> fieldValid_;
    std::string field_;
    bool valid_ = true;
    FamilyAnswerFields stored_{};
    size_t numbers_ = 0;
    size_t texts_ = 0;
};

bool AllZero(const char* bytes, size_t count) {
    return std::all_of(bytes, bytes + count, [](char byte) { return byte == 0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Shape& shape = kShapes[data[0] % kShapeCount];
    FuzzedDataProvider input(data + 1, size - 1);

    AnswerBuilder builder(input);
    for (const char* kind = shape.fields; *kind != '\0'; ++kind) builder.Add(*kind);
    const auto damage = input.ConsumeEnum<Damage>();
    builder.Alter(damage);
    const std::string line = builder.Line(shape.id);
    if (line.size() > kResponseDataBytes) return 0;  // a chunk never exceeds the receive buffer

    const std::vector<char> chunk(line.begin(), line.end());
    CAtResponseParser parser;
    AtResponse response;
    std::memset(&response, 0xA5, sizeof response);
    const int32_t result = parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size()));

    FUZZ_CHECK(response.id == shape.id);
    const bool countAccepted = builder.Count() >= shape.fewest && builder.Count() <= shape.most;
    const bool accepted = countAccepted && builder.AllValid();
    FUZZ_CHECK(result == (accepted ? PARSE_OK : PARSE_BAD_FIELDS));
    if (!accepted) {
        FUZZ_CHECK(AllZero(response.data, sizeof response.data));
        return 0;
    }
    if (damage != Damage::None) return 0;  // accepted in another layout; the values moved
    FUZZ_CHECK(std::memcmp(response.data, &builder.Stored(), sizeof response.data) == 0);
    if (shape.familyValue != kNoFamilyValue) FUZZ_CHECK(response.familyValue == shape.familyValue);
    return 0;
}

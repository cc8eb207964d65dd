// The pieces that every command family builds its lines and parsers from:
// numbers on a request line, fields of an answer line, hexadecimal texts, error
// lines and their result codes, and the CRC-32 of uploads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "answer_codes.h"
#include "crc32.h"
#include "family_fields.h"

namespace {

using namespace mextal;

TEST(FamilyFields, NumbersOnARequestLineAreUnsignedDecimal) {
    FamilyRequestFields fields{};
    fields.numbers[0] = 0;
    fields.numbers[1] = 4294967295u;
    fields.numbers[2] = 28474;
    char buffer[kFamilyNumbersBytes];
    EXPECT_EQ("", FormatFamilyNumbers(fields, 0, buffer));
    EXPECT_EQ("=0", FormatFamilyNumbers(fields, 1, buffer));
    EXPECT_EQ("=0,4294967295,28474", FormatFamilyNumbers(fields, 3, buffer));
    for (uint32_t& n : fields.numbers) n = 4294967295u;
    EXPECT_EQ(1 + 6 * 11 - 1, FormatFamilyNumbers(fields, kFamilyRequestNumbers, buffer).size());
}

TEST(FamilyFields, NumberFieldsAreStrictDecimal) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"0", true},    {" 17 ", true},   {"4294967295", true}, {"4294967296", false}, {"99999999999999999999", false},
        {"", false},    {"  ", false},    {"-1", false},        {"+1", false},         {"1a", false},
        {"1 2", false}, {"\"1\"", false},
    };
    for (const auto& [field, valid] : cases) {
        uint32_t value = 0;
        EXPECT_EQ(valid, ParseFamilyNumber(field, value)) << field;
    }
    uint32_t value = 0;
    ASSERT_TRUE(ParseFamilyNumber(" 4294967295", value));
    EXPECT_EQ(4294967295u, value);
}

TEST(FamilyFields, HexFieldsDecodeEitherCaseWithinTheirSlot) {
    struct Case {
        std::string field;
        bool quotesOptional;
        size_t capacity;
        bool valid;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"\"576F726B\"", false, 8, true, "Work"},
        {"\"576f726b\"", false, 4, true, "Work"},
        {"\"576F726B\"", false, 3, false, ""},
        {"\"\"", false, 8, true, ""},
        {"576F", false, 8, false, ""},
        {"576F", true, 8, true, "Wo"},
        {"", true, 8, false, ""},
        {"\"576\"", false, 8, false, ""},
        {"\"57 6F\"", false, 8, false, ""},
        {"\"5G\"", false, 8, false, ""},
        {"\"0000\"", false, 8, true, std::string(2, '\0')},
    };
    for (const Case& c : cases) {
        char bytes[8] = {};
        size_t count = 99;
        EXPECT_EQ(c.valid, ParseHexField(c.field, c.quotesOptional, bytes, c.capacity, count)) << c.field;
        if (c.valid) {
            EXPECT_EQ(c.bytes, std::string(bytes, count)) << c.field;
        }
    }
}

TEST(FamilyFields, AnswersSplitIntoQuoteAwareFieldsAfterTheirColon) {
    FamilyFields fields;
    ASSERT_EQ(PARSE_OK, SplitFamilyAnswer(": 1,\"a,b\",", fields));
    ASSERT_EQ(3u, fields.count);
    EXPECT_EQ(" 1", fields.field[0]);
    EXPECT_EQ("\"a,b\"", fields.field[1]);
    EXPECT_EQ("", fields.field[2]);
    EXPECT_EQ(PARSE_NO_COLON, SplitFamilyAnswer(" 1,2", fields));
    EXPECT_EQ(PARSE_OK, SplitFamilyAnswer(":1,2,3,4,5,6,7,8", fields));
    EXPECT_EQ(PARSE_BAD_FIELDS, SplitFamilyAnswer(":1,2,3,4,5,6,7,8,9", fields));
}

TEST(FamilyFields, ErrorLinesGiveMinusTheirNumber) {
    struct Case {
        std::string text;
        int32_t parsed;
        int32_t code;
    };
    const std::vector<Case> cases = {
        {": 5", PARSE_OK, -5},
        {": 7,extra", PARSE_OK, -7},
        {":0", PARSE_OK, MEXTAL_UNEXPECTED_ANSWER},
        {": -3", PARSE_OK, MEXTAL_UNEXPECTED_ANSWER},
        {": x", PARSE_BAD_FIELDS, 0},
        {"5", PARSE_NO_COLON, 0},
    };
    for (const Case& c : cases) {
        AtResponse response{};
        EXPECT_EQ(c.parsed, ParseFamilyErrorLine(AT_RSP_NACK, c.text, &response)) << c.text;
        EXPECT_EQ(AT_RSP_NACK, response.id) << c.text;
        if (c.parsed == PARSE_OK) {
            EXPECT_EQ(c.code, FamilyAnswerCode(response, AT_RSP_NACK)) << c.text;
        }
    }
    AtResponse other{};
    other.id = AT_RSP_ERROR;
    EXPECT_EQ(MEXTAL_HANDSET_ERROR, FamilyAnswerCode(other, AT_RSP_NACK));
    other.id = AT_RSP_QKMMSERR;
    EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, FamilyAnswerCode(other, AT_RSP_NACK));
}

TEST(FamilyFields, Crc32IsTheZipChecksum) {
    auto crc = [](const std::string& text) {
        return Crc32(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    EXPECT_EQ(0u, crc(""));
    EXPECT_EQ(3421780262u, crc("123456789"));
    EXPECT_EQ(0xD202EF8Du, crc(std::string(1, '\0')));
}

}  // namespace

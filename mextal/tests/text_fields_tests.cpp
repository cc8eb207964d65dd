#include "text_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mextal::CopyTerminated;
using mextal::ParseLeadingNumber;
using mextal::TakeField;
using mextal::TakeLine;

// Splits the whole text into fields; the last field is the one that ended
// without a comma.
std::vector<std::string> AllFields(std::string_view text) {
    std::vector<std::string> fields;
    std::string_view field;
    while (TakeField(text, field)) fields.emplace_back(field);
    fields.emplace_back(field);
    return fields;
}

struct FieldCase {
    std::string text;
    std::vector<std::string> fields;
};

TEST(TakeField, SplitsAtCommasOutsideQuotes) {
    const std::vector<FieldCase> cases = {
        {"a,b,c", {"a", "b", "c"}},
        {"", {""}},
        {",", {"", ""}},
        {"a,", {"a", ""}},
        {"\"a,b\",c", {"\"a,b\"", "c"}},
        {"\"a\"\"b,c\",d", {"\"a\"\"b,c\"", "d"}},
        {"\"open,quote", {"\"open,quote"}},
        {"x\r\n", {"x\r\n"}},
        {"\r\n\r\nlast", {"last"}},
        {"a,\r\n\r\nlast", {"a", "last"}},
        {"\n\rkept", {"\n\rkept"}},
    };
    for (const FieldCase& c : cases) EXPECT_EQ(c.fields, AllFields(c.text)) << c.text;
}

TEST(TakeField, LeavesTextAfterTheComma) {
    std::string_view text = "one, two";
    std::string_view field;
    ASSERT_TRUE(TakeField(text, field));
    EXPECT_EQ("one", field);
    EXPECT_EQ(" two", text);
    EXPECT_FALSE(TakeField(text, field));
    EXPECT_EQ(" two", field);
    EXPECT_TRUE(text.empty());
}

struct LineCase {
    std::string text;
    bool pairFound;
    std::string line;
    std::string rest;
};

TEST(TakeLine, CutsAtFirstLinePairAndTrimsBlanks) {
    const std::vector<LineCase> cases = {
        {"  a b  \r\nrest", true, "a b", "rest"},
        {"a\n\rrest\r\n", true, "a", "rest\r\n"},
        {"a\rb\nc\r\nd", true, "a\rb\nc", "d"},
        {"\r\n", true, "", ""},
        {"no pair ", false, "no pair", ""},
        {"", false, "", ""},
        {"x\r", false, "x\r", ""},
    };
    for (const LineCase& c : cases) {
        std::string_view text = c.text;
        std::string_view line;
        EXPECT_EQ(c.pairFound, TakeLine(text, line)) << c.text;
        EXPECT_EQ(c.line, line) << c.text;
        EXPECT_EQ(c.rest, text) << c.text;
    }
}

struct NumberCase {
    std::string text;
    bool found;
    int32_t number;
};

TEST(ParseLeadingNumber, ReadsLikeAtoiButReportsMissingDigits) {
    const std::vector<NumberCase> cases = {
        {"3", true, 3},
        {" \t42xyz", true, 42},
        {"-17", true, -17},
        {"+5", true, 5},
        {"99999999999", true, 2147483647},
        {"-99999999999", true, -2147483647 - 1},
        {"", false, 0},
        {" ", false, 0},
        {"-", false, 0},
        {"abc", false, 0},
    };
    for (const NumberCase& c : cases) {
        int32_t number = 0;
        EXPECT_EQ(c.found, ParseLeadingNumber(c.text, number)) << c.text;
        EXPECT_EQ(c.number, number) << c.text;
    }
}

TEST(CopyTerminated, CutsToFitAndAlwaysTerminates) {
    char buffer[4];
    CopyTerminated("abcdef", buffer, sizeof buffer);
    EXPECT_STREQ("abc", buffer);
    CopyTerminated("ab", buffer, sizeof buffer);
    EXPECT_STREQ("ab", buffer);
    CopyTerminated("", buffer, sizeof buffer);
    EXPECT_STREQ("", buffer);
    buffer[0] = 'Z';
    CopyTerminated("abc", buffer, 0);
    EXPECT_EQ('Z', buffer[0]);
}

}  // namespace

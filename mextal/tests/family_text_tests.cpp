// Texts of the command families: what a request line may carry, and how a
// downloaded listing is handed out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "code_page_samples.h"
#include "family_text.h"
#include "mextal/mextal.h"

namespace {

using mextal::EmptyText;
using mextal::HandOutListing;
using mextal::PrepareRequestText;

TEST(PrepareRequestText, RefusesWhatALineCannotCarry) {
    mextal::test::UseDefaultCodePage();
    const std::string longest(260, 'a');
    const std::string tooLong(261, 'a');
    struct Case {
        const char* what;
        const char* text;
        EmptyText empty;
        size_t fieldSize;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"plain", "/a b,c", EmptyText::Refused, 16, true},
        {"empty where allowed", "", EmptyText::Allowed, 16, true},
        {"empty where refused", "", EmptyText::Refused, 16, false},
        {"null", nullptr, EmptyText::Allowed, 16, false},
        {"double quote", "a\"b", EmptyText::Refused, 16, false},
        {"CR", "a\rb", EmptyText::Refused, 16, false},
        {"LF", "a\nb", EmptyText::Refused, 16, false},
        {"longest", longest.c_str(), EmptyText::Refused, 300, true},
        {"one byte too long", tooLong.c_str(), EmptyText::Refused, 300, false},
        {"does not fit the field", "abcd", EmptyText::Refused, 4, false},
    };
    for (const Case& c : cases) {
        char field[300];
        std::memset(field, 'x', sizeof field);
        EXPECT_EQ(c.accepted, PrepareRequestText(c.text, mextal::kMostRequestTextBytes, c.empty, field, c.fieldSize))
            << c.what;
        if (c.accepted) {
            EXPECT_EQ(std::string(c.text), std::string(field)) << c.what;
        }
    }
    auto invalid = mextal::test::InvalidLocalName();
    if (!invalid) GTEST_SKIP() << "every byte sequence is valid in this code page";
    char field[16];
    EXPECT_FALSE(
        PrepareRequestText(invalid->c_str(), mextal::kMostRequestTextBytes, EmptyText::Refused, field, sizeof field));
}

TEST(PrepareRequestText, ConvertsToUtf8BeforeMeasuring) {
    auto sample = mextal::test::UseLatinCodePage();
    if (!sample) GTEST_SKIP() << "no local code page with accented letters";
    char field[32] = {};
    ASSERT_TRUE(
        PrepareRequestText(sample->local.c_str(), sample->utf8.size(), EmptyText::Refused, field, sizeof field));
    EXPECT_EQ(sample->utf8, std::string(field));
    EXPECT_FALSE(
        PrepareRequestText(sample->local.c_str(), sample->utf8.size() - 1, EmptyText::Refused, field, sizeof field));
    mextal::test::UseDefaultCodePage();
}

TEST(HandOutListing, TextWithTerminatorOrNothing) {
    mextal::test::UseDefaultCodePage();
    struct Case {
        std::string listing;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"1,\"Album\"\r\n2,\"Camera\"", MEXTAL_OK},
        {"", MEXTAL_OK},
        {std::string("a\0b", 3), MEXTAL_UNEXPECTED_ANSWER},
        {std::string("\"") + mextal::test::kUtf8WithoutLocalForm + "\"", MEXTAL_UNEXPECTED_ANSWER},
    };
    for (const Case& c : cases) {
        char* text = nullptr;
        uint32_t length = 0;
        EXPECT_EQ(c.result, HandOutListing(reinterpret_cast<const uint8_t*>(c.listing.data()),
                                           static_cast<uint32_t>(c.listing.size()), &text, &length));
        if (c.result == MEXTAL_OK) {
            ASSERT_NE(nullptr, text);
            EXPECT_EQ(c.listing, std::string(text));
            EXPECT_EQ(c.listing.size() + 1, length);
        } else {
            EXPECT_EQ(nullptr, text);
            EXPECT_EQ(0u, length);
        }
        std::free(text);
    }
}

}  // namespace

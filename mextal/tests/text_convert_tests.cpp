#include "text_convert.h"

#include <gtest/gtest.h>

#include "code_page_samples.h"

namespace {

using namespace mextal;
using namespace mextal::test;

class TextConvert : public testing::Test {
protected:
    void SetUp() override { UseDefaultCodePage(); }
    void TearDown() override { UseDefaultCodePage(); }
};

TEST_F(TextConvert, AsciiPassesUnchangedAndWhatTheOtherSideCannotHoldIsRefused) {
    const std::string ascii = "Ring tone 7, \x01~\x7F";
    std::string out;
    EXPECT_TRUE(ToHandsetText(ascii, out) && out == ascii);
    EXPECT_TRUE(FromHandsetText(ascii, out) && out == ascii);
    EXPECT_FALSE(FromHandsetText(kUtf8WithoutLocalForm, out));
    // Code pages such as 1252 define every byte; those with lead bytes do not.
    if (auto invalid = InvalidLocalName()) {
        EXPECT_FALSE(ToHandsetText(*invalid, out));
    }
}

TEST_F(TextConvert, NonAsciiConvertsBothWaysAndBrokenUtf8IsRefused) {
    auto sample = UseLatinCodePage();
    if (!sample) GTEST_SKIP() << "no local code page with accented letters";
    std::string out;
    EXPECT_TRUE(ToHandsetText(sample->local, out) && out == sample->utf8);
    EXPECT_TRUE(FromHandsetText(sample->utf8, out) && out == sample->local);
    for (const char* broken : {"Caf\xC3", "Caf\xE9", "\xED\xA0\x80"}) EXPECT_FALSE(FromHandsetText(broken, out));
}

}  // namespace

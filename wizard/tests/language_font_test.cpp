#include "language_font.h"

#include <gtest/gtest.h>

#include <string>

#if defined(_WIN32)
#include <ravelin/win32.h>
#else
#include <iconv.h>
#endif

namespace ravelinwiz {
namespace {

struct FontCase {
    uint16_t languageId;
    std::u16string face;
    int pointSize;
};

class LanguageFontChoice : public ::testing::TestWithParam<FontCase> {};

TEST_P(LanguageFontChoice, FollowsPrimaryLanguageAndChineseSublanguage) {
    const FontCase& c = GetParam();
    const LanguageFont font = ChooseLanguageFont(c.languageId);
    EXPECT_EQ(std::u16string(font.faceName), c.face) << std::hex << c.languageId;
    EXPECT_EQ(font.pointSize, c.pointSize);
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageFontChoice,
                         ::testing::Values(FontCase{0x0404, u"\u65B0\u7D30\u660E\u9AD4", 11},  // Chinese, Taiwan
                                           FontCase{0x0804, u"SimSun", 10},                    // Chinese, PRC
                                           FontCase{0x0C04, u"MS Shell Dlg", 9},               // Chinese, Hong Kong
                                           FontCase{0x1004, u"MS Shell Dlg", 9},               // Chinese, Singapore
                                           FontCase{0x0409, u"Verdana", 10}, FontCase{0x0809, u"Verdana", 10},
                                           FontCase{0x0411, u"MS UI Gothic", 10}, FontCase{0x0412, u"Gulim", 10},
                                           FontCase{0x0407, u"MS Shell Dlg", 9}, FontCase{0x3409, u"Verdana", 10},
                                           FontCase{0x0419, u"MS Shell Dlg", 9}));

// The traditional Chinese face is known by its Big5 name; the stored UTF-16
// name must be exactly those 8 bytes decoded.
std::u16string DecodeBig5(const std::string& bytes) {
#if defined(_WIN32)
    wchar_t wide[16] = {};
    const int length =
        MultiByteToWideChar(950, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide, 16);
    return std::u16string(reinterpret_cast<const char16_t*>(wide), length > 0 ? length : 0);
#else
    iconv_t converter = iconv_open("UTF-16LE", "BIG5");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return u"";
    }
    std::string in = bytes;
    char out[32] = {};
    char* inPtr = in.data();
    char* outPtr = out;
    size_t inLeft = in.size();
    size_t outLeft = sizeof out;
    const size_t result = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1)) {
        return u"";
    }
    std::u16string decoded;
    for (char* p = out; p + 1 < outPtr; p += 2) {
        decoded.push_back(static_cast<char16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8));
    }
    return decoded;
#endif
}

TEST(LanguageFont, TraditionalChineseFaceEqualsItsBig5NameDecoded) {
    const std::string big5Name = "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9";
    const std::u16string decoded = DecodeBig5(big5Name);
    ASSERT_EQ(decoded.size(), 4u);
    EXPECT_EQ(std::u16string(ChooseLanguageFont(0x0404).faceName), decoded);
}

}  // namespace
}  // namespace ravelinwiz

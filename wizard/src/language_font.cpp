#include "language_font.h"

namespace ravelinwiz {

namespace {

constexpr uint16_t kLangChinese = 0x04;
constexpr uint16_t kLangEnglish = 0x09;
constexpr uint16_t kLangJapanese = 0x11;
constexpr uint16_t kLangKorean = 0x12;
constexpr uint16_t kSublangChineseTraditional = 0x01;
constexpr uint16_t kSublangChineseSimplified = 0x02;

uint16_t PrimaryLanguage(uint16_t languageId) { return languageId & 0x3FF; }
uint16_t SubLanguage(uint16_t languageId) { return languageId >> 10; }

// The Taiwanese system font (PMingLiU), written in Big5 as B7 73 B2 D3 A9 FA C5 E9.
constexpr char16_t kTraditionalChineseFace[] = u"\u65B0\u7D30\u660E\u9AD4";

}  // namespace

LanguageFont ChooseLanguageFont(uint16_t languageId) {
    switch (PrimaryLanguage(languageId)) {
        case kLangChinese:
            if (SubLanguage(languageId) == kSublangChineseTraditional) {
                return {kTraditionalChineseFace, 11};
            }
            if (SubLanguage(languageId) == kSublangChineseSimplified) {
                return {u"SimSun", 10};
            }
            break;
        case kLangEnglish:
            return {u"Verdana", 10};
        case kLangJapanese:
            return {u"MS UI Gothic", 10};
        case kLangKorean:
            return {u"Gulim", 10};
        default:
            break;
    }
    return {u"MS Shell Dlg", 9};
}

}  // namespace ravelinwiz

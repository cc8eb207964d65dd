// Checks the wizard's compiled resources: string tables of every language,
// the English texts, the page templates and their controls, the banners and
// the manifest.
#include <ravelin/win32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <initializer_list>
#include <string>
#include <vector>

#include "resource_ids.h"

namespace {

constexpr int kFirstString = 2000;
constexpr int kLastString = 2032;
constexpr int kStringsPerBlock = 16;

constexpr LANGID kLanguages[] = {1028, 1031, 1033, 1036, 1040, 1045, 1048, 1049, 1054,
                                 1055, 1057, 1060, 2052, 2058, 2070, 3082, 13321};

// Resource types by number, as wide-character names.
const LPCWSTR kTypeDialog = MAKEINTRESOURCEW(5);
const LPCWSTR kTypeString = MAKEINTRESOURCEW(6);
const LPCWSTR kTypeVersion = MAKEINTRESOURCEW(16);
const LPCWSTR kTypeManifest = MAKEINTRESOURCEW(24);

// Tables stored a second time under the language's neutral sublanguage.
struct NeutralCopy {
    LANGID neutral;
    LANGID source;
};
constexpr NeutralCopy kNeutralCopies[] = {
    {MAKELANGID(LANG_GERMAN, SUBLANG_NEUTRAL), 1031},    {MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL), 1033},
    {MAKELANGID(LANG_FRENCH, SUBLANG_NEUTRAL), 1036},    {MAKELANGID(LANG_ITALIAN, SUBLANG_NEUTRAL), 1040},
    {MAKELANGID(LANG_POLISH, SUBLANG_NEUTRAL), 1045},    {MAKELANGID(LANG_ROMANIAN, SUBLANG_NEUTRAL), 1048},
    {MAKELANGID(LANG_RUSSIAN, SUBLANG_NEUTRAL), 1049},   {MAKELANGID(LANG_THAI, SUBLANG_NEUTRAL), 1054},
    {MAKELANGID(LANG_TURKISH, SUBLANG_NEUTRAL), 1055},   {MAKELANGID(LANG_INDONESIAN, SUBLANG_NEUTRAL), 1057},
    {MAKELANGID(LANG_SLOVENIAN, SUBLANG_NEUTRAL), 1060}, {MAKELANGID(LANG_SPANISH, SUBLANG_NEUTRAL), 2058},
};

HMODULE Self() { return GetModuleHandleW(nullptr); }

const BYTE* ResourceData(LPCWSTR type, LPCWSTR name, LANGID language, DWORD* size = nullptr) {
    HRSRC info = FindResourceExW(Self(), type, name, language);
    if (!info) return nullptr;
    if (size) *size = SizeofResource(Self(), info);
    return static_cast<const BYTE*>(LockResource(LoadResource(Self(), info)));
}

// The string `id` of that language; LoadString would pick the language itself.
// The lookup may still fall back to the neutral sublanguage, so the set of
// stored languages is checked separately. False when no table holds the id.
bool StringInLanguage(int id, LANGID language, std::wstring& text) {
    const BYTE* block = ResourceData(kTypeString, MAKEINTRESOURCEW(id / kStringsPerBlock + 1), language);
    if (!block) return false;
    const WCHAR* entry = reinterpret_cast<const WCHAR*>(block);
    for (int index = 0; index < id % kStringsPerBlock; ++index) entry += 1 + *entry;
    text.assign(entry + 1, *entry);
    return true;
}

TEST(StringTables, EveryLanguageHasEveryStringNonEmpty) {
    for (LANGID language : kLanguages) {
        for (int id = kFirstString; id <= kLastString; ++id) {
            std::wstring text;
            ASSERT_TRUE(StringInLanguage(id, language, text)) << "language " << language << " id " << id;
            EXPECT_FALSE(text.empty()) << "language " << language << " id " << id;
        }
    }
}

TEST(StringTables, EnglishTablesHoldTheProductTextsExactly) {
    struct Case {
        int id;
        const wchar_t* text;
    };
    const Case cases[] = {
        {IDS_DETECT_HEADING, L"Detect the mobile phone."},
        {IDS_DIALUP_HEADING, L"Set up the GPRS Dial-up Connection."},
        {IDS_FINISH_HEADING, L"Finish and re-start Windows."},
        {IDS_DETECT_TEXT,
         L"The program will now detect your mobile phone, please plug the cable into any USB port on "
         L"your computer and make sure that you have turned on the mobile phone with the cable "
         L"connected.\n"},
        {IDS_CONNECTION_NAME_LABEL, L"Input GPRS Dial-up Connection Name :"},
        {IDS_DIAL_NUMBER_LABEL, L"Input GPRS Dial Number :"},
        {IDS_USER_NAME_LABEL, L"UserName :"},
        {IDS_PASSWORD_LABEL, L"Password :"},
        {IDS_FINISH_TEXT,
         L"You have successfully installed the Tavo GPRS Wireless Modem on your computer, and you "
         L"have to restart Windows to activate the installed components.\nPress the [Finish] button "
         L"to exit.\n"},
        {IDS_RESTART_NOW, L"Yes, re-start Winodws now."},
        {IDS_RESTART_LATER, L"No, I will re-start Windows by myself later."},
        {IDS_ERR_NO_PHONE, L"No mobile phone detected"},
        {IDS_ERR_PORT_EMPTY, L"Serial Port field is empty"},
        {IDS_ERR_APN_EMPTY, L"APN field is empty"},
        {IDS_ERR_CONNECTION_NAME_EMPTY, L"GPRS Dial-up Connection Name field is empty"},
        {IDS_ERR_DIAL_NUMBER_EMPTY, L"GPRS Dial Number field is empty"},
        {IDS_APN_SUGGESTED, L"APN suggested for \u201C%s\u201D from your SIM card. You can type another one."},
        {IDS_APN_CHOOSE_OPERATOR, L"Several operators share the network of your SIM card. Choose yours from the list."},
        {IDS_APN_OTHER_APNS, L"Other APNs of this operator: %s"},
    };
    for (LANGID language : {LANGID(1033), LANGID(13321)}) {
        for (const Case& c : cases) {
            std::wstring text;
            ASSERT_TRUE(StringInLanguage(c.id, language, text));
            EXPECT_EQ(text, c.text) << "language " << language << " id " << c.id;
        }
    }
}

TEST(StringTables, PageCaptionsRepeatTheApplicationName) {
    for (LANGID language : kLanguages) {
        std::wstring title;
        ASSERT_TRUE(StringInLanguage(IDS_APP_TITLE, language, title));
        for (int id = IDS_PAGE1_CAPTION; id <= IDS_PAGE5_CAPTION; ++id) {
            std::wstring caption;
            ASSERT_TRUE(StringInLanguage(id, language, caption));
            EXPECT_EQ(caption, title) << "language " << language << " id " << id;
        }
    }
}

TEST(StringTables, NeutralSublanguageCopiesMatchTheirLanguage) {
    for (const NeutralCopy& c : kNeutralCopies) {
        for (int id = kFirstString; id <= kLastString; ++id) {
            std::wstring copy, source;
            ASSERT_TRUE(StringInLanguage(id, c.neutral, copy)) << "language " << c.neutral << " id " << id;
            ASSERT_TRUE(StringInLanguage(id, c.source, source));
            EXPECT_EQ(copy, source) << "language " << c.neutral << " id " << id;
        }
    }
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<LANGID>*>(list)->push_back(language);
    return TRUE;
}

std::vector<LANGID> LanguagesOf(LPCWSTR type, LPCWSTR name) {
    std::vector<LANGID> languages;
    EnumResourceLanguagesW(Self(), type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

// The seventeen languages plus the neutral-sublanguage copies. No neutral
// Chinese table (it would mix the two scripts) and none without a language
// (the loader would prefer it to every user's language).
TEST(StringTables, BothBlocksExistInExactlyTheShippedLanguages) {
    std::vector<LANGID> expected(std::begin(kLanguages), std::end(kLanguages));
    for (const NeutralCopy& copy : kNeutralCopies) expected.push_back(copy.neutral);
    std::sort(expected.begin(), expected.end());
    for (int block = kFirstString / kStringsPerBlock + 1; block <= kLastString / kStringsPerBlock + 1; ++block) {
        std::vector<LANGID> languages = LanguagesOf(kTypeString, MAKEINTRESOURCEW(block));
        std::sort(languages.begin(), languages.end());
        EXPECT_EQ(languages, expected) << "block " << block;
    }
}

// The string `id` of that language, or a failure.
std::wstring StringOf(int id, LANGID language) {
    std::wstring text;
    EXPECT_TRUE(StringInLanguage(id, language, text)) << "language " << language << " id " << id;
    return text;
}

// How each translation quotes a field name in the empty-field messages (and
// the operator's name in the APN suggestion) and ends a label. French sets
// no-break spaces inside its quotes and before the colon; Chinese uses the
// full-width colon. The two APN texts get the name or list where their one
// "%s" stands and have no other format mark.
TEST(StringTables, TranslationsQuoteNamesAndEndLabelsAsTheirLanguage) {
    struct Punctuation {
        LANGID language;
        std::wstring open, close, colon;
    };
    const Punctuation languages[] = {
        {1028, L"\u300C", L"\u300D", L"\uFF1A"},
        {1031, L"\u201E", L"\u201C", L":"},
        {1036, L"\u00AB\u00A0", L"\u00A0\u00BB", L"\u00A0:"},
        {1040, L"\u00AB", L"\u00BB", L":"},
        {1045, L"\u201E", L"\u201D", L":"},
        {1048, L"\u201E", L"\u201D", L":"},
        {1049, L"\u00AB", L"\u00BB", L":"},
        {1054, L"\u201C", L"\u201D", L":"},
        {1055, L"\u201C", L"\u201D", L":"},
        {1057, L"\u201C", L"\u201D", L":"},
        {1060, L"\u201E", L"\u201C", L":"},
        {2052, L"\u201C", L"\u201D", L"\uFF1A"},
        {2058, L"\u201C", L"\u201D", L":"},
        {2070, L"\u00AB", L"\u00BB", L":"},
        {3082, L"\u00AB", L"\u00BB", L":"},
    };
    const auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\u00A0'; };
    for (const Punctuation& p : languages) {
        SCOPED_TRACE(p.language);
        for (int id = IDS_APN_LABEL; id <= IDS_PASSWORD_LABEL; ++id) {
            const std::wstring label = StringOf(id, p.language);
            const size_t colon = label.rfind(p.colon);
            EXPECT_TRUE(colon != std::wstring::npos && colon > 0 && colon + p.colon.size() == label.size() &&
                        !isSpace(label[colon - 1]))
                << "id " << id;
        }
        for (int id = IDS_ERR_PORT_EMPTY; id <= IDS_ERR_DIAL_NUMBER_EMPTY; ++id) {
            const std::wstring message = StringOf(id, p.language);
            const size_t open = message.find(p.open), close = message.rfind(p.close);
            ASSERT_TRUE(open != std::wstring::npos && close != std::wstring::npos && open + p.open.size() < close)
                << "id " << id;
            const std::wstring name = message.substr(open + p.open.size(), close - open - p.open.size());
            EXPECT_TRUE(!isSpace(name.front()) && !isSpace(name.back()) && name.find(p.open) == std::wstring::npos)
                << "id " << id;
            EXPECT_TRUE(id != IDS_ERR_APN_EMPTY || name == L"APN") << "id " << id;
        }
        for (int id : {IDS_APN_SUGGESTED, IDS_APN_OTHER_APNS}) {
            const std::wstring text = StringOf(id, p.language);
            EXPECT_EQ(std::count(text.begin(), text.end(), L'%'), 1) << "id " << id;
            EXPECT_NE(text.find(id == IDS_APN_SUGGESTED ? p.open + L"%s" + p.close : L"%s"), std::wstring::npos);
        }
    }
}

// Terms native speakers settled on: each listed text uses the term, and no
// text of the language keeps the word it replaced, if any.
TEST(StringTables, TranslationsUseTheirLanguagesTerms) {
    struct Term {
        LANGID language;
        const wchar_t* term;
        std::vector<int> ids;
        const wchar_t* replaced;
    };
    const Term terms[] = {
        {1054,
         L"\u0E15\u0E31\u0E27\u0E0A\u0E48\u0E27\u0E22\u0E2A\u0E23\u0E49\u0E32\u0E07",  // wizard
         {IDS_WELCOME_BODY1},
         L"\u0E27\u0E34\u0E0B\u0E32\u0E23\u0E4C\u0E14"},
        {1054,
         L"\u0E42\u0E1B\u0E23\u0E41\u0E01\u0E23\u0E21\u0E04\u0E27\u0E1A\u0E04\u0E38\u0E21",  // driver
         {IDS_DRIVER_HEADING, IDS_WELCOME_BODY1, IDS_DRIVER_TEXT},
         L"\u0E44\u0E14\u0E23\u0E40\u0E27\u0E2D\u0E23\u0E4C"},
        {1048,
         L"pe linie comutat\u0103",  // dial-up
         {IDS_DIALUP_HEADING, IDS_WELCOME_BODY1, IDS_CONNECTION_NAME_LABEL, IDS_ERR_CONNECTION_NAME_EMPTY},
         L"dial-up"},
        {1057, L"Nomor Panggilan", {IDS_DIAL_NUMBER_LABEL, IDS_ERR_DIAL_NUMBER_EMPTY}, L"Panggil "},
        {1060, L"\u010Darovnik", {IDS_WELCOME_HEADING, IDS_WELCOME_BODY1}, nullptr},
    };
    for (const Term& t : terms) {
        for (int id : t.ids) {
            EXPECT_NE(StringOf(id, t.language).find(t.term), std::wstring::npos) << t.language << " " << id;
        }
        for (int id = kFirstString; t.replaced && id <= kLastString; ++id) {
            EXPECT_EQ(StringOf(id, t.language).find(t.replaced), std::wstring::npos) << t.language << " " << id;
        }
    }
}

TEST(StringTables, ChineseTablesDiffer) {
    std::wstring traditional, simplified;
    ASSERT_TRUE(StringInLanguage(IDS_ERR_NO_PHONE, 1028, traditional));
    ASSERT_TRUE(StringInLanguage(IDS_ERR_NO_PHONE, 2052, simplified));
    EXPECT_NE(traditional, simplified);
}

// An extended dialog template: the header fields the pages fix and the items.
struct DialogItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::wstring windowClass;
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0;
    short cy = 0;
    WORD pointSize = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

const WORD* AlignToDword(const WORD* p, const BYTE* base) {
    const size_t offset = reinterpret_cast<const BYTE*>(p) - base;
    return reinterpret_cast<const WORD*>(base + ((offset + 3) & ~size_t(3)));
}

// Reads a name-or-ordinal field; predefined control classes come as ordinals.
const WORD* ReadNameOrOrdinal(const WORD* p, std::wstring* text) {
    if (*p == 0xFFFF) {
        static const wchar_t* const kClasses[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
        const WORD ordinal = p[1];
        if (text && ordinal >= 0x80 && ordinal <= 0x85) *text = kClasses[ordinal - 0x80];
        return p + 2;
    }
    const wchar_t* start = reinterpret_cast<const wchar_t*>(p);
    while (*p) ++p;
    if (text) text->assign(start, reinterpret_cast<const wchar_t*>(p));
    return p + 1;
}

template <typename T>
T ReadAt(const BYTE* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

bool ReadDialogTemplate(int id, DialogTemplate& dialog) {
    const BYTE* data = ResourceData(kTypeDialog, MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (!data || ReadAt<WORD>(data) != 1 || ReadAt<WORD>(data + 2) != 0xFFFF) return false;  // not extended
    dialog.style = ReadAt<DWORD>(data + 12);
    const WORD itemCount = ReadAt<WORD>(data + 16);
    dialog.cx = ReadAt<short>(data + 22);
    dialog.cy = ReadAt<short>(data + 24);
    const WORD* p = reinterpret_cast<const WORD*>(data + 26);
    p = ReadNameOrOrdinal(p, nullptr);  // menu
    p = ReadNameOrOrdinal(p, nullptr);  // window class
    p = ReadNameOrOrdinal(p, nullptr);  // title
    dialog.pointSize = p[0];
    p = ReadNameOrOrdinal(p + 3, &dialog.typeface);  // after size, weight, italic and charset
    for (WORD i = 0; i < itemCount; ++i) {
        const BYTE* item = reinterpret_cast<const BYTE*>(AlignToDword(p, data));
        DialogItem control;
        control.style = ReadAt<DWORD>(item + 8);
        control.x = ReadAt<short>(item + 12);
        control.y = ReadAt<short>(item + 14);
        control.cx = ReadAt<short>(item + 16);
        control.cy = ReadAt<short>(item + 18);
        control.id = ReadAt<DWORD>(item + 20);
        p = ReadNameOrOrdinal(reinterpret_cast<const WORD*>(item + 24), &control.windowClass);
        p = ReadNameOrOrdinal(p, nullptr);  // text
        p += 1 + *p / sizeof(WORD);         // creation data
        dialog.items.push_back(control);
    }
    return true;
}

const DialogItem* FindItem(const DialogTemplate& dialog, int id) {
    for (const DialogItem& item : dialog.items)
        if (item.id == static_cast<DWORD>(id)) return &item;
    return nullptr;
}

TEST(PageTemplates, AreLanguageNeutralChildPagesOfTheSameSizeAndFont) {
    for (int id = IDD_PAGE1; id <= IDD_PAGE5; ++id) {
        DialogTemplate dialog;
        ASSERT_TRUE(ReadDialogTemplate(id, dialog)) << "template " << id;
        EXPECT_EQ(dialog.cx, 410) << id;
        EXPECT_EQ(dialog.cy, 260) << id;
        EXPECT_EQ(dialog.pointSize, 9) << id;
        EXPECT_EQ(dialog.typeface, L"MS Shell Dlg") << id;
        const DWORD required = WS_CHILD | DS_SETFONT | DS_3DLOOK | DS_CONTROL;
        EXPECT_EQ(dialog.style & required, required) << id;
        EXPECT_EQ(dialog.style & WS_CAPTION, 0u) << id;
        EXPECT_EQ(LanguagesOf(kTypeDialog, MAKEINTRESOURCEW(id)),
                  std::vector<LANGID>{MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)})
            << id;
    }
}

TEST(PageTemplates, EachPageHasItsControlsWithTheirStyles) {
    struct Control {
        int id;
        const wchar_t* windowClass;
        DWORD styleMask;
        DWORD style;
    };
    struct Page {
        int templateId;
        int bannerId;
        std::vector<Control> controls;
    };
    const DWORD kComboTypeMask = 0x3;
    const Page pages[] = {
        {IDD_PAGE1,
         IDC_BANNER1,
         {{IDC_WELCOME_HEADING, L"Static", 0, 0},
          {IDC_WELCOME_BODY1, L"Static", 0, 0},
          {IDC_WELCOME_BODY2, L"Static", 0, 0},
          {IDC_WELCOME_BODY3, L"Static", 0, 0},
          {IDC_LEGAL_NOTICE, L"Static", 0, 0}}},
        {IDD_PAGE2, IDC_BANNER2, {{IDC_DETECT_HEADING, L"Static", 0, 0}, {IDC_DETECT_TEXT, L"Static", 0, 0}}},
        {IDD_PAGE3,
         IDC_BANNER3,
         {{IDC_DRIVER_HEADING, L"Static", 0, 0},
          {IDC_DRIVER_TEXT, L"Static", 0, 0},
          {IDC_PORT_LIST, L"ComboBox", kComboTypeMask, CBS_DROPDOWNLIST},
          {IDC_APN_LABEL, L"Static", 0, 0},
          {IDC_APN_EDIT, L"Edit", ES_AUTOHSCROLL | ES_MULTILINE, ES_AUTOHSCROLL},
          {IDC_OPERATOR_LIST, L"ComboBox", kComboTypeMask | WS_VISIBLE, CBS_DROPDOWNLIST},
          {IDC_APN_SOURCE, L"Static", WS_VISIBLE, 0}}},
        {IDD_PAGE4,
         IDC_BANNER4,
         {{IDC_DIALUP_HEADING, L"Static", 0, 0},
          {IDC_CONNECTION_NAME_LABEL, L"Static", 0, 0},
          {IDC_DIAL_NUMBER_LABEL, L"Static", 0, 0},
          {IDC_USER_NAME_LABEL, L"Static", 0, 0},
          {IDC_PASSWORD_LABEL, L"Static", 0, 0},
          {IDC_CONNECTION_NAME_EDIT, L"Edit", ES_PASSWORD, 0},
          {IDC_DIAL_NUMBER_EDIT, L"Edit", ES_PASSWORD, 0},
          {IDC_USER_NAME_EDIT, L"Edit", ES_PASSWORD, 0},
          {IDC_PASSWORD_EDIT, L"Edit", ES_PASSWORD, ES_PASSWORD}}},
        {IDD_PAGE5,
         IDC_BANNER5,
         {{IDC_FINISH_HEADING, L"Static", 0, 0},
          {IDC_FINISH_TEXT, L"Static", 0, 0},
          {IDC_RESTART_GROUP, L"Button", BS_TYPEMASK, BS_GROUPBOX},
          {IDC_RESTART_NOW, L"Button", BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON | WS_GROUP},
          {IDC_RESTART_LATER, L"Button", BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON}}},
    };
    for (const Page& page : pages) {
        DialogTemplate dialog;
        ASSERT_TRUE(ReadDialogTemplate(page.templateId, dialog)) << page.templateId;
        EXPECT_EQ(dialog.items.size(), page.controls.size() + 1) << page.templateId;
        const DialogItem* banner = FindItem(dialog, page.bannerId);
        ASSERT_NE(banner, nullptr) << page.templateId;
        EXPECT_EQ(_wcsicmp(banner->windowClass.c_str(), L"Static"), 0);
        EXPECT_EQ(banner->style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
        EXPECT_EQ(std::vector<short>({banner->x, banner->y, banner->cx, banner->cy}),
                  std::vector<short>({0, 0, 150, 260}));
        for (const Control& control : page.controls) {
            const DialogItem* item = FindItem(dialog, control.id);
            ASSERT_NE(item, nullptr) << "control " << control.id;
            EXPECT_EQ(_wcsicmp(item->windowClass.c_str(), control.windowClass), 0) << "control " << control.id;
            EXPECT_EQ(item->style & control.styleMask, control.style) << "control " << control.id;
        }
    }
}

// A sheet that sizes its page area with its own 8-point font shows about
// 350 x 240 units of a 9-point page; the controls right of the banner stay
// inside that area.
TEST(PageTemplates, ControlsRightOfTheBannerStayInTheAreaEverySheetShows) {
    constexpr short kBannerWidth = 150;
    constexpr short kVisibleRight = 350;
    constexpr short kVisibleBottom = 240;
    for (int id = IDD_PAGE1; id <= IDD_PAGE5; ++id) {
        DialogTemplate dialog;
        ASSERT_TRUE(ReadDialogTemplate(id, dialog)) << id;
        for (const DialogItem& item : dialog.items) {
            if (item.id >= IDC_BANNER1 && item.id <= IDC_BANNER5) continue;
            EXPECT_GT(item.x, kBannerWidth) << "control " << item.id;
            EXPECT_LE(item.x + item.cx, kVisibleRight) << "control " << item.id;
            if (item.windowClass == L"ComboBox") continue;  // its height includes the closed list
            EXPECT_LE(item.y + item.cy, kVisibleBottom) << "control " << item.id;
        }
    }
}

TEST(Banners, AreFiveTrueColourBitmapsOfOneSize) {
    for (int id = IDB_BANNER1; id <= IDB_BANNER5; ++id) {
        HBITMAP bitmap =
            static_cast<HBITMAP>(LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr) << id;
        BITMAP info = {};
        GetObjectW(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 263) << id;
        EXPECT_EQ(info.bmHeight, 455) << id;
        EXPECT_EQ(info.bmBitsPixel, 24) << id;
        DeleteObject(bitmap);
    }
}

TEST(Manifest, SelectsCommonControls6AndNoElevation) {
    DWORD size = 0;
    const BYTE* data =
        ResourceData(kTypeManifest, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &size);
    ASSERT_NE(data, nullptr);
    const std::string manifest(reinterpret_cast<const char*>(data), size);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("RavelinWiz\" version=\"" RAVELIN_VERSION_TEXT "\""), std::string::npos);
}

TEST(Version, CarriesTheProductNameAndVersion) {
    DWORD size = 0;
    const BYTE* data =
        ResourceData(kTypeVersion, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &size);
    ASSERT_NE(data, nullptr);
    const std::wstring block(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    EXPECT_NE(block.find(L"Tavo GPRS Wireless Modem Setup"), std::wstring::npos);
    EXPECT_NE(block.find(L"RavelinWiz.exe"), std::wstring::npos);
    const std::string version = RAVELIN_VERSION_TEXT;
    EXPECT_NE(block.find(std::wstring(version.begin(), version.end())), std::wstring::npos);
}

}  // namespace

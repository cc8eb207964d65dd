// The calendar-group operations, their command lines and the "$QKCGR" parser
// against a scripted handset.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "calendar_groups.h"
#include "code_page_samples.h"
#include "family_cases.h"
#include "family_records.h"
#include "handset_harness.h"
#include "hex_text.h"

namespace {

using namespace mextal::test;

const std::string kReadLine = "AT$QKCGR=1\r";
const std::string kWorkGroup = "\r\n$QKCGR: 1,16711680,\"576F726B\",\"2F536F756E64732F52696E67312E6D6964\"\r\n";

// The handset writes its hex fields in capitals.
std::string Hex(const std::string& text) { return ravelin::test::ToHex(text, ravelin::test::HexDigits::kUpper); }

// A polite handset; each call first spoils the outputs it passes, which a
// failed operation must clear.
struct CalendarPhone : HandsetHarness {
    CalendarPhone() { ScriptPoliteHandshake(); }
    int32_t Range() {
        first = last = 7;
        return api.GetCalIdRange(&settings, &first, &last);
    }
    int32_t Read(int32_t id = 1, uint32_t nameSize = sizeof name) {
        std::memset(name, 'N', sizeof name);
        colour = 7;
        return api.ReadCalGroup(&settings, id, name, nameSize, &colour);
    }
    int32_t ReadPath(int32_t id = 1) {
        std::memset(name, 'N', sizeof name);
        std::memset(path, 'P', sizeof path);
        colour = 7;
        return api.ReadCalGroupPath(&settings, id, name, sizeof name, path, sizeof path, &colour);
    }
    bool OutputsCleared() const {
        return first == 0 && last == 0 && colour == 0 && name[0] == '\0' && name[sizeof name - 1] == '\0' &&
               path[0] == '\0' && path[sizeof path - 1] == '\0';
    }

    int32_t first = 0;
    int32_t last = 0;
    uint32_t colour = 0;
    char name[33] = {};
    char path[261] = {};
};

using Call = std::function<int32_t(CalendarPhone&)>;

TEST(CalendarGroups, RoundTripsSendTheirLinesAndHandOutResults) {
    struct Case {
        const char* name;
        std::string line;
        Strings answer;
        Call call;
        std::function<void(const CalendarPhone&)> check;
    };
    const std::vector<Case> cases = {
        {"Range",
         "AT$QKCGR=?\r",
         {Info("$QKCGR: (1-10)"), kOk},
         [](CalendarPhone& p) { return p.Range(); },
         [](const CalendarPhone& p) {
             EXPECT_EQ(1, p.first);
             EXPECT_EQ(10, p.last);
         }},
        {"ReadWithPath",
         kReadLine,
         {kWorkGroup, kOk},
         [](CalendarPhone& p) { return p.ReadPath(); },
         [](const CalendarPhone& p) {
             EXPECT_STREQ("Work", p.name);
             EXPECT_STREQ("/Sounds/Ring1.mid", p.path);
             EXPECT_EQ(16711680u, p.colour);
         }},
        {"ReadCutToBuffer",
         kReadLine,
         {kWorkGroup, kOk},
         [](CalendarPhone& p) { return p.Read(1, 3); },
         [](const CalendarPhone& p) { EXPECT_STREQ("Wo", p.name); }},
        {"ReadUnusedGroup",
         "AT$QKCGR=4\r",
         {Info("$QKCGR: 4,0,\"\",\"\""), kOk},
         [](CalendarPhone& p) { return p.Read(4); },
         [](const CalendarPhone& p) { EXPECT_STREQ("", p.name); }},
        {"ReadNameNone",
         "AT$QKCGR=2\r",
         {Info("$QKCGR: 2,255,\"4e4f4e45\",\"\""), kOk},
         [](CalendarPhone& p) { return p.Read(2); },
         [](const CalendarPhone& p) { EXPECT_STREQ("NONE", p.name); }},
        {"WriteKeepsTone",
         "AT$QKCGW=3,16777215,\"NONE\"\r",
         {kOk},
         [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, 3, "NONE", 16777215, 0); },
         nullptr},
        {"WriteLongestName",
         "AT$QKCGW=0,0,\"" + std::string(32, 'n') + "\"\r",
         {kOk},
         [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, 0, std::string(32, 'n').c_str(), 0, 0); },
         nullptr},
        {"WriteStandardTone",
         "AT$QKCGW=2,255,\"\",\"\"\r",
         {kOk},
         [](CalendarPhone& p) { return p.api.WriteCalGroupPath(&p.settings, 2, "", "", 255, 0, 0); },
         nullptr},
        {"WriteTone",
         "AT$QKCGW=1,1,\"a,b\",\"/Sounds/x.mid\"\r",
         {kOk},
         [](CalendarPhone& p) { return p.api.WriteCalGroupPath(&p.settings, 1, "a,b", "/Sounds/x.mid", 1, 0, 0); },
         nullptr},
    };
    for (const Case& c : cases) {
        CalendarPhone p;
        p.port.On(c.line, c.answer);
        ASSERT_EQ(MEXTAL_OK, c.call(p)) << c.name;
        EXPECT_EQ((Strings{"AT\r", "ATE0\r", c.line}), p.port.written) << c.name;
        if (c.check) c.check(p);
    }
}

TEST(CalendarGroups, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    const std::vector<std::pair<const char*, Call>> cases = {
        {"RangeNullLast", [](CalendarPhone& p) { return p.api.GetCalIdRange(&p.settings, &p.first, nullptr); }},
        {"ReadNegativeId", [](CalendarPhone& p) { return p.Read(-1); }},
        {"ReadEmptyBuffer", [](CalendarPhone& p) { return p.Read(1, 0); }},
        {"ReadNullColour", [](CalendarPhone& p) { return p.api.ReadCalGroup(&p.settings, 1, p.name, 9, nullptr); }},
        {"ReadNullPath",
         [](CalendarPhone& p) { return p.api.ReadCalGroupPath(&p.settings, 1, p.name, 9, nullptr, 9, &p.colour); }},
        {"WriteNameOf33",
         [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, 1, std::string(33, 'n').c_str(), 0, 0); }},
        {"WriteColourOver", [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, 1, "a", 16777216, 0); }},
        {"WriteReserved", [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, 1, "a", 0, 1); }},
        {"WriteQuote", [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, 1, "a\"b", 0, 0); }},
        {"WriteNullName", [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, 1, nullptr, 0, 0); }},
        {"WriteNegativeId", [](CalendarPhone& p) { return p.api.WriteCalGroup(&p.settings, -1, "a", 0, 0); }},
        {"PathWithCr", [](CalendarPhone& p) { return p.api.WriteCalGroupPath(&p.settings, 1, "a", "x\r", 0, 0, 0); }},
        {"PathNull", [](CalendarPhone& p) { return p.api.WriteCalGroupPath(&p.settings, 1, "a", nullptr, 0, 0, 0); }},
        {"PathOf261",
         [](CalendarPhone& p) {
             return p.api.WriteCalGroupPath(&p.settings, 1, "a", std::string(261, 'p').c_str(), 0, 0, 0);
         }},
        {"PathReserved2", [](CalendarPhone& p) { return p.api.WriteCalGroupPath(&p.settings, 1, "a", "", 0, 0, 1); }},
    };
    ExpectBadArgumentsWriteNothing(cases);
}

// Each operation, failing at its first answer and (for the reads) after the
// handset accepted the request, clears its outputs and gives the failure's code.
TEST(CalendarGroups, EveryFailureKindGivesItsCodeAndClearsOutputs) {
    const std::vector<FamilyOperation<CalendarPhone>> operations = {
        {"Range", "AT$QKCGR=?\r", [](CalendarPhone& p) { return p.Range(); }, {{Info("$QKCGR: (1-10)")}}},
        {"Read", kReadLine, [](CalendarPhone& p) { return p.Read(); }, {{kWorkGroup}}},
        {"ReadPath", kReadLine, [](CalendarPhone& p) { return p.ReadPath(); }, {{kWorkGroup}}},
        {"Write",
         "AT$QKCGW=1,0,\"a\",\"\"\r",
         [](CalendarPhone& p) { return p.api.WriteCalGroupPath(&p.settings, 1, "a", "", 0, 0, 0); },
         {}},
    };
    const std::vector<FamilyFailure> failures = {
        {"Error", {kError}, MEXTAL_HANDSET_ERROR, MEXTAL_HANDSET_ERROR},
        {"FamilyError", {Info("$QKVCALERR: 4")}, -4, -4},
        {"FamilyErrorZero", {Info("$QKVCALERR: 0")}, MEXTAL_UNEXPECTED_ANSWER, MEXTAL_UNEXPECTED_ANSWER},
        {"OtherFamily", {Info("$TCK: 1,2")}, MEXTAL_UNEXPECTED_ANSWER, MEXTAL_UNEXPECTED_ANSWER},
        {"Garbled", {Info("$QKVCALERR 4")}, PARSE_NO_COLON, MEXTAL_FINAL_ANSWER_FAILED},
        {"Silence", {}, LINK_TIMEOUT, MEXTAL_FINAL_ANSWER_FAILED},
    };
    ExpectEveryFailureClearsOutputs(operations, failures);
}

TEST(CalendarGroups, AnswersThatDoNotMatchTheRequestAreRefused) {
    const std::vector<std::tuple<const char*, std::string, Call>> cases = {
        {"ReadOtherId", Info("$QKCGR: 2,0,\"\",\"\""), [](CalendarPhone& p) { return p.ReadPath(); }},
        {"ReadGetsRange", Info("$QKCGR: (1-10)"), [](CalendarPhone& p) { return p.Read(); }},
        {"ReadUnconvertibleName", Info("$QKCGR: 1,0,\"" + Hex(kUtf8WithoutLocalForm) + "\",\"\""),
         [](CalendarPhone& p) { return p.Read(); }},
        {"RangeGetsGroup", kWorkGroup, [](CalendarPhone& p) { return p.Range(); }},
        {"RangeBackwards", Info("$QKCGR: (10-1)"), [](CalendarPhone& p) { return p.Range(); }},
        {"RangeBeyondSigned", Info("$QKCGR: (1-2147483648)"), [](CalendarPhone& p) { return p.Range(); }},
    };
    UseDefaultCodePage();
    for (const auto& [name, answer, call] : cases) {
        CalendarPhone p;
        p.port.On("AT$QKCGR=?\r", {answer, kOk});
        p.port.On(kReadLine, {answer, kOk});
        EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, call(p)) << name;
        EXPECT_TRUE(p.OutputsCleared()) << name;
    }
}

TEST(CalendarGroupAnswers, ParserFillsRangeOrGroup) {
    struct Case {
        const char* name;
        std::string chunk;
        int32_t result;
        int32_t form;
        uint32_t r0;
        uint32_t r1;
        std::string x0;
        std::string x1;
    };
    const std::vector<Case> cases = {
        {"Range", "$QKCGR: ( 1 - 10 )\r\n", PARSE_OK, kCalendarRangeForm, 1, 10, "", ""},
        {"Group", kWorkGroup, PARSE_OK, kCalendarGroupForm, 1, 16711680, "Work", "/Sounds/Ring1.mid"},
        {"LongestText", "$QKCGR: 1,2,\"" + Hex(std::string(1007, 'x')) + "\",\"\"", PARSE_OK, kCalendarGroupForm, 1, 2,
         std::string(1007, 'x'), ""},
        {"TextTooLong", "$QKCGR: 1,2,\"" + Hex(std::string(1008, 'x')) + "\",\"\"", PARSE_BAD_FIELDS, 0, 0, 0, "", ""},
        {"ZeroByte", "$QKCGR: 1,2,\"410042\",\"\"", PARSE_BAD_FIELDS, 0, 0, 0, "", ""},
        {"OddDigits", "$QKCGR: 1,2,\"414\",\"\"", PARSE_BAD_FIELDS, 0, 0, 0, "", ""},
        {"Unquoted", "$QKCGR: 1,2,41,\"\"", PARSE_BAD_FIELDS, 0, 0, 0, "", ""},
        {"ThreeFields", "$QKCGR: 1,2,\"41\"", PARSE_BAD_FIELDS, 0, 0, 0, "", ""},
        {"RangeWithoutHyphen", "$QKCGR: (1)", PARSE_BAD_FIELDS, 0, 0, 0, "", ""},
        {"RangeSigned", "$QKCGR: (-1-3)", PARSE_BAD_FIELDS, 0, 0, 0, "", ""},
        {"NoColon", "$QKCGR (1-10)", PARSE_NO_COLON, 0, 0, 0, "", ""},
        {"ErrorLine", "$QKVCALERR: 3", PARSE_OK, 0, 3, 0, "", ""},
    };
    CAtResponseParser parser;
    for (const Case& c : cases) {
        AtResponse response{};
        EXPECT_EQ(c.result, parser.ClassifyResponse(&response, c.chunk.data(), static_cast<uint32_t>(c.chunk.size())))
            << c.name;
        if (c.result != PARSE_OK) continue;
        FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
        EXPECT_EQ(c.form, response.familyValue) << c.name;
        EXPECT_EQ(c.r0, answer.numbers[0]) << c.name;
        EXPECT_EQ(c.r1, answer.numbers[1]) << c.name;
        EXPECT_EQ(c.x0, answer.text0) << c.name;
        EXPECT_EQ(c.x1, answer.text1) << c.name;
    }
}

}  // namespace

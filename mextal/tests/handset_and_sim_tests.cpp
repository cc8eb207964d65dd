// Restarting the handset and reading the SIM phonebook's record information
// against a scripted handset, and the record information in both of its forms.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "family_fields.h"
#include "handset_and_sim.h"
#include "handset_harness.h"

namespace {

using namespace mextal::test;
using Strings = std::vector<std::string>;

constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kError = "\r\nERROR\r\n";
const std::string kGetResponseLine = "AT+CRSM=192,28474,0,0,15\r";
// Record information of 250 records of 30 bytes.
const std::string kSimForm = "00001D4C6F3A040011F0220102011E";
const std::string kUsimForm = "620F82054221001EFA83026F3A80021D4C";

std::string Info(const std::string& text) { return "\r\n" + text + "\r\n"; }
std::string Status(const std::string& fields) { return Info("+CRSM: " + fields); }

std::string Bytes(const std::string& hex) {
    char bytes[kSimResponseBytes];
    size_t count = 0;
    EXPECT_TRUE(mextal::DecodeHexBytes(hex, bytes, sizeof bytes, count)) << hex;
    return std::string(bytes, count);
}

struct SimPhone : HandsetHarness {
    SimPhone() { ScriptPoliteHandshake(); }
    int32_t Count() { return api.GetSIMCount(&settings, &count); }
    int32_t TextLength() { return api.GetSIMTextLength(&settings, &textLength); }
    uint32_t count = 77;
    uint32_t textLength = 77;
};

TEST(AdnRecordInfo, ReadsBothFormsAndRefusesAnythingElse) {
    struct Case {
        const char* name;
        std::string hex;
        bool read;
        uint32_t records;
        uint32_t recordLength;
    };
    const std::vector<Case> cases = {
        {"Sim", kSimForm, true, 250, 30},
        {"SimWithMoreBytes", kSimForm + "FFFF", true, 250, 30},
        {"SimShortestRecord", "0000000E6F3A040011F0220102010E", true, 1, 14},
        {"Usim", kUsimForm, true, 250, 30},
        {"UsimDescriptorNotFirst", "620F83026F3A82054221001EFA80021D4C", true, 250, 30},
        {"SimRecordOf13", "00000D006F3A040011F0220102010D", false, 0, 0},
        {"SimRecordOf0", "00001D4C6F3A040011F02201020100", false, 0, 0},
        {"Sim14Bytes", kSimForm.substr(0, 28), false, 0, 0},
        {"SimNotElementary", "00001D4C6F3A020011F0220102011E", false, 0, 0},
        {"SimNotLinearFixed", "00001D4C6F3A040011F0220102031E", false, 0, 0},
        {"UsimWithoutDescriptor", "620883026F3A80021D4C", false, 0, 0},
        {"UsimCyclic", "620F82054621001EFA83026F3A80021D4C", false, 0, 0},
        {"UsimDescriptorOf4", "620E820442210014FA83026F3A80021D4C", false, 0, 0},
        {"UsimRecordOf13", "620F82054221000DFA83026F3A80021D4C", false, 0, 0},
        {"UsimLongerThanSent", "621082054221001EFA83026F3A80021D4C", false, 0, 0},
        {"UsimObjectPastEnd", "620782084221001EFA", false, 0, 0},
        {"UsimAlone", "62", false, 0, 0},
        {"Empty", "", false, 0, 0},
    };
    for (const Case& c : cases) {
        std::string bytes = Bytes(c.hex);
        AdnRecordInfo info{7, 7};
        EXPECT_EQ(c.read, ReadAdnRecordInfo(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), info))
            << c.name;
        EXPECT_EQ(c.records, info.records) << c.name;
        EXPECT_EQ(c.recordLength, info.recordLength) << c.name;
    }
}

TEST(SimServiceProviderName, ReadInEitherCoding) {
    const struct {
        const char* name;
        std::string hex;
        bool read;
        std::string text;
    } cases[] = {
        {"SimAlphabetPadded", "0154616C6B2034204C657373FFFFFFFFFF", true, "Talk 4 Less"},
        {"SimAlphabetFull", "00" + std::string(32, '4') + "41", true, std::string(16, 'D')},
        {"SimAlphabetBeyondAscii", "010011027F5BFF", true, "@_$\u00E0\u00C4"},
        {"TrailingBlanksCut", "01414220202020FF", true, "AB"},
        {"Ucs2", "01800041004F00DF4E2DFFFF", true, "AO\u00DF\u4E2D"},
        {"Ucs2LoneSurrogate", "0180D800FFFF", false, ""},
        {"ByteAboveAlphabet", "0141C1FF", false, ""},
        {"OnlyBlanks", "012020FF", false, ""},
        {"NoName", "01", false, ""},
    };
    for (const auto& c : cases) {
        std::string bytes = Bytes(c.hex);
        std::string name = "stale";
        EXPECT_EQ(c.read, ReadServiceProviderName(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name))
            << c.name;
        EXPECT_EQ(c.text, name) << c.name;
    }
}

TEST(SimAnswer, ParserTakesStatusAndResponseBytes) {
    struct Case {
        const char* name;
        std::string chunk;
        int32_t result;
        uint32_t sw1;
        uint32_t sw2;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"StatusOnly", "+CRSM: 148,4\r\n", PARSE_OK, 148, 4, ""},
        {"Quoted", "+CRSM: 144,0,\"00FF1d\"\r\n", PARSE_OK, 144, 0, std::string("\0\xFF\x1D", 3)},
        {"Unquoted", "+CRSM: 145,2,00ff\r\n", PARSE_OK, 145, 2, std::string("\0\xFF", 2)},
        {"LongestResponse", "+CRSM: 144,0,\"" + std::string(510, 'A') + "\"\r\n", PARSE_OK, 144, 0,
         std::string(255, '\xAA')},
        {"TooLong", "+CRSM: 144,0,\"" + std::string(512, 'A') + "\"\r\n", PARSE_BAD_FIELDS, 0, 0, ""},
        {"OddDigits", "+CRSM: 144,0,\"ABC\"\r\n", PARSE_BAD_FIELDS, 0, 0, ""},
        {"EmptyUnquoted", "+CRSM: 144,0,\r\n", PARSE_BAD_FIELDS, 0, 0, ""},
        {"FourFields", "+CRSM: 144,0,\"00\",1\r\n", PARSE_BAD_FIELDS, 0, 0, ""},
        {"OneField", "+CRSM: 144\r\n", PARSE_BAD_FIELDS, 0, 0, ""},
        {"NoColon", "+CRSM 144,0\r\n", PARSE_NO_COLON, 0, 0, ""},
    };
    CAtResponseParser parser;
    for (const Case& c : cases) {
        AtResponse response{};
        EXPECT_EQ(c.result, parser.ClassifyResponse(&response, c.chunk.data(), static_cast<uint32_t>(c.chunk.size())))
            << c.name;
        EXPECT_EQ(AT_RSP_CRSM, response.id) << c.name;
        if (c.result != PARSE_OK) continue;
        FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
        EXPECT_EQ(c.sw1, answer.numbers[0]) << c.name;
        EXPECT_EQ(c.sw2, answer.numbers[1]) << c.name;
        EXPECT_EQ(c.bytes, std::string(answer.text0, answer.numbers[2])) << c.name;
    }
}

TEST(HandsetAndSim, PhonebookFiguresComeFromEitherForm) {
    for (const std::string& form : {"\"" + kSimForm + "\"", kUsimForm}) {
        SimPhone p;
        p.port.On(kGetResponseLine, {Status("144,0," + form), kOk});
        ASSERT_EQ(MEXTAL_OK, p.Count()) << form;
        ASSERT_EQ(MEXTAL_OK, p.TextLength()) << form;
        EXPECT_EQ(250u, p.count);
        EXPECT_EQ(16u, p.textLength);
        EXPECT_EQ((Strings{"AT\r", "ATE0\r", kGetResponseLine}),
                  Strings(p.port.written.begin(), p.port.written.begin() + 3));
    }
}

TEST(HandsetAndSim, StatusesAndFailuresGiveTheirCodesAndZeroFigures) {
    struct Case {
        const char* name;
        Strings answer;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"NormalEndingWithInformation", {Status("145,3,\"" + kSimForm + "\""), kOk}, MEXTAL_OK},
        {"FileNotFound", {Status("148,4"), kOk}, -37892},
        {"StatusWithBytes", {Status("109,0,\"" + kSimForm + "\""), kOk}, -27904},
        {"StatusZero", {Status("0,0"), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"StatusByteTooLarge", {Status("400,0"), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"NoResponseBytes", {Status("144,0"), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"RecordOf13", {Status("144,0,\"00000D006F3A040011F0220102010D\""), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"StatusReportedOnlyAfterOk", {Status("148,4"), kError}, MEXTAL_HANDSET_ERROR},
        {"SilenceAfterStatus", {Status("148,4")}, MEXTAL_FINAL_ANSWER_FAILED},
        {"NoSim", {kError}, MEXTAL_HANDSET_ERROR},
        {"OtherErrorLine", {Info("+CME ERROR: 10")}, 4097},
        {"WrongKeyword", {Info("$QKMMSR: 5"), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"Silence", {}, LINK_TIMEOUT},
    };
    for (const Case& c : cases) {
        SimPhone p;
        p.port.On(kGetResponseLine, c.answer);
        EXPECT_EQ(c.result, p.Count()) << c.name;
        EXPECT_EQ(c.result == MEXTAL_OK ? 250u : 0u, p.count) << c.name;
        EXPECT_EQ(c.result, p.TextLength()) << c.name;
        EXPECT_EQ(c.result == MEXTAL_OK ? 16u : 0u, p.textLength) << c.name;
    }
}

TEST(HandsetAndSim, RebootSendsModeAndTakesOnlyOk) {
    const std::vector<std::tuple<uint32_t, Strings, int32_t>> cases = {
        {0, {kOk}, MEXTAL_OK},
        {1, {kOk}, MEXTAL_OK},
        {0, {kError}, MEXTAL_HANDSET_ERROR},
        {0, {Info("$QKMMSERR: 5")}, MEXTAL_UNEXPECTED_ANSWER},
        {0, {}, LINK_TIMEOUT},
    };
    for (const auto& [mode, answer, result] : cases) {
        SimPhone p;
        std::string line = "AT+SYSTEM=" + std::to_string(mode) + "\r";
        p.port.On(line, answer);
        EXPECT_EQ(result, p.api.RebootMs(&p.settings, mode)) << line << result;
        EXPECT_EQ((Strings{"AT\r", "ATE0\r", line}), p.port.written);
    }
}

TEST(HandsetAndSim, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    SimPhone p;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.RebootMs(&p.settings, 2));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.RebootMs(nullptr, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.GetSIMCount(&p.settings, nullptr));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.GetSIMTextLength(nullptr, &p.textLength));
    EXPECT_TRUE(p.port.written.empty());
}

}  // namespace

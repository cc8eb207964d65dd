#include "response_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct ClassifyCase {
    const char* name;
    std::string chunk;
    int32_t id;
    int32_t result;
};

std::ostream& operator<<(std::ostream& out, const ClassifyCase& c) { return out << c.name; }

class ClassifyResponseTest : public testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyResponseTest, YieldsExpectedIdAndResult) {
    const ClassifyCase& c = GetParam();
    CAtResponseParser parser;
    AtResponse response{};
    response.id = -1;
    // Exactly the received bytes on the heap, so reading past them is caught.
    std::vector<char> chunk(c.chunk.begin(), c.chunk.end());
    EXPECT_EQ(c.result, parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size())));
    EXPECT_EQ(c.id, response.id);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, ClassifyResponseTest,
    testing::Values(ClassifyCase{"Ok", "\r\nOK\r\n", AT_RSP_OK, PARSE_OK},
                    ClassifyCase{"BareOk", "OK", AT_RSP_OK, PARSE_OK},
                    ClassifyCase{"Error", "\r\nERROR\r\n", AT_RSP_ERROR, PARSE_OK},
                    ClassifyCase{"EchoAt", "AT\r\r\n", AT_CMD_AT, PARSE_OK},
                    ClassifyCase{"EchoAtz", "ATZ\r\r\n", AT_CMD_ATZ, PARSE_OK},
                    ClassifyCase{"EchoAte0", "ATE0", AT_CMD_ATE0, PARSE_OK},
                    ClassifyCase{"AckAlone", "ACK\r\n", AT_RSP_ACK, PARSE_OK},
                    ClassifyCase{"AckFoundInsideNack", "NACK\r\n", AT_RSP_ACK, PARSE_OK},
                    ClassifyCase{"NackWithTextReachesNackParser", "NACK: 3\r\n", AT_RSP_NACK, PARSE_OK},
                    ClassifyCase{"EchoWithTextIsNoEcho", "AT junk\r\n", AT_RSP_NULL, PARSE_UNRECOGNISED},
                    ClassifyCase{"HandsetErrorWithNumber", "$FSERROR: 3\r\n", AT_RSP_FSERROR, PARSE_OK},
                    ClassifyCase{"HandsetErrorWinsOverOk", "$FSERROR:7 OK\r\n", AT_RSP_FSERROR, PARSE_OK},
                    ClassifyCase{"HandsetErrorWithoutColon", "$FSERROR 3\r\n", AT_RSP_FSERROR, PARSE_NO_COLON},
                    ClassifyCase{"HandsetErrorKeywordAlone", "$FSERROR\r\n", AT_RSP_FSERROR, PARSE_NO_COLON},
                    ClassifyCase{"HandsetErrorWithoutNumber", "$FSERROR:\r\n", AT_RSP_FSERROR, PARSE_BAD_FIELDS},
                    ClassifyCase{"HandsetErrorWithBlankOnly", "$FSERROR: ,4\r\n", AT_RSP_FSERROR, PARSE_BAD_FIELDS},
                    ClassifyCase{"HandsetErrorWithWord", "$FSERROR: abc\r\n", AT_RSP_FSERROR, PARSE_BAD_FIELDS},
                    ClassifyCase{"FamilyKeyword", "$FSDIR: 1,523\r\n", AT_RSP_FSDIR, PARSE_OK},
                    ClassifyCase{"FamilyKeywordAlone", "$FSQA\r\n", AT_RSP_FSQA, PARSE_NO_COLON},
                    ClassifyCase{"ShortMessageKeyword", "+CMGR: 1\r\n", AT_RSP_CMGR, PARSE_OK},
                    ClassifyCase{"PhonebookKeyword", "$QKVCARDR: 1\r\n", AT_RSP_QKVCARDR, PARSE_OK},
                    ClassifyCase{"CalendarKeyword", "$QKVCALERR: 2\r\n", AT_RSP_QKVCALERR, PARSE_OK},
                    ClassifyCase{"SimKeyword", "+CRSM: 144,0\r\n", AT_RSP_CRSM, PARSE_OK},
                    ClassifyCase{"RequestEchoWithoutParser", "AT+CGMM\r\r\n", AT_CMD_CGMM, PARSE_NO_HANDLER},
                    ClassifyCase{"NoneKeywordWithoutParser", "NONE\r\n", AT_RSP_MODEL, PARSE_NO_HANDLER},
                    ClassifyCase{"UnknownWord", "\r\nhello\r\n", AT_RSP_NULL, PARSE_UNRECOGNISED},
                    ClassifyCase{"Empty", "", AT_RSP_NULL, PARSE_UNRECOGNISED},
                    ClassifyCase{"OnlyFirstOccurrenceTried", "O-OK\r\n", AT_RSP_NULL, PARSE_UNRECOGNISED},
                    ClassifyCase{"TextAfterNulIgnored", std::string("xx\0OK\r\n", 7), AT_RSP_NULL, PARSE_UNRECOGNISED},
                    ClassifyCase{"FullChunkWithoutTerminator", std::string(2048, 'x'), AT_RSP_NULL, PARSE_UNRECOGNISED},
                    ClassifyCase{"FullChunkEndingInKeywordPart", std::string(2044, 'x') + "ERRO", AT_RSP_NULL,
                                 PARSE_UNRECOGNISED},
                    ClassifyCase{"FullChunkEndingInKeyword", std::string(2046, 'x') + "OK", AT_RSP_OK, PARSE_OK}),
    [](const testing::TestParamInfo<ClassifyCase>& info) { return std::string(info.param.name); });

TEST(ClassifyResponse, StoresHandsetErrorNumber) {
    CAtResponseParser parser;
    AtResponse response{};
    const char chunk[] = "$FSERROR: 3,\"x\"\r\n";
    ASSERT_EQ(PARSE_OK, parser.ClassifyResponse(&response, chunk, sizeof chunk - 1));
    EXPECT_EQ(3, HandsetErrorNumber(response));
}

TEST(ClassifyResponse, ZeroesDataAreaFirst) {
    CAtResponseParser parser;
    AtResponse response{};
    std::memset(response.data, 'Z', sizeof response.data);
    parser.ClassifyResponse(&response, "OK", 2);
    EXPECT_EQ(std::string(sizeof response.data, '\0'), std::string(response.data, sizeof response.data));
}

TEST(ClassifyResponse, EveryResponseKeywordIsRecognisedOnItsOwnLine) {
    // A keyword alone on its line is classified as itself unless an earlier
    // keyword of the table is part of it ("ACK" in "NACK", "NONE" twice).
    CAtResponseParser parser;
    for (int32_t id = 0; id < AT_COMMAND_COUNT; ++id) {
        std::string line = std::string(Keyword(static_cast<AtCommandId>(id))) + "\r\n";
        AtResponse response{};
        parser.ClassifyResponse(&response, line.data(), static_cast<uint32_t>(line.size()));
        bool containsEarlier = false;
        for (int32_t earlier = 0; earlier < id; ++earlier) {
            containsEarlier |= line.find(Keyword(static_cast<AtCommandId>(earlier))) != std::string::npos;
        }
        if (!containsEarlier) {
            EXPECT_EQ(id, response.id) << line;
        }
    }
}

struct PlainCase {
    const char* name;
    int32_t expected;
    std::string chunk;
    int32_t id;
    int32_t result;
    std::string first;
    std::string second;
};

std::ostream& operator<<(std::ostream& out, const PlainCase& c) { return out << c.name; }

class ClassifyPlainResponseTest : public testing::TestWithParam<PlainCase> {};

TEST_P(ClassifyPlainResponseTest, ParsesInformationLine) {
    const PlainCase& c = GetParam();
    CAtResponseParser parser;
    AtResponse response{};
    std::memset(response.data, 'Z', sizeof response.data);
    response.id = c.expected;
    std::vector<char> chunk(c.chunk.begin(), c.chunk.end());
    EXPECT_EQ(c.result, parser.ClassifyPlainResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size())));
    EXPECT_EQ(c.id, response.id);
    EXPECT_EQ(c.first, std::string(response.data));
    EXPECT_EQ(c.second, std::string(response.data + kImeiSecondFieldOffset));
}

INSTANTIATE_TEST_SUITE_P(
    ModelAndImei, ClassifyPlainResponseTest,
    testing::Values(
        PlainCase{"ModelLine", AT_RSP_MODEL, "\r\nZEKO6W\r\n", AT_RSP_MODEL, PARSE_OK, "ZEKO6W", ""},
        PlainCase{"ModelWithCommaInQuotes", AT_RSP_MODEL, "\"Tavo, X\"\r\n", AT_RSP_MODEL, PARSE_OK, "\"Tavo, X\"", ""},
        PlainCase{"ModelWithCommaOutsideQuotes", AT_RSP_MODEL, "Tavo,X\r\n", AT_RSP_MODEL, PARSE_BAD_FIELDS, "", ""},
        PlainCase{"ModelWithTrailingComma", AT_RSP_MODEL, "Tavo,\r\n", AT_RSP_MODEL, PARSE_BAD_FIELDS, "", ""},
        PlainCase{"ModelEmpty", AT_RSP_MODEL, "\r\n", AT_RSP_MODEL, PARSE_BAD_FIELDS, "", ""},
        PlainCase{"OkBeforeModel", AT_RSP_MODEL, "\r\nOK\r\n", AT_RSP_OK, PARSE_OK, "", ""},
        PlainCase{"ErrorBeforeModel", AT_RSP_MODEL, "ERROR: 5\r\n", AT_RSP_ERROR, PARSE_OK, "", ""},
        PlainCase{"ImeiLabelled", AT_RSP_IMEI, "\r\nIMEI: 352099001761481,SN: R58M41LXQ2\r\n", AT_RSP_IMEI, PARSE_OK,
                  "352099001761481", "R58M41LXQ2"},
        PlainCase{"ImeiUnlabelled", AT_RSP_IMEI, "352099001761481,R58\r\n", AT_RSP_IMEI, PARSE_OK, "352099001761481",
                  "R58"},
        PlainCase{"ImeiOnlyFirstColonCuts", AT_RSP_IMEI, "IMEI:\t12:34,SN:5\r\n", AT_RSP_IMEI, PARSE_OK, "12:34", "5"},
        PlainCase{"ImeiSingleField", AT_RSP_IMEI, "352099001761481\r\n", AT_RSP_IMEI, PARSE_BAD_FIELDS, "", ""},
        PlainCase{"ImeiEmptySecond", AT_RSP_IMEI, "IMEI: 1,\r\n", AT_RSP_IMEI, PARSE_BAD_FIELDS, "", ""},
        PlainCase{"ImeiEmptyFirstValue", AT_RSP_IMEI, "IMEI: ,SN: 1\r\n", AT_RSP_IMEI, PARSE_BAD_FIELDS, "", ""},
        PlainCase{"ImeiThreeFields", AT_RSP_IMEI, "1,2,3\r\n", AT_RSP_IMEI, PARSE_BAD_FIELDS, "", ""},
        PlainCase{"ImeiCommaInQuotes", AT_RSP_IMEI, "\"1,2\",3\r\n", AT_RSP_IMEI, PARSE_OK, "\"1,2\"", "3"},
        PlainCase{"OtherExpectedId", AT_CMD_CGMM, "text\r\n", AT_CMD_CGMM, PARSE_NO_HANDLER, "", ""}),
    [](const testing::TestParamInfo<PlainCase>& info) { return std::string(info.param.name); });

TEST(ClassifyPlainResponse, CutsOverlongImeiFieldsToTheirSlots) {
    struct Case {
        size_t firstLength;
        size_t secondLength;
    };
    // Each chunk fills the whole receive buffer and has no terminator.
    for (Case c : {Case{500, kResponseDataBytes - 501}, Case{1, kResponseDataBytes - 2}}) {
        CAtResponseParser parser;
        AtResponse response{};
        response.id = AT_RSP_IMEI;
        std::string line = std::string(c.firstLength, '1') + "," + std::string(c.secondLength, '2');
        std::vector<char> chunk(line.begin(), line.end());
        ASSERT_EQ(PARSE_OK, parser.ClassifyPlainResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size())));
        EXPECT_EQ(std::string(std::min(c.firstLength, kImeiSecondFieldOffset - 1), '1'), std::string(response.data));
        EXPECT_EQ(std::string(std::min(c.secondLength, kResponseDataBytes - kImeiSecondFieldOffset - 1), '2'),
                  std::string(response.data + kImeiSecondFieldOffset));
    }
}

TEST(ClassifyPlainResponse, CutsModelFillingTheWholeChunk) {
    CAtResponseParser parser;
    AtResponse response{};
    response.id = AT_RSP_MODEL;
    std::vector<char> chunk(kResponseDataBytes, 'M');
    ASSERT_EQ(PARSE_OK, parser.ClassifyPlainResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size())));
    EXPECT_EQ(std::string(kResponseDataBytes - 1, 'M'), std::string(response.data));
}

struct BuildCase {
    const char* name;
    int32_t id;
    int32_t flowMode;
    int32_t result;
    std::string line;
};

std::ostream& operator<<(std::ostream& out, const BuildCase& c) { return out << c.name; }

class BuildRequestTest : public testing::TestWithParam<BuildCase> {};

TEST_P(BuildRequestTest, FormatsCommandLine) {
    const BuildCase& c = GetParam();
    CAtResponseParser parser;
    AtRequest request{};
    request.id = c.id;
    StoreRequestWord(request, kFlowModeWord, c.flowMode);
    AtCommandLine line{};
    ASSERT_EQ(c.result, parser.BuildRequest(request, &line));
    EXPECT_EQ(c.line, line.bytes ? std::string(line.bytes, line.length) : std::string());
    parser.FreeRequest(&line);
    EXPECT_EQ(nullptr, line.bytes);
    EXPECT_EQ(0u, line.length);
}

INSTANTIATE_TEST_SUITE_P(Lines, BuildRequestTest,
                         testing::Values(BuildCase{"At", AT_CMD_AT, 0, PARSE_OK, "AT\r"},
                                         BuildCase{"Atz", AT_CMD_ATZ, 0, PARSE_OK, "ATZ\r"},
                                         BuildCase{"Ate0", AT_CMD_ATE0, 0, PARSE_OK, "ATE0\r"},
                                         BuildCase{"Model", AT_CMD_CGMM, 0, PARSE_OK, "AT+CGMM\r"},
                                         BuildCase{"Imei", AT_CMD_CGSN, 0, PARSE_OK, "AT+CGSN\r"},
                                         BuildCase{"FlowHardware", AT_CMD_IFC, 2, PARSE_OK, "AT+IFC=2\r"},
                                         BuildCase{"FlowSoftware", AT_CMD_IFC, 1, PARSE_OK, "AT+IFC=1\r"},
                                         BuildCase{"FlowModeUnchecked", AT_CMD_IFC, -7, PARSE_OK, "AT+IFC=-7\r"},
                                         BuildCase{"AnswerKeyword", AT_RSP_OK, 0, PARSE_NO_HANDLER, ""},
                                         BuildCase{"BeyondTable", AT_COMMAND_COUNT, 0, PARSE_NO_HANDLER, ""},
                                         BuildCase{"Negative", -1, 0, PARSE_NO_HANDLER, ""}),
                         [](const testing::TestParamInfo<BuildCase>& info) { return std::string(info.param.name); });

TEST(CommandStringTable, HoldsTheKeywordsInTableOrder) {
    EXPECT_STREQ("$FSERROR", CommandStringTable[AT_RSP_FSERROR]);
    EXPECT_STREQ("AT+CGMM", CommandStringTable[AT_CMD_CGMM]);
    EXPECT_STREQ("NONE", CommandStringTable[AT_RSP_MODEL]);
    EXPECT_STREQ("AT+CGSN", CommandStringTable[AT_CMD_CGSN]);
    EXPECT_STREQ("NONE", CommandStringTable[AT_RSP_IMEI]);
    EXPECT_STREQ("AT$QKMMSA?", CommandStringTable[AT_CMD_QKMMSA_QUERY]);
    EXPECT_STREQ("$QKMCPI", CommandStringTable[AT_RSP_QKMCPI]);
    EXPECT_STREQ("ACK", CommandStringTable[AT_RSP_ACK]);
    EXPECT_STREQ("ATZ", CommandStringTable[AT_CMD_ATZ]);
    EXPECT_STREQ("NULL", CommandStringTable[AT_RSP_NULL]);
    EXPECT_STREQ("AT+IFC", CommandStringTable[AT_CMD_IFC]);
}

}  // namespace

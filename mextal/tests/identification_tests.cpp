#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "handset_harness.h"

namespace {

using mextal::test::HandsetHarness;
using Strings = std::vector<std::string>;
using Timeouts = std::vector<uint32_t>;

constexpr const char* kModelLine = "\r\nZEKO6W\r\n";
constexpr const char* kImeiLine = "\r\nIMEI: 352099001761481,SN: R58M41LXQ2\r\n";
constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kError = "\r\nERROR\r\n";

// A well-behaved handset with echo already off.
void ScriptPhone(HandsetHarness& h) {
    h.ScriptPoliteHandshake();
    h.port.On("AT+CGMM\r", {kModelLine, kOk});
    h.port.On("AT+CGSN\r", {kImeiLine, kOk});
    h.port.On("AT+IFC=0\r", {kOk});
    h.port.On("AT+IFC=1\r", {kOk});
    h.port.On("AT+IFC=2\r", {kOk});
}

bool AllZero(const char* buffer, size_t size) {
    return std::all_of(buffer, buffer + size, [](char c) { return c == '\0'; });
}

TEST(QueryModel, ReadsModelAfterHandshake) {
    HandsetHarness h;
    ScriptPhone(h);
    char model[32];
    std::memset(model, 'Z', sizeof model);
    ASSERT_EQ(MEXTAL_OK, h.api.QueryModel(&h.settings, model, sizeof model));
    EXPECT_STREQ("ZEKO6W", model);
    EXPECT_TRUE(AllZero(model + 6, sizeof model - 6));
    EXPECT_EQ((Strings{"AT\r", "ATE0\r", "AT+CGMM\r"}), h.port.written);
    EXPECT_EQ((Timeouts{2000, 10000, 10000, 10000}), h.port.readTimeouts);
    // Once before the exchange and once for the handshake's single attempt.
    EXPECT_EQ(2, h.port.configureCalls);
    EXPECT_EQ(115200u, h.port.configuredWith.at(0).baudRate);
}

TEST(QueryImei, ReadsFirstFieldAfterItsLabel) {
    HandsetHarness h;
    ScriptPhone(h);
    char imei[32];
    ASSERT_EQ(MEXTAL_OK, h.api.QueryImei(&h.settings, imei, sizeof imei));
    EXPECT_STREQ("352099001761481", imei);
    EXPECT_EQ("AT+CGSN\r", h.port.written.back());
}

TEST(QueryModel, CutsTextToBuffer) {
    for (uint32_t size : {1u, 6u, 7u}) {
        HandsetHarness h;
        ScriptPhone(h);
        std::vector<char> model(size, 'Z');
        ASSERT_EQ(MEXTAL_OK, h.api.QueryModel(&h.settings, model.data(), size));
        EXPECT_EQ(std::string("ZEKO6W").substr(0, size - 1), std::string(model.data())) << size;
        EXPECT_EQ('\0', model.back()) << size;
    }
}

TEST(QueryImei, CutsOverlongImeiToBuffer) {
    HandsetHarness h;
    ScriptPhone(h);
    h.port.On("AT+CGSN\r", {"IMEI: " + std::string(1000, '7') + ",SN: 1\r\n", kOk});
    char imei[128];
    ASSERT_EQ(MEXTAL_OK, h.api.QueryImei(&h.settings, imei, sizeof imei));
    EXPECT_EQ(std::string(127, '7'), std::string(imei));
}

struct QueryCase {
    const char* name;
    Strings informationAnswer;
    Strings finalAnswer;  // appended to the information answer
    int32_t result;
    std::string model;  // what the buffer holds afterwards
};

TEST(QueryModel, FailureCodes) {
    const std::vector<QueryCase> cases = {
        {"Refused", {kError}, {}, MEXTAL_HANDSET_ERROR, ""},
        {"OkWithoutModel", {kOk}, {}, MEXTAL_UNEXPECTED_ANSWER, ""},
        {"Silent", {}, {}, LINK_TIMEOUT, ""},
        {"CommaOutsideQuotes", {"\r\nZEKO,6W\r\n"}, {}, PARSE_BAD_FIELDS, ""},
        {"EmptyLine", {"\r\n\r\n"}, {}, PARSE_BAD_FIELDS, ""},
        {"FinalRefused", {kModelLine}, {kError}, MEXTAL_HANDSET_ERROR, "ZEKO6W"},
        {"FinalOdd", {kModelLine}, {"$FSQA: 1,0,0,0\r\n"}, MEXTAL_UNEXPECTED_ANSWER, "ZEKO6W"},
        {"FinalGarbage", {kModelLine}, {"junk\r\n"}, PARSE_UNRECOGNISED, "ZEKO6W"},
        {"FinalSilent", {kModelLine}, {}, LINK_TIMEOUT, "ZEKO6W"},
        {"CommaInQuotes", {"\"ZEKO,6W\"\r\n"}, {kOk}, MEXTAL_OK, "\"ZEKO,6W\""},
    };
    for (const QueryCase& c : cases) {
        HandsetHarness h;
        ScriptPhone(h);
        Strings answer = c.informationAnswer;
        answer.insert(answer.end(), c.finalAnswer.begin(), c.finalAnswer.end());
        h.port.On("AT+CGMM\r", answer);
        char model[32];
        std::memset(model, 'Z', sizeof model);
        EXPECT_EQ(c.result, h.api.QueryModel(&h.settings, model, sizeof model)) << c.name;
        EXPECT_EQ(c.model, std::string(model)) << c.name;
    }
}

TEST(QueryImei, FieldCountErrorsLeaveBufferZero) {
    for (std::string line : {"352099001761481\r\n", "IMEI: 1,SN: 2,X: 3\r\n", "IMEI: 1,\r\n"}) {
        HandsetHarness h;
        ScriptPhone(h);
        h.port.On("AT+CGSN\r", {line, kOk});
        char imei[32];
        std::memset(imei, 'Z', sizeof imei);
        EXPECT_EQ(PARSE_BAD_FIELDS, h.api.QueryImei(&h.settings, imei, sizeof imei)) << line;
        EXPECT_TRUE(AllZero(imei, sizeof imei)) << line;
    }
}

TEST(QueryModel, ZeroesBufferEvenWhenHandshakeFails) {
    HandsetHarness h;
    char model[16];
    std::memset(model, 'Z', sizeof model);
    EXPECT_EQ(LINK_TIMEOUT, h.api.QueryModel(&h.settings, model, sizeof model));
    EXPECT_TRUE(AllZero(model, sizeof model));
}

TEST(QueryModel, ArgumentAndPortChecks) {
    HandsetHarness h;
    ScriptPhone(h);
    char model[16];
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.QueryModel(&h.settings, nullptr, sizeof model));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.QueryModel(&h.settings, model, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.QueryImei(nullptr, model, sizeof model));
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.QueryModel(&h.missingPort, model, sizeof model));
    h.port.configureResult = LINK_NOT_OPEN;
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.QueryImei(&h.settings, model, sizeof model));
    EXPECT_TRUE(h.port.written.empty());

    HandsetHarness noParser(nullptr);
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, noParser.api.QueryModel(&noParser.settings, model, sizeof model));
}

TEST(DetectHandSetModel, ResetsAndReadsBothTexts) {
    HandsetHarness h;
    ScriptPhone(h);
    char model[128];
    char imei[128];
    ASSERT_EQ(MEXTAL_OK, h.api.DetectHandSetModel(&h.settings, 4, 2000, model, sizeof model, imei, sizeof imei));
    EXPECT_STREQ("ZEKO6W", model);
    EXPECT_STREQ("352099001761481", imei);
    EXPECT_EQ((Strings{"ATZ\r", "ATE0\r", "AT+CGMM\r", "AT+CGSN\r"}), h.port.written);
    EXPECT_EQ(1, h.port.configureCalls);
}

TEST(DetectHandSetModel, ZeroAttemptsTriesAtzOnce) {
    HandsetHarness h;
    char model[16];
    char imei[16];
    EXPECT_EQ(LINK_TIMEOUT, h.api.DetectHandSetModel(&h.settings, 0, 1500, model, sizeof model, imei, sizeof imei));
    EXPECT_EQ((Strings{"ATZ\r"}), h.port.written);
    EXPECT_EQ((Timeouts{1500}), h.port.readTimeouts);
}

TEST(DetectHandSetModel, StopsAtFirstFailureKeepingWhatWasRead) {
    HandsetHarness h;
    ScriptPhone(h);
    h.port.On("AT+CGSN\r", {"352099001761481\r\n", kOk});
    char model[16];
    char imei[16];
    std::memset(imei, 'Z', sizeof imei);
    EXPECT_EQ(PARSE_BAD_FIELDS, h.api.DetectHandSetModel(&h.settings, 1, 2000, model, sizeof model, imei, sizeof imei));
    EXPECT_STREQ("ZEKO6W", model);
    EXPECT_TRUE(AllZero(imei, sizeof imei));

    HandsetHarness refusing;
    ScriptPhone(refusing);
    refusing.port.On("AT+CGMM\r", {kError});
    EXPECT_EQ(MEXTAL_HANDSET_ERROR,
              refusing.api.DetectHandSetModel(&refusing.settings, 1, 2000, model, sizeof model, imei, sizeof imei));
    EXPECT_EQ(0u, refusing.port.CountWritten("AT+CGSN\r"));
}

TEST(DetectHandSetModel, ArgumentChecks) {
    HandsetHarness h;
    char model[16];
    char imei[16];
    const PortSettings* s = &h.settings;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.DetectHandSetModel(s, 1, 2000, nullptr, 16, imei, 16));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.DetectHandSetModel(s, 1, 2000, model, 0, imei, 16));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.DetectHandSetModel(s, 1, 2000, model, 16, nullptr, 16));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.DetectHandSetModel(s, 1, 2000, model, 16, imei, 0));
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.DetectHandSetModel(&h.missingPort, 1, 2000, model, 16, imei, 16));
    EXPECT_TRUE(h.port.written.empty());
}

TEST(SetMsFlowControl, SendsModeUnchanged) {
    for (int32_t mode : {0, 1, 2, 7, -1}) {
        HandsetHarness h;
        ScriptPhone(h);
        h.port.On("AT+IFC=" + std::to_string(mode) + "\r", {kOk});
        EXPECT_EQ(MEXTAL_OK, h.api.SetMsFlowControl(&h.settings, mode)) << mode;
        EXPECT_EQ((Strings{"AT\r", "ATE0\r", "AT+IFC=" + std::to_string(mode) + "\r"}), h.port.written);
    }
}

struct FlowCase {
    const char* name;
    Strings answer;
    int32_t result;
};

TEST(SetMsFlowControl, AnswerCodes) {
    const std::vector<FlowCase> cases = {
        {"Refused", {kError}, MEXTAL_HANDSET_ERROR},
        {"HandsetErrorsReadPast", {"$FSERROR: 5\r\n", "$FSERROR: 6\r\n", kOk}, MEXTAL_OK},
        {"HandsetErrorWithoutColon", {"$FSERROR 5\r\n", kOk}, PARSE_NO_COLON},
        {"HandsetErrorsWithoutEnd", Strings(10000, "$FSERROR: 5\r\n"), MEXTAL_UNEXPECTED_ANSWER},
        {"OddAnswer", {"LIST: 3\r\n"}, MEXTAL_UNEXPECTED_ANSWER},
        {"Silent", {}, LINK_TIMEOUT},
    };
    for (const FlowCase& c : cases) {
        HandsetHarness h;
        ScriptPhone(h);
        h.port.On("AT+IFC=2\r", c.answer);
        EXPECT_EQ(c.result, h.api.SetMsFlowControl(&h.settings, 2)) << c.name;
    }
}

TEST(SetMsFlowControl, PortAndHandshakeFailures) {
    HandsetHarness h;
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.SetMsFlowControl(&h.missingPort, 2));
    EXPECT_EQ(LINK_TIMEOUT, h.api.SetMsFlowControl(&h.settings, 2));
    EXPECT_EQ(0u, h.port.CountWritten("AT+IFC=2\r"));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.SetMsFlowControl(nullptr, 2));

    HandsetHarness noParser(nullptr);
    EXPECT_EQ(MEXTAL_NO_PARSER, noParser.api.SetMsFlowControl(&noParser.settings, 2));
}

}  // namespace

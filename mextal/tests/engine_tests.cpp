#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "handset_harness.h"

namespace {

using mextal::test::HandsetHarness;
using mextal::test::ProgressMessage;
using testing::ElementsAre;
using Strings = std::vector<std::string>;
using Timeouts = std::vector<uint32_t>;

HandsetWindow const kWindow = reinterpret_cast<HandsetWindow>(0x1234);

TEST(Handshake, ThreeSilentTriesReadThreeTimesWithHandshakeTimeout) {
    HandsetHarness h;
    EXPECT_EQ(LINK_TIMEOUT, h.api.Handshake(&h.settings, true));
    EXPECT_EQ((Strings{"AT\r", "AT\r", "AT\r"}), h.port.written);
    EXPECT_EQ((Timeouts{2000, 2000, 2000}), h.port.readTimeouts);
    EXPECT_EQ(3, h.port.configureCalls);
}

TEST(Handshake, SkipsEchoesAndSwitchesEchoOff) {
    HandsetHarness h;
    h.port.On("AT\r", {"AT\r\r\n", "\r\nOK\r\n"});
    h.port.On("ATE0\r", {"ATE0\r\r\n", "\r\nOK\r\n"});
    EXPECT_EQ(MEXTAL_OK, h.api.Handshake(&h.settings, false));
    EXPECT_EQ((Strings{"AT\r", "ATE0\r"}), h.port.written);
    EXPECT_EQ((Timeouts{2000, 2000, 10000, 10000}), h.port.readTimeouts);
    EXPECT_EQ(0, h.port.configureCalls);
}

TEST(Handshake, RetriesUntilOk) {
    HandsetHarness h;
    h.port.On("AT\r", {"\r\nERROR\r\n"});
    h.port.Then("AT\r", {"\r\nOK\r\n"});
    h.port.On("ATE0\r", {"\r\nOK\r\n"});
    EXPECT_EQ(MEXTAL_OK, h.api.Handshake(&h.settings, true));
    EXPECT_EQ((Strings{"AT\r", "AT\r", "ATE0\r"}), h.port.written);
}

struct AnswerCase {
    const char* name;
    Strings atAnswer;
    Strings echoOffAnswer;
    int32_t result;
};

TEST(Handshake, MapsAnswersToResultCodes) {
    const std::vector<AnswerCase> cases = {
        {"EchoOffRefused", {"OK\r\n"}, {"ERROR\r\n"}, MEXTAL_HANDSET_ERROR},
        {"EchoOffOdd", {"OK\r\n"}, {"$FSRF: 1,0\r\n"}, MEXTAL_UNEXPECTED_ANSWER},
        {"EchoOffSilent", {"OK\r\n"}, {}, LINK_TIMEOUT},
        {"EchoOffGarbage", {"OK\r\n"}, {"abc\r\n"}, PARSE_UNRECOGNISED},
        {"AtRefusedEveryTime", {"ERROR\r\n"}, {"OK\r\n"}, MEXTAL_HANDSET_ERROR},
        {"AtOdd", {"INFO: 2,0,1,1\r\n"}, {"OK\r\n"}, MEXTAL_UNEXPECTED_ANSWER},
        {"AtEchoThenSilence", {"AT\r\r\n"}, {"OK\r\n"}, LINK_TIMEOUT},
    };
    for (const AnswerCase& c : cases) {
        HandsetHarness h;
        h.port.On("AT\r", c.atAnswer);
        h.port.On("ATE0\r", c.echoOffAnswer);
        EXPECT_EQ(c.result, h.api.Handshake(&h.settings, true)) << c.name;
    }
}

Strings Repeated(const std::string& chunk, int times, const std::string& last) {
    Strings chunks(static_cast<size_t>(times), chunk);
    if (!last.empty()) chunks.push_back(last);
    return chunks;
}

struct EchoFloodCase {
    const char* name;
    int echoes;
    int32_t result;
};

// A handset that keeps repeating its echo must not hold the operation for
// ever: a bounded number of echoes is read past, then the answer is taken as
// unexpected and the try ends.
TEST(Handshake, ReadsPastABoundedNumberOfEchoes) {
    const std::vector<EchoFloodCase> cases = {
        {"AsManyAsAllowed", kMaxAnswersPassedOver, MEXTAL_OK},
        {"OneTooMany", kMaxAnswersPassedOver + 1, MEXTAL_UNEXPECTED_ANSWER},
        {"Endless", 10000, MEXTAL_UNEXPECTED_ANSWER},
    };
    for (const EchoFloodCase& c : cases) {
        HandsetHarness h;
        h.port.On("AT\r", Repeated("AT\r\r\n", c.echoes, "\r\nOK\r\n"));
        h.port.On("ATE0\r", Repeated("ATE0\r\r\n", c.echoes, "\r\nOK\r\n"));
        EXPECT_EQ(c.result, h.api.Handshake(&h.settings, true)) << c.name;
        size_t readsPerTry = static_cast<size_t>(kMaxAnswersPassedOver) + 1;
        EXPECT_LE(h.port.readTimeouts.size(), 3 * readsPerTry + readsPerTry) << c.name;
    }
}

TEST(Handshake, ReturnsCodeOfLastFailedAttempt) {
    HandsetHarness h;
    h.port.On("AT\r", {"ERROR\r\n"});
    h.port.Then("AT\r", {"ERROR\r\n"});
    h.port.Then("AT\r", {"INFO: 2,0,1,1\r\n"});
    EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, h.api.Handshake(&h.settings, true));
    EXPECT_EQ(0u, h.port.CountWritten("ATE0\r"));
}

TEST(Handshake, FollowsRetrySettings) {
    HandsetHarness h;
    h.api.SetRetryInfo(2, 500);
    EXPECT_EQ(LINK_TIMEOUT, h.api.Handshake(&h.settings, true));
    EXPECT_EQ((Timeouts{500, 500}), h.port.readTimeouts);
}

TEST(Handshake, NoAttemptsGoesStraightToEchoOff) {
    HandsetHarness h;
    h.ScriptPoliteHandshake();
    h.api.SetRetryInfo(0, 2000);
    EXPECT_EQ(MEXTAL_OK, h.api.Handshake(&h.settings, true));
    EXPECT_EQ((Strings{"ATE0\r"}), h.port.written);
}

TEST(Handshake, ReconfigureFailureMakesAttemptFail) {
    HandsetHarness h;
    h.ScriptPoliteHandshake();
    h.port.configureResult = LINK_NOT_OPEN;
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.Handshake(&h.settings, true));
    EXPECT_TRUE(h.port.written.empty());
    EXPECT_EQ(3, h.port.configureCalls);
}

TEST(Handshake, WriteFailureIsPassedOn) {
    HandsetHarness h;
    h.ScriptPoliteHandshake();
    h.port.writeFailure = LINK_WRITE_FAILED;
    EXPECT_EQ(LINK_WRITE_FAILED, h.api.Handshake(&h.settings, true));
    EXPECT_TRUE(h.port.readTimeouts.empty());
}

TEST(Handshake, WithoutParserOrPortFails) {
    HandsetHarness noParser(nullptr);
    EXPECT_EQ(MEXTAL_NO_PARSER, noParser.api.Handshake(&noParser.settings, true));
    HandsetHarness h;
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.Handshake(&h.missingPort, false));
}

TEST(ResetHandshake, ZeroAttemptsTriesAtzOnceWithCallerTimeout) {
    HandsetHarness h;
    EXPECT_EQ(LINK_TIMEOUT, h.api.ResetHandshake(&h.settings, 0, 700));
    EXPECT_EQ((Strings{"ATZ\r"}), h.port.written);
    EXPECT_EQ((Timeouts{700}), h.port.readTimeouts);
    EXPECT_EQ(0, h.port.configureCalls);
}

TEST(ResetHandshake, TriesAttemptsPlusOneTimes) {
    HandsetHarness h;
    EXPECT_EQ(LINK_TIMEOUT, h.api.ResetHandshake(&h.settings, 4, 2000));
    EXPECT_EQ(5u, h.port.CountWritten("ATZ\r"));
}

TEST(ResetHandshake, NegativeArgumentsCountAsZero) {
    HandsetHarness h;
    EXPECT_EQ(LINK_TIMEOUT, h.api.ResetHandshake(&h.settings, -5, -100));
    EXPECT_EQ((Timeouts{0}), h.port.readTimeouts);
}

TEST(ResetHandshake, LargestAttemptCountDoesNotOverflow) {
    HandsetHarness h;
    h.port.On("ATZ\r", {"ATZ\r\r\n", "OK\r\n"});
    h.port.On("ATE0\r", {"ATE0\r\r\n", "OK\r\n"});
    EXPECT_EQ(MEXTAL_OK, h.api.ResetHandshake(&h.settings, INT_MAX, 2000));
    EXPECT_EQ((Strings{"ATZ\r", "ATE0\r"}), h.port.written);
    EXPECT_EQ((Timeouts{2000, 2000, 10000, 10000}), h.port.readTimeouts);
}

TEST(ResetHandshake, EchoOffRefusedGivesHandsetError) {
    HandsetHarness h;
    h.port.On("ATZ\r", {"OK\r\n"});
    h.port.On("ATE0\r", {"ERROR\r\n"});
    EXPECT_EQ(MEXTAL_HANDSET_ERROR, h.api.ResetHandshake(&h.settings, 1, 2000));
}

TEST(SendRequest, IdWithoutBuilderSendsNothing) {
    HandsetHarness h;
    AtRequest request{};
    request.id = AT_CMD_QKVCARDR;
    EXPECT_EQ(PARSE_NO_HANDLER, h.api.SendRequest(&h.settings, request));
    EXPECT_TRUE(h.port.written.empty());
}

TEST(SendRaw, SendsPiecesAndReportsEachOne) {
    HandsetHarness h;
    h.api.RegisterUI(kWindow);
    std::string payload(5000, 'p');
    EXPECT_EQ(MEXTAL_OK, h.api.SendRaw(&h.settings, payload.data(), static_cast<uint32_t>(payload.size())));
    EXPECT_EQ((Strings{std::string(2048, 'p'), std::string(2048, 'p'), std::string(904, 'p')}), h.port.written);
    EXPECT_THAT(h.progress, ElementsAre(ProgressMessage{kWindow, MEXTAL_MSG_SENT_PIECE, 2048},
                                        ProgressMessage{kWindow, MEXTAL_MSG_SENT_PIECE, 2048},
                                        ProgressMessage{kWindow, MEXTAL_MSG_SENT_PIECE, 904}));
}

TEST(SendRaw, StopsAtFirstFailingPiece) {
    HandsetHarness h;
    h.api.RegisterUI(kWindow);
    h.port.writeFailure = LINK_WRITE_FAILED;
    h.port.failingWrite = 1;
    std::string payload(5000, 'p');
    EXPECT_EQ(LINK_WRITE_FAILED, h.api.SendRaw(&h.settings, payload.data(), static_cast<uint32_t>(payload.size())));
    EXPECT_EQ(2u, h.port.written.size());
    EXPECT_EQ(1u, h.progress.size());
}

TEST(SendRaw, NothingReportedWithoutRegisteredWindow) {
    HandsetHarness h;
    std::string payload(10, 'p');
    EXPECT_EQ(MEXTAL_OK, h.api.SendRaw(&h.settings, payload.data(), static_cast<uint32_t>(payload.size())));
    h.api.RegisterUI(kWindow);
    h.api.RegisterUI(nullptr);
    EXPECT_EQ(MEXTAL_OK, h.api.SendRaw(&h.settings, payload.data(), static_cast<uint32_t>(payload.size())));
    EXPECT_TRUE(h.progress.empty());
}

TEST(ReceiveResponse, PassesLinkErrorAndUsesGivenTimeout) {
    HandsetHarness h;
    AtResponse response{};
    EXPECT_EQ(LINK_TIMEOUT, h.api.ReceiveResponse(&h.settings, &response, 1234));
    EXPECT_EQ((Timeouts{1234}), h.port.readTimeouts);
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.ReceiveResponse(&h.missingPort, &response, 1234));
}

TEST(ReceiveResponse, ClassifiesFullChunkWithoutTerminator) {
    HandsetHarness h;
    h.port.Queue({std::string(kReceiveBufferBytes - 2, 'x') + "OK"});
    AtResponse response{};
    EXPECT_EQ(MEXTAL_OK, h.api.ReceiveResponse(&h.settings, &response, 10));
    EXPECT_EQ(AT_RSP_OK, response.id);
}

TEST(ReceiveRaw, CopiesChunksUntilTotalAndReportsEach) {
    HandsetHarness h;
    h.api.RegisterUI(kWindow);
    h.port.Queue({"abcd", "efgh", "ij"});
    char destination[10] = {};
    AtResponse response{};
    EXPECT_EQ(MEXTAL_OK, h.api.ReceiveRaw(&h.settings, &response, destination, sizeof destination, 300));
    EXPECT_EQ("abcdefghij", std::string(destination, sizeof destination));
    EXPECT_EQ(AT_RSP_RAW_DATA, response.id);
    EXPECT_EQ((Timeouts{300, 300, 300}), h.port.readTimeouts);
    EXPECT_THAT(h.progress, ElementsAre(ProgressMessage{kWindow, MEXTAL_MSG_RECEIVED_PIECE, 4},
                                        ProgressMessage{kWindow, MEXTAL_MSG_RECEIVED_PIECE, 4},
                                        ProgressMessage{kWindow, MEXTAL_MSG_RECEIVED_PIECE, 2}));
}

TEST(ReceiveRaw, ClassifiesBytesBeyondTotal) {
    HandsetHarness h;
    h.api.RegisterUI(kWindow);
    h.port.Queue({"abcd", "ef\r\nOK\r\n"});
    char destination[8] = {};
    AtResponse response{};
    EXPECT_EQ(MEXTAL_OK, h.api.ReceiveRaw(&h.settings, &response, destination, 6, 300));
    EXPECT_EQ("abcdef", std::string(destination, 6));
    EXPECT_EQ(AT_RSP_OK, response.id);
    EXPECT_EQ(0, destination[6]);
    EXPECT_EQ(6u, h.progress.at(0).bytes + h.progress.at(1).bytes);
}

TEST(ReceiveRaw, StopsOnLinkError) {
    HandsetHarness h;
    h.port.Queue({"abcd"});
    char destination[10] = {};
    AtResponse response{};
    EXPECT_EQ(LINK_TIMEOUT, h.api.ReceiveRaw(&h.settings, &response, destination, sizeof destination, 300));
    EXPECT_EQ(AT_RSP_RAW_DATA, response.id);
}

TEST(ReceiveRaw, ZeroTotalReadsNothing) {
    HandsetHarness h;
    AtResponse response{};
    EXPECT_EQ(MEXTAL_OK, h.api.ReceiveRaw(&h.settings, &response, nullptr, 0, 300));
    EXPECT_TRUE(h.port.readTimeouts.empty());
}

struct BlockCase {
    const char* name;
    Strings chunks;
    std::string block;
    size_t reads;
};

TEST(ReceiveBlock, CollectsUntilWholeLineAndCutsLineEnds) {
    const std::string full(kReceiveBufferBytes, 'x');
    const std::string fullLine = std::string(kReceiveBufferBytes - 2, 'y') + "\r\n";
    const std::vector<BlockCase> cases = {
        {"ShortLine", {"abc\r\n", "next\r\n"}, "abc", 1},
        {"LongLineInPieces", {full, full, "tail\r\n", "next\r\n"}, full + full + "tail", 3},
        {"FullPieceEndingInLineEnd", {fullLine, "next\r\n"}, std::string(kReceiveBufferBytes - 2, 'y'), 1},
        {"TinyChunksDoNotEnd", {"a", "\r\n", "bcd\r\n"}, "a\r\nbcd", 3},
        {"ReadErrorEndsEarly", {full}, full, 2},
        {"NothingArrives", {}, "", 1},
    };
    for (const BlockCase& c : cases) {
        HandsetHarness h;
        h.port.Queue(c.chunks);
        char* block = nullptr;
        uint32_t length = 99;
        ASSERT_EQ(MEXTAL_OK, h.api.ReceiveBlock(&h.settings, &block, &length, 60000)) << c.name;
        ASSERT_NE(nullptr, block) << c.name;
        EXPECT_EQ(c.block, std::string(block, length)) << c.name;
        EXPECT_EQ('\0', block[length]) << c.name;
        EXPECT_EQ(c.reads, h.port.readTimeouts.size()) << c.name;
        EXPECT_EQ(MEXTAL_OK, h.api.FreeRecvMem(&block));
        EXPECT_EQ(nullptr, block);
    }
}

TEST(ReceiveBlock, GrowsPastSeveralSteps) {
    HandsetHarness h;
    const std::string full(kReceiveBufferBytes, 'x');
    for (int i = 0; i < 9; ++i) h.port.Queue({full});
    h.port.Queue({"end\r\n"});
    char* block = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(MEXTAL_OK, h.api.ReceiveBlock(&h.settings, &block, &length, 100));
    EXPECT_EQ(9 * kReceiveBufferBytes + 3, length);
    EXPECT_EQ("end", std::string(block + length - 3));
    h.api.FreeRecvMem(&block);
}

// A block may hold a listing of the largest size and its line end, no more; a
// handset that never ends its line is cut off as soon as the block passes it.
TEST(ReceiveBlock, RefusesBlocksBeyondTheListingLimit) {
    const std::string full(kReceiveBufferBytes, 'x');
    const size_t fullChunks = kMostListingBytes / kReceiveBufferBytes;
    // Two bytes alone do not end a block, so the last piece may be a full one.
    Strings atLimit(fullChunks - 1, full);
    atLimit.push_back("xx");
    atLimit.push_back(std::string(kReceiveBufferBytes - 2, 'x') + "\r\n");
    Strings overLimit(fullChunks, full);
    overLimit.push_back("y\r\n");
    const struct {
        const char* name;
        Strings chunks;
        int32_t result;
        uint32_t length;
    } cases[] = {
        {"AtLimit", atLimit, MEXTAL_OK, kMostListingBytes},
        {"OneByteOver", overLimit, MEXTAL_UNEXPECTED_ANSWER, 0},
        {"NeverEndingLine", Strings(2 * fullChunks, full), MEXTAL_UNEXPECTED_ANSWER, 0},
    };
    for (const auto& c : cases) {
        HandsetHarness h;
        h.port.Queue(c.chunks);
        char* block = nullptr;
        uint32_t length = 99;
        EXPECT_EQ(c.result, h.api.ReceiveBlock(&h.settings, &block, &length, 60000)) << c.name;
        EXPECT_EQ(c.length, length) << c.name;
        EXPECT_EQ(c.result != MEXTAL_OK, block == nullptr) << c.name;
        EXPECT_LE(h.port.readTimeouts.size(), fullChunks + 1) << c.name;
        h.api.FreeRecvMem(&block);
    }
}

TEST(ReceiveBlock, MissingOutputsOrPort) {
    HandsetHarness h;
    char* block = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.ReceiveBlock(&h.settings, nullptr, &length, 100));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.ReceiveBlock(&h.settings, &block, nullptr, 100));
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, h.api.ReceiveBlock(&h.missingPort, &block, &length, 100));
}

TEST(Settings, DefaultsAndChanges) {
    HandsetHarness h;
    int32_t count = 0;
    int32_t timeout = 0;
    ASSERT_EQ(MEXTAL_OK, h.api.GetRetryCnt(&count, &timeout));
    EXPECT_EQ(3, count);
    EXPECT_EQ(2000, timeout);
    ASSERT_EQ(MEXTAL_OK, h.api.GetWaitResTime(&timeout));
    EXPECT_EQ(10000, timeout);
    ASSERT_EQ(MEXTAL_OK, h.api.GetSecondWaitResTime(&timeout));
    EXPECT_EQ(15000, timeout);
    h.api.SetSecondWaitResTime(100);
    h.api.GetSecondWaitResTime(&timeout);
    EXPECT_EQ(100, timeout);
    h.api.GetWaitResTime(&timeout);
    EXPECT_EQ(10000, timeout);
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, h.api.GetSecondWaitResTime(nullptr));
}

using mextal::test::SetEnvironment;

TEST(FirstListAnswerTimeout, ModelValueOrResponseTimeout) {
    HandsetHarness noAgent;
    noAgent.api.SetWaitResTime(4321);
    EXPECT_EQ(4321, noAgent.api.FirstListAnswerTimeoutMs());

    HandsetHarness withAgent(std::make_unique<CAtResponseParser>(), GetModelAgent());
    withAgent.api.SetWaitResTime(4321);
    SetEnvironment("MODQUAR_AT_WAIT_TIMEOUT", "2500");
    EXPECT_EQ(2500, withAgent.api.FirstListAnswerTimeoutMs());
    SetEnvironment("MODQUAR_AT_WAIT_TIMEOUT", "-1");
    EXPECT_EQ(4321, withAgent.api.FirstListAnswerTimeoutMs());
    SetEnvironment("MODQUAR_AT_WAIT_TIMEOUT", nullptr);
}

}  // namespace

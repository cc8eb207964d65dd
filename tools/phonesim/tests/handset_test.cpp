#include "handset.h"

#include <gtest/gtest.h>
#include <regex>

#include "handset_play.h"

namespace phonesim {
namespace {

using testing::kEchoOff;
using testing::kError;
using testing::kOk;
using testing::Options;
using testing::Play;
using testing::Table;

struct WireCase {
    const char* name;
    std::vector<std::string> options;
    std::string input;
    std::string output;
};

const WireCase kCases[] = {
    {"AtEchoedThenOk", {}, "AT\r", "AT\r" + kOk},
    {"CrLfLikeCr", {}, "AT\r\n", "AT\r" + kOk},
    {"EmptyLinesIgnored", {}, "\r\r\n", ""},
    {"EchoOffStopsEcho", {}, "ATE0\rAT\r", kEchoOff + kOk},
    {"AtzTurnsEchoBackOn", {}, "ATE0\rATZ\rAT\r", kEchoOff + kOk + "AT\r" + kOk},
    {"Ate1TurnsEchoBackOn", {}, "ATE0\rATE1\rAT\r", kEchoOff + kOk + "AT\r" + kOk},
    {"ModelLine", {}, "ATE0\rAT+CGMM\r", kEchoOff + "\r\nZEKO6W\r\n" + kOk},
    {"ModelOption", {"--model", "K 750i"}, "ATE0\rAT+CGMM\r", kEchoOff + "\r\nK 750i\r\n" + kOk},
    {"LowerCaseCommand", {}, "at+cgmm\r", "at+cgmm\r\r\nZEKO6W\r\n" + kOk},
    {"ModelTestForm", {}, "ATE0\rAT+CGMM=?\r", kEchoOff + kOk},
    {"ModelWithArgument", {}, "ATE0\rAT+CGMM=1\r", kEchoOff + kError},
    {"ImeiLabelled", {"--sn", "SN77"}, "ATE0\rAT+CGSN\r", kEchoOff + "\r\nIMEI: 352099001761481,SN: SN77\r\n" + kOk},
    {"ImeiSingle",
     {"--imei-format", "single", "--imei", "490154203237518"},
     "ATE0\rAT+CGSN\r",
     kEchoOff + "\r\n490154203237518\r\n" + kOk},
    {"UnknownCommand", {}, "AT+FOO\r", "AT+FOO\r" + kError},
    {"NotACommand", {}, "hello\r", "hello\r" + kError},
    {"SilentCommand", {"--silent", "AT+CGSN"}, "ATE0\rAT+CGSN\rAT\r", kEchoOff + kOk},
    {"SilentIsCaseBlind", {"--silent", "at+cgsn"}, "ATE0\rAT+CGSN\r", kEchoOff},
    {"SilentAll", {"--silent", "all"}, "ATZ\rAT\rAT+CGMM\r", ""},
    {"ErrorList", {"--error", "ATZ,AT+CGMM"}, "ATZ\rATE0\rAT+CGMM\rAT\r", "ATZ\r" + kError + kEchoOff + kError + kOk},
    {"ErrorAll", {"--error", "all"}, "AT\r", "AT\r" + kError},
    {"ErrorListLeavesEchoOn", {"--error", "ATE0"}, "ATE0\rAT\r", "ATE0\r" + kError + "AT\r" + kOk},
    {"FlowControlModes", {}, "ATE0\rAT+IFC=2\rAT+IFC=2,2\rAT+IFC?\r", kEchoOff + kOk + kOk + "\r\n+IFC: 2,2\r\n" + kOk},
    {"FlowControlTestForm", {}, "ATE0\rAT+IFC=?\r", kEchoOff + "\r\n+IFC: (0-2),(0-2)\r\n" + kOk},
    {"FlowControlBadMode", {}, "ATE0\rAT+IFC=3\rAT+IFC=\rAT+IFC=1,\r", kEchoOff + kError + kError + kError},
    {"ImeiChangesAfterN",
     {"--second-imei", "999", "--imei-change-after", "2", "--imei-format", "single"},
     "ATE0\rAT+CGSN\rAT+CGSN\r",
     kEchoOff + "\r\n352099001761481\r\n" + kOk + "\r\n999\r\n" + kOk},
    {"EscapedOutputAfterIfc1",
     {"--model", "A\x11}\x13"},
     "ATE0\rAT+IFC=1\rAT+CGMM\r",
     kEchoOff + kOk + "\r\nA}1}]}3\r\n" + kOk},
    {"EscapedEchoAfterIfc1", {}, "AT+IFC=1\rAT+X}1}]\r", "AT+IFC=1\r" + kOk + "AT+X}1}]\r" + kError},
    {"EscapingOffAfterIfc0",
     {"--model", "A\x11"},
     "ATE0\rAT+IFC=1\rAT+IFC=0\rAT+CGMM\r",
     kEchoOff + kOk + kOk + "\r\nA\x11\r\n" + kOk},
    {"EscapedEscapeByteStaysInTheCommand", {}, "AT+IFC=1\rAT}]\r", "AT+IFC=1\r" + kOk + "AT}]\r" + kError},
};

TEST(PhonesimHandset, AnswersOnTheWire) {
    for (const WireCase& c : kCases) {
        Handset handset(Options(c.options), Table());
        EXPECT_EQ(Play(handset, c.input), c.output) << c.name;
    }
}

TEST(PhonesimHandset, SameOutputWhereverAReadBoundaryFalls) {
    for (const WireCase& c : kCases) {
        for (size_t cut = 0; cut <= c.input.size(); ++cut) {
            Handset handset(Options(c.options), Table());
            std::string out = Play(handset, std::string_view(c.input).substr(0, cut));
            out += Play(handset, std::string_view(c.input).substr(cut));
            EXPECT_EQ(out, c.output) << c.name << " cut at " << cut;
        }
    }
}

TEST(PhonesimHandset, EscapedInputIsDecodedBeforeLogging) {
    Handset handset(Options({}), Table());
    Play(handset, "AT+IFC=1\rAT}1}3}]\rAT+IFC=0\rAT}1\r");
    std::deque<std::string> expected = {"AT+IFC=1", "AT\x11\x13}", "AT+IFC=0", "AT}1"};
    EXPECT_EQ(handset.Commands(), expected);
}

TEST(PhonesimHandset, GarbageLineComesBeforeEveryAnswerButNotBeforeTheEcho) {
    Handset handset(Options({"--garbage"}), Table());
    std::string out = Play(handset, "AT\rAT+CGMM\r");
    std::regex shape(
        "AT\r\r\n([a-z0-9#%&*\\-./;<=>?@_~]{8,24})\r\n\r\nOK\r\n"
        "AT\\+CGMM\r\r\n([a-z0-9#%&*\\-./;<=>?@_~]{8,24})\r\n\r\nZEKO6W\r\n\r\nOK\r\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(out, match, shape)) << ::testing::PrintToString(out);
    EXPECT_NE(match[1].str(), match[2].str());
}

TEST(PhonesimHandset, SilentCommandsAreStillLoggedAndCounted) {
    Handset handset(Options({"--silent", "all", "--hangup-after", "2"}), Table());
    std::vector<Reply> replies = handset.Receive("AT\rAT+CGSN\r", TimePoint());
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_TRUE(replies[1].hangUp);
    EXPECT_EQ(handset.Commands(), (std::deque<std::string>{"AT", "AT+CGSN"}));
}

TEST(PhonesimHandset, HangupAfterN_PullsTheCableOnceAndIgnoresTheRestUntilReconnected) {
    Handset handset(Options({"--hangup-after", "2"}), Table());
    std::vector<Reply> replies = handset.Receive("ATE0\rAT\rAT+CGMM\r", TimePoint());
    ASSERT_EQ(replies.size(), 2u) << "input after the hang-up command is not taken";
    EXPECT_FALSE(replies[0].hangUp);
    EXPECT_TRUE(replies[1].hangUp);
    EXPECT_EQ(replies[1].answer, kOk) << "the last command is still answered";
    EXPECT_TRUE(handset.Receive("AT\r", TimePoint()).empty());

    handset.Reconnect();
    replies = handset.Receive("AT\rAT\r", TimePoint());
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_FALSE(replies[0].hangUp || replies[1].hangUp);
    EXPECT_EQ(replies[0].echo, "") << "settings survive the reconnection";
}

TEST(PhonesimHandset, Reconnect_ForgetsAHalfReceivedLine) {
    Handset handset(Options({}), Table());
    EXPECT_TRUE(handset.Receive("AT+CG", TimePoint()).empty());
    handset.Reconnect();
    EXPECT_EQ(Play(handset, "AT\r"), "AT\r" + kOk);
}

TEST(PhonesimHandset, OverlongCommandLine_IsAnsweredWithError) {
    Handset handset(Options({}), Table());
    std::vector<Reply> replies = handset.Receive("AT" + std::string(kMaxCommandLine, '1') + "\r", TimePoint());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].answer, kError);
}

TEST(PhonesimHandset, CommandLog_KeepsTheNewestLines) {
    Handset handset(Options({"--silent", "all"}), Table());
    std::string input;
    for (size_t i = 0; i < kMaxLoggedCommands + 5; ++i) input += "AT" + std::to_string(i) + "\r";
    handset.Receive(input, TimePoint());
    ASSERT_EQ(handset.Commands().size(), kMaxLoggedCommands);
    EXPECT_EQ(handset.Commands().front(), "AT5");
    EXPECT_EQ(handset.Commands().back(), "AT" + std::to_string(kMaxLoggedCommands + 4));
}

}  // namespace
}  // namespace phonesim

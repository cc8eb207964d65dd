// The simulator program seen from the PC side of its pty: every answer and every
// fault mode checked byte by byte.
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

#include "pc_port.h"
#include "simulated_phone.h"

namespace phonesim {
namespace {

using ravelin::test::SimulatedPhone;
using testing::LinkPath;
using testing::PcPort;
using Clock = std::chrono::steady_clock;

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kEchoOff = "ATE0\r" + kOk;
constexpr int kQuietMs = 300;

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

bool Exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

struct WireCase {
    const char* name;
    const char* options;
    std::string input;
    std::string output;
};

TEST(PhonesimWire, AnswersLikeAHandset) {
    const WireCase cases[] = {
        {"EchoOn", "", "AT\r", "AT\r" + kOk},
        {"EchoOff", "", "ATE0\rAT\r", kEchoOff + kOk},
        {"ResetEchoesAgain", "", "ATE0\rATZ\rAT\r", kEchoOff + kOk + "AT\r" + kOk},
        {"Model", "--model \"Big One\"", "ATE0\rAT+CGMM\r", kEchoOff + "\r\nBig One\r\n" + kOk},
        {"ImeiLabelled", "--imei 490154203237518 --sn SN9", "ATE0\rAT+CGSN\r",
         kEchoOff + "\r\nIMEI: 490154203237518,SN: SN9\r\n" + kOk},
        {"ImeiSingle", "--imei-format single", "ATE0\rAT+CGSN\r", kEchoOff + "\r\n352099001761481\r\n" + kOk},
        {"Unknown", "", "AT+CPIN?\r", "AT+CPIN?\r" + kError},
        {"ErrorList", "--error AT+CGMM,AT+CGSN", "ATE0\rAT+CGMM\rAT+CGSN\rAT\r", kEchoOff + kError + kError + kOk},
        {"SplitKeepsTheBytes", "--split", "AT+CGMM\r", "AT+CGMM\r\r\nZEKO6W\r\n" + kOk},
        {"SilentOnlyTheListed", "--silent ATZ", "ATZ\rAT\r", "AT\r" + kOk},
    };
    for (const WireCase& c : cases) {
        auto phone = SimulatedPhone::Start(0, c.options);
        PcPort port(*phone);
        port.Write(c.input);
        EXPECT_EQ(port.Read(c.output.size()), c.output) << c.name;
        EXPECT_EQ(port.ReadFor(30), "") << c.name << ": nothing more follows";
    }
}

TEST(PhonesimWire, SilentCommand_GetsNoByteAtAllButIsReceived) {
    auto phone = SimulatedPhone::Start(0, "--silent AT+CGSN");
    PcPort port(*phone);
    port.Write("ATE0\r");
    ASSERT_EQ(port.Read(kEchoOff.size()), kEchoOff);
    port.Write("AT+CGSN\r");
    EXPECT_EQ(port.ReadFor(kQuietMs), "");
    EXPECT_EQ(phone->Commands(), (std::vector<std::string>{"ATE0", "AT+CGSN"}));
}

TEST(PhonesimWire, SilentAll_NeverAnswers) {
    auto phone = SimulatedPhone::Start(0, "--silent all");
    PcPort port(*phone);
    port.Write("ATZ\rATE0\rAT\r");
    EXPECT_EQ(port.ReadFor(kQuietMs), "");
}

TEST(PhonesimWire, Garbage_PrintableLineBeforeTheAnswer) {
    auto phone = SimulatedPhone::Start(0, "--garbage");
    PcPort port(*phone);
    port.Write("ATE0\rAT+CGMM\r");
    std::string out = port.Read(1000, 1000);
    std::regex shape("ATE0\r\r\n[!-~]{8,24}\r\n\r\nOK\r\n\r\n[!-~]{8,24}\r\n\r\nZEKO6W\r\n\r\nOK\r\n");
    EXPECT_TRUE(std::regex_match(out, shape)) << ::testing::PrintToString(out);
}

TEST(PhonesimWire, Delay_HoldsTheAnswerButNotTheEcho) {
    auto phone = SimulatedPhone::Start(0, "--delay 200");
    PcPort port(*phone);
    Clock::time_point sent = Clock::now();
    port.Write("AT\r");
    EXPECT_EQ(port.Read(3), "AT\r");
    EXPECT_LT(ElapsedMs(sent), 200) << "the echo is not delayed";
    EXPECT_EQ(port.Read(kOk.size()), kOk);
    EXPECT_GE(ElapsedMs(sent), 195);
}

TEST(PhonesimWire, ControlChannelAnswersWhileAnAnswerIsDelayed) {
    auto phone = SimulatedPhone::Start(0, "--delay 1500");
    PcPort port(*phone);
    port.Write("AT\r");
    Clock::time_point asked = Clock::now();
    EXPECT_EQ(phone->WaitReceived(3, 1000), "AT\r");
    EXPECT_LT(ElapsedMs(asked), 1500);
}

TEST(PhonesimWire, ImeiChangesAfterNCommands) {
    auto phone = SimulatedPhone::Start(0, "--imei-format single --second-imei 356938035643809 --imei-change-after 3");
    PcPort port(*phone);
    const std::string first = "\r\n352099001761481\r\n" + kOk;
    const std::string second = "\r\n356938035643809\r\n" + kOk;
    port.Write("ATE0\rAT+CGSN\rAT+CGSN\rAT+CGSN\r");
    EXPECT_EQ(port.Read(kEchoOff.size() + 2 * first.size() + second.size()), kEchoOff + first + first + second);
}

TEST(PhonesimWire, HangupAfterN_PullsTheCableAfterTheLastAnswer) {
    auto phone = SimulatedPhone::Start(0, "--hangup-after 2");
    PcPort port(*phone);
    port.Write("ATE0\rAT\r");
    EXPECT_EQ(port.Read(kEchoOff.size() + kOk.size()), kEchoOff + kOk);
    EXPECT_TRUE(port.WaitClosed());
    EXPECT_FALSE(Exists(LinkPath(phone->ComPort()))) << "the COM link goes with the pty";
    EXPECT_EQ(phone->Request("pty"), std::vector<std::string>{""});
}

TEST(PhonesimWire, HangupAfterN_PhoneAnswersAgainOncePluggedBackIn) {
    auto phone = SimulatedPhone::Start(0, "--hangup-after 1");
    {
        PcPort port(*phone);
        port.Write("AT\r");
        EXPECT_TRUE(port.WaitClosed());
    }
    phone->Plug();
    PcPort port(*phone);
    port.Write("AT\rAT\r");
    EXPECT_EQ(port.Read(16), "AT\r" + kOk + "AT\r" + kOk);
    EXPECT_EQ(port.ReadFor(50), "") << "no second hang-up";
}

TEST(PhonesimWire, SoftwareFlow_EscapesOutputAndDecodesInput) {
    auto phone = SimulatedPhone::Start(0, "--model \"Z\x11}\x13\"");
    PcPort port(*phone);
    port.Write("ATE0\rAT+IFC=1\r");
    ASSERT_EQ(port.Read(kEchoOff.size() + kOk.size()), kEchoOff + kOk);
    port.Write("AT+CGMM\r");
    const std::string escaped = "\r\nZ}1}]}3\r\n" + kOk;
    EXPECT_EQ(port.Read(escaped.size()), escaped);

    phone->TakeReceived();
    port.Write("AT}1}3}]\r");
    EXPECT_EQ(port.Read(kError.size()), kError);
    EXPECT_EQ(phone->TakeReceived(), "AT}1}3}]\r") << "the wire bytes are recorded as they came";
    EXPECT_EQ(phone->Commands().back(), "AT\x11\x13}");

    port.Write("AT+IFC=2\rAT+CGMM\r");
    const std::string plain = kOk + "\r\nZ\x11}\x13\r\n" + kOk;
    EXPECT_EQ(port.Read(plain.size()), plain);
}

TEST(PhonesimWire, Pace_ThrottlesToTheLineRate) {
    auto phone = SimulatedPhone::Start(0, "--pace 1200 --model \"A somewhat longer model name\"");
    PcPort port(*phone);
    // 46 bytes: the last one goes out after 45 byte times (375 ms) at 1200 baud
    const std::string expected = "AT+CGMM\r\r\nA somewhat longer model name\r\n" + kOk;
    Clock::time_point sent = Clock::now();
    port.Write("AT+CGMM\r");
    EXPECT_EQ(port.Read(expected.size()), expected);
    EXPECT_GE(ElapsedMs(sent), 300);
}

}  // namespace
}  // namespace phonesim

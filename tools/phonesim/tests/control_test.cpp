// The control channel and the test support that drives it.
#include <climits>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hex_text.h"
#include "pc_port.h"
#include "simulated_phone.h"
#include "temp_folder.h"

namespace phonesim {
namespace {

using ravelin::test::FromHex;
using ravelin::test::SimulatedPhone;
using ravelin::test::ToHex;
using testing::LinkPath;
using testing::PcPort;

const std::string kOk = "\r\nOK\r\n";

std::string LinkTarget(const std::string& link) {
    char target[PATH_MAX];
    ssize_t n = readlink(link.c_str(), target, sizeof target);
    return n < 0 ? "" : std::string(target, static_cast<size_t>(n));
}

TEST(SimulatedPhoneSupport, Start_MapsPhonesToComFiveAndTwelveInTheDeviceFolder) {
    auto first = SimulatedPhone::Start(0);
    auto second = SimulatedPhone::Start(1, "--model Second");
    EXPECT_EQ(first->ComPort(), 5);
    EXPECT_EQ(second->ComPort(), 12);
    ASSERT_NE(std::getenv("SERLOX_DEVICE_DIR"), nullptr);
    std::string firstTarget = LinkTarget(LinkPath(5));
    EXPECT_EQ(first->Request("pty"), std::vector<std::string>{firstTarget});
    EXPECT_NE(firstTarget, LinkTarget(LinkPath(12)));

    PcPort port(*second);
    port.Write("ATE0\rAT+CGMM\r");
    const std::string expected = "ATE0\r" + kOk + "\r\nSecond\r\n" + kOk;
    EXPECT_EQ(port.Read(expected.size()), expected);
}

TEST(SimulatedPhoneSupport, Destructor_EndsTheSimulatorAndRemovesTheLink) {
    std::string link;
    {
        auto phone = SimulatedPhone::Start(0);
        link = LinkPath(phone->ComPort());
        EXPECT_FALSE(LinkTarget(link).empty());
    }
    struct stat status {};
    EXPECT_NE(lstat(link.c_str(), &status), 0);
}

TEST(SimulatedPhoneSupport, Start_WithBadOptions_Throws) {
    EXPECT_THROW(SimulatedPhone::Start(0, "--delay soon"), std::runtime_error);
    EXPECT_THROW(SimulatedPhone::Start(0, "--model \"open"), std::invalid_argument);
    EXPECT_THROW(SimulatedPhone::Start(2), std::invalid_argument);
}

TEST(SimulatedPhoneSupport, LineBreaksCannotSmuggleASecondRequest) {
    auto phone = SimulatedPhone::Start(0);
    EXPECT_THROW(phone->Reset("--model X\nhangup"), std::invalid_argument);
    EXPECT_THROW(phone->Request("pty\rquit"), std::invalid_argument);
    EXPECT_FALSE(phone->Request("pty").front().empty()) << "still plugged";
}

TEST(SimulatedPhoneSupport, HexRoundTrip) {
    const std::string bytes("\x00\x11}\r\nAZ\xff", 8);
    EXPECT_EQ(ToHex(bytes), "00117d0d0a415aff");
    EXPECT_EQ(FromHex("00117D0d0a415AFF"), bytes);
    EXPECT_EQ(FromHex(""), "");
    EXPECT_THROW(FromHex("abc"), std::invalid_argument);
    EXPECT_THROW(FromHex("zz"), std::invalid_argument);
}

TEST(PhonesimControl, Raw_RecordsWithoutParsingOrAnswering) {
    auto phone = SimulatedPhone::Start(0);
    PcPort port(*phone);
    phone->SetRaw(true);
    port.Write(std::string("AT\r\x11\x00", 5));
    EXPECT_EQ(phone->WaitReceived(5, 2000), std::string("AT\r\x11\x00", 5));
    EXPECT_EQ(port.ReadFor(200), "");
    EXPECT_TRUE(phone->Commands().empty());

    port.Write("ATZ");  // half a line in raw mode is not parsed afterwards
    phone->WaitReceived(3, 2000);
    phone->SetRaw(false);
    port.Write("\rAT\r");
    EXPECT_EQ(port.Read(9), "AT\r" + kOk);
    EXPECT_EQ(phone->Commands(), std::vector<std::string>{"AT"});
}

TEST(PhonesimControl, Send_WritesBytesUnchangedEvenWhenEscaping) {
    auto phone = SimulatedPhone::Start(0);
    PcPort port(*phone);
    port.Write("ATE0\rAT+IFC=1\r");
    port.Read(17);
    const std::string unsolicited("\r\nRING\r\n\x11}\x13\x00", 12);
    phone->SendRaw(unsolicited);
    EXPECT_EQ(port.Read(unsolicited.size()), unsolicited);
}

TEST(PhonesimControl, Received_ReturnsEachByteOnce) {
    auto phone = SimulatedPhone::Start(0, "--silent all");
    PcPort port(*phone);
    port.Write("AT+CGMM\r\n");
    EXPECT_EQ(phone->WaitReceived(9, 2000), "AT+CGMM\r\n");
    EXPECT_EQ(phone->TakeReceived(), "");
}

TEST(PhonesimControl, Commands_PlainTextOrHexWhenAmbiguous) {
    auto phone = SimulatedPhone::Start(0, "--silent all");
    PcPort port(*phone);
    port.Write("AT+CGSN\rok\rerror 5\rhex:00\rAT\x01\xe9\r");
    phone->WaitReceived(31, 2000);
    EXPECT_EQ(phone->Request("commands"), (std::vector<std::string>{"AT+CGSN", "hex:6f6b", "hex:6572726f722035",
                                                                    "hex:6865783a3030", "hex:415401e9"}));
    EXPECT_EQ(phone->Commands(),
              (std::vector<std::string>{"AT+CGSN", "ok", "error 5", "hex:00", std::string("AT\x01\xe9")}));
}

TEST(PhonesimControl, Reset_ReconfiguresAndClearsEverything) {
    auto phone = SimulatedPhone::Start(0, "--model Old");
    PcPort port(*phone);
    port.Write("ATE0\rAT+IFC=1\r");
    port.Read(17);
    phone->SetRaw(true);
    port.Write("junk");
    phone->WaitReceived(18, 2000);

    phone->Reset("--model \"New One\" --imei-format single");
    EXPECT_TRUE(phone->Commands().empty());
    EXPECT_EQ(phone->TakeReceived(), "");
    port.Write("AT+CGMM\r");  // raw off, echo on, escaping off
    const std::string expected = "AT+CGMM\r\r\nNew One\r\n" + kOk;
    EXPECT_EQ(port.Read(expected.size()), expected);
}

TEST(PhonesimControl, Reset_RefusesStartOptionsAndBadOptionsAndKeepsTheOldSetup) {
    auto phone = SimulatedPhone::Start(0, "--model Kept");
    for (const char* options : {"--link /tmp/elsewhere", "--control-port 1", "--pace none", "--nonsense"}) {
        EXPECT_THROW(phone->Reset(options), std::runtime_error) << options;
    }
    PcPort port(*phone);
    port.Write("ATE0\rAT+CGMM\r");
    const std::string expected = "ATE0\r" + kOk + "\r\nKept\r\n" + kOk;
    EXPECT_EQ(port.Read(expected.size()), expected);
}

TEST(PhonesimControl, UnknownOrMalformedRequests_AnswerError) {
    auto phone = SimulatedPhone::Start(0);
    for (const char* request : {"dance", "raw maybe", "send 0", "send xyz1", ""}) {
        EXPECT_THROW(phone->Request(request), std::runtime_error) << request;
    }
    EXPECT_TRUE(phone->Request("received").size() == 1) << "the channel still works";
}

TEST(PhonesimControl, HangupAndPlug_PullAndReinsertTheCable) {
    auto phone = SimulatedPhone::Start(0);
    std::string link = LinkPath(phone->ComPort());
    PcPort before(*phone);
    phone->Hangup();
    EXPECT_TRUE(before.WaitClosed());
    EXPECT_EQ(LinkTarget(link), "");
    EXPECT_THROW(phone->SendRaw("x"), std::runtime_error);
    phone->Hangup();  // already pulled: nothing happens

    phone->Plug();
    std::string target = LinkTarget(link);
    EXPECT_EQ(phone->Request("pty"), std::vector<std::string>{target});
    phone->Plug();  // already plugged: same pty
    EXPECT_EQ(LinkTarget(link), target);

    PcPort after(*phone);
    after.Write("AT\r");
    EXPECT_EQ(after.Read(9), "AT\r" + kOk);
}

TEST(PhonesimControl, PcClosingThePort_DoesNotHangUpThePhone) {
    auto phone = SimulatedPhone::Start(0);
    { PcPort first(*phone); }
    PcPort second(*phone);
    second.Write("AT\r");
    EXPECT_EQ(second.Read(9), "AT\r" + kOk);
}

TEST(PhonesimControl, Scenario_AppliesAtStartAndOnReset) {
    ravelin::test::TempFolder folder("phonesim-control");
    const std::string path = folder.Entry("scenario.txt");
    std::ofstream(path) << "# answers nothing but the model\n--model FromFile\n--silent AT\n";

    auto phone = SimulatedPhone::Start(0, "--scenario " + path);
    PcPort port(*phone);
    port.Write("AT\rAT+CGMM\r");
    const std::string expected = "AT+CGMM\r\r\nFromFile\r\n" + kOk;
    EXPECT_EQ(port.Read(expected.size()), expected);

    phone->Reset("--scenario " + path + " --model Override");
    port.Write("AT+CGMM\r");
    const std::string overridden = "AT+CGMM\r\r\nOverride\r\n" + kOk;
    EXPECT_EQ(port.Read(overridden.size()), overridden);
}

}  // namespace
}  // namespace phonesim

// The command families through the simulator program: uploads and their pause,
// large paced downloads, cut transfers, restarts and the store control requests.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "family_support.h"
#include "flow_escape.h"
#include "hex_text.h"
#include "pc_port.h"
#include "simulated_phone.h"

namespace phonesim {
namespace {

using ravelin::test::FromHex;
using ravelin::test::SimulatedPhone;
using ravelin::test::ToHex;
using testing::LinkPath;
using testing::PcPort;
using Clock = std::chrono::steady_clock;

const std::string kOk = "\r\nOK\r\n";
const std::string kEchoOff = "ATE0\r" + kOk;

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

bool WaitForLink(const std::string& path, int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    struct stat status {};
    while (lstat(path.c_str(), &status) != 0) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string Generated(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    return bytes;
}

std::string EchoOff(PcPort& port) {
    port.Write("ATE0\r");
    return port.Read(kEchoOff.size());
}

TEST(PhonesimFamilyWire, EscapedUploadOfAMebibyteIsStoredUnescaped) {
    auto phone = SimulatedPhone::Start(0);
    PcPort port(*phone);
    ASSERT_EQ(EchoOff(port), kEchoOff);
    port.Write("AT+IFC=1\r");
    ASSERT_EQ(port.Read(kOk.size()), kOk);
    const std::string data = Generated(1024 * 1024);
    port.Write("AT$FSWF=1,\"/Music/Big.bin\",0," + std::to_string(data.size()) + "," + std::to_string(Crc32(data)) +
               "\r");
    ASSERT_EQ(port.Read(kOk.size()), kOk) << "go-ahead";
    port.Write(EscapeFlow(data));
    EXPECT_EQ(port.Read(kOk.size(), 10000), kOk);
    EXPECT_EQ(FromHex(phone->Request("fs-get 1 /Music/Big.bin").at(0)), data);
}

TEST(PhonesimFamilyWire, UploadThatPausesIsDroppedAndTheNextCommandIsAnswered) {
    auto phone = SimulatedPhone::Start(0);
    PcPort port(*phone);
    ASSERT_EQ(EchoOff(port), kEchoOff);
    port.Write("AT$FSWF=0,\"/a.bin\",0,100,0\r");
    ASSERT_EQ(port.Read(kOk.size()), kOk);
    port.Write("half of it");
    EXPECT_EQ(port.ReadFor(1200), "") << "no answer to a broken upload";
    port.Write("AT\r");
    EXPECT_EQ(port.Read(kOk.size()), kOk);
    EXPECT_THROW(phone->Request("fs-get 0 /a.bin"), std::runtime_error) << "nothing stored";
    EXPECT_EQ(phone->Commands(), (std::vector<std::string>{"ATE0", "AT$FSWF=0,\"/a.bin\",0,100,0", "AT"}))
        << "upload bytes are not command lines";
}

TEST(PhonesimFamilyWire, LargeItemStreamsAtThePacedRate) {
    const size_t size = 1024 * 1024;
    auto phone = SimulatedPhone::Start(0, "--mc-item 0:50:Big.bin:" + std::to_string(size) + " --pace 20000000");
    PcPort port(*phone);
    ASSERT_EQ(EchoOff(port), kEchoOff);
    const std::string announce = "\r\n$QKMCR: 0,255,0,\"Big.bin\"," + std::to_string(size) + "\r\n";
    Clock::time_point asked = Clock::now();
    port.Write("AT$QKMCR=0,255,0,\"Big.bin\"\r");
    std::string got = port.Read(announce.size() + size + 2 + kOk.size(), 10000);
    long elapsed = ElapsedMs(asked);
    ASSERT_EQ(got.size(), announce.size() + size + 2 + kOk.size());
    EXPECT_EQ(got.substr(0, announce.size()), announce);
    for (size_t i = 0; i < size; ++i) {
        ASSERT_EQ(static_cast<unsigned char>(got[announce.size() + i]), (i * 131 + size) % 256) << i;
    }
    EXPECT_EQ(got.substr(announce.size() + size), "\r\n" + kOk);
    EXPECT_GE(elapsed, 450) << "1 MiB at 20 Mbaud, 10 bits a byte, takes 524 ms";
}

TEST(PhonesimFamilyWire, CutRawPullsTheCableAfterKContentBytes) {
    auto phone = SimulatedPhone::Start(0, "--cut-raw AT$QKMCR=1000");
    PcPort port(*phone);
    ASSERT_EQ(EchoOff(port), kEchoOff);
    port.Write("AT$QKMCR=0,255,0,\"Sunset.jpg\"\r");
    const std::string announce = "\r\n$QKMCR: 0,255,0,\"Sunset.jpg\",20480\r\n";
    EXPECT_EQ(port.Read(announce.size() + 2000).size(), announce.size() + 1000);
    EXPECT_TRUE(port.WaitClosed());
}

TEST(PhonesimFamilyWire, RestartComesBackWithEchoOnAndTheStoresKept) {
    auto phone = SimulatedPhone::Start(0, "--reboot-delay 300");
    std::string link = LinkPath(phone->ComPort());
    phone->Request("fs-put 0 /kept.txt 6b");
    {
        PcPort port(*phone);
        ASSERT_EQ(EchoOff(port), kEchoOff);
        port.Write("AT+SYSTEM=0\r");
        EXPECT_EQ(port.Read(kOk.size()), kOk);
        EXPECT_TRUE(port.WaitClosed());
    }
    ASSERT_TRUE(WaitForLink(link, 3000)) << "the phone comes back after its restart";
    PcPort port(*phone);
    port.Write("AT\r");
    EXPECT_EQ(port.Read(3 + kOk.size()), "AT\r" + kOk);
    EXPECT_EQ(phone->Request("fs-get 0 /kept.txt"), std::vector<std::string>{"6b"});
}

TEST(PhonesimFamilyWire, SwitchOffStaysUnpluggedUntilPlug) {
    auto phone = SimulatedPhone::Start(0, "--reboot-delay 0");
    {
        PcPort port(*phone);
        port.Write("AT+SYSTEM=1\r");
        EXPECT_TRUE(port.WaitClosed());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(phone->Request("pty"), std::vector<std::string>{""});
    phone->Plug();
    PcPort port(*phone);
    port.Write("AT\r");
    EXPECT_EQ(port.Read(3 + kOk.size()), "AT\r" + kOk);
}

struct ControlCase {
    const char* request;
    std::vector<std::string> reply;  // data lines; a single "error" means an error reply
};

TEST(PhonesimFamilyWire, ControlRequestsSeedAndInspectTheStores) {
    const std::vector<std::string> kFails = {"error"};
    const ControlCase cases[] = {
        {"fs-mkdir 0 \"/My Files/Deep\"", {}},
        {"fs-put 0 \"/My Files/Deep/a.txt\" 41420d0a", {}},
        {"fs-put 1 /new/empty.txt", {}},
        {"fs-fill 0 /Documents/fill.bin 3", {}},
        {"fs-get 0 \"/My Files/Deep/a.txt\"", {"41420d0a"}},
        {"fs-get 0 /Documents/fill.bin", {"000102"}},
        {"fs-list 1 /new", {"32,0,1199145600,\"empty.txt\""}},
        {"fs-list 0 \"/My Files\"", {"16,0,1199145600,\"Deep\""}},
        {"fs-put 4 /x.txt 00", {}},
        {"fs-get 0 /Documents", kFails},
        {"fs-put 0 /Documents/Notes.txt/x 00", kFails},
        {"fs-put 3 /x 00", kFails},
        {"fs-put 0 relative 00", kFails},
        {"fs-put 0 /x.txt 0", kFails},
        {"dsc-put Album/New.jpg ffd8ffd9", {}},
        {"dsc-get Album/New.jpg", {"ffd8ffd9"}},
        {"dsc-list",
         {"12288,1199145603,\"Album/Beach.jpg\"", "4,1199145601,\"Album/New.jpg\"",
          "30720,1199145601,\"Camera/DSC00001.jpg\"", "45056,1199145602,\"Camera/DSC00002.jpg\""}},
        {"dsc-put NoFolder 00", kFails},
        {"cal-get 1", {"1,16711680,\"Work\",\"/Sounds/Ring1.mid\""}},
        {"cal-get 11", kFails},
        {"java-list", {"48213,\"Sudoku\",\"Example Games\",\"1.0.2\"", "102400,\"Weather\",\"Example Labs\",\"2.1\""}},
        {"mms-put 3 8c80", {"5"}},
        {"mms-get 5", {"8c80"}},
        {"mms-list", {"1,0,1200", "2,0,5400", "3,2,2300", "4,3,800", "5,3,2"}},
        {"mms-put 4 00", kFails},
        {"mms-get 6", kFails},
        {"mc-put 7 20 4 \"My Song.mp3\" 0102", {}},
        {"mc-put 7 21 255 \"Caf\xC3\xA9.mid\"", {}},
        {"mc-list",
         {"0,1,255,20480,\"Sunset.jpg\"", "0,2,255,3000,\"Caf\xC3\xA9 \xC3\xA0 Paris.jpg\"",
          "1,3,255,4096,\"Ring1.mid\"", "1,4,255,0,\"Silence.mid\"", "2,5,255,65536,\"Clip.3gp\"",
          "5,6,255,8192,\"Blue.thm\"", "7,20,4,2,\"My Song.mp3\"", "7,21,255,0,\"Caf\xC3\xA9.mid\""}},
        {"mc-put 10 1 255 x", kFails},
        {"mc-put 1 0 255 x", kFails},
        {"mc-put 1 1 256 x", kFails},
    };
    auto phone = SimulatedPhone::Start(0);
    for (const ControlCase& c : cases) {
        if (c.reply == kFails) {
            EXPECT_THROW(phone->Request(c.request), std::runtime_error) << c.request;
        } else {
            EXPECT_EQ(phone->Request(c.request), c.reply) << c.request;
        }
    }
    PcPort port(*phone);
    port.Write("AT$QKMCPI=1,7,20\r");
    const std::string expected = "AT$QKMCPI=1,7,20\r\r\n$QKMCPI: 1,7,20,4,\"My Song.mp3\"\r\n" + kOk;
    EXPECT_EQ(port.Read(expected.size()), expected) << "the phone answers from what was seeded";
}

TEST(PhonesimFamilyWire, ResetRestoresTheDefaultStores) {
    auto phone = SimulatedPhone::Start(0);
    phone->Request("fs-put 0 /x.txt 00");
    phone->Request("mms-put 0 00");
    phone->Reset("--no-card");
    EXPECT_THROW(phone->Request("fs-get 0 /x.txt"), std::runtime_error);
    EXPECT_EQ(phone->Request("mms-list").size(), 4u);
    PcPort port(*phone);
    ASSERT_EQ(EchoOff(port), kEchoOff);
    port.Write("AT$FSDIR=1,\"/\"\r");
    const std::string noCard = "\r\n$FSERROR: 8\r\n";
    EXPECT_EQ(port.Read(noCard.size()), noCard);
}

}  // namespace
}  // namespace phonesim

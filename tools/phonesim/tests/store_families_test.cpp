// The calendar-group, Java, multimedia-message, SIM and restart commands.
#include <gtest/gtest.h>

#include "family_support.h"
#include "handset_play.h"

namespace phonesim {
namespace {

using testing::Download;
using testing::Exchange;
using testing::ExpectExchanges;
using testing::ExpectExchangesSplitAnywhere;
using testing::Info;
using testing::kError;
using testing::kOk;
using testing::Options;
using testing::Pattern;
using testing::Play;
using testing::Table;

std::string CalendarError(int number) { return Info("$QKVCALERR: " + std::to_string(number)); }

TEST(PhonesimCalendar, ReadsAndWritesGroups) {
    const std::string work = "$QKCGR: 1,16711680,\"576F726B\",\"2F536F756E64732F52696E67312E6D6964\"";
    ExpectExchanges({
        {"Range", {}, "AT$QKCGR=?\r", Info("$QKCGR: (1-10)") + kOk},
        {"ReadWithTone", {}, "AT$QKCGR=1\r", Info(work) + kOk},
        {"ReadUnused", {}, "AT$QKCGR=10\r", Info("$QKCGR: 10,0,\"\",\"\"") + kOk},
        {"ReadOutOfRange", {}, "AT$QKCGR=11\rAT$QKCGR=0\r", CalendarError(1) + CalendarError(1)},
        {"WriteKeywordNameReadsBackAsHex",
         {},
         "AT$QKCGW=2,255,\"NONE\"\rAT$QKCGR=2\r",
         kOk + Info("$QKCGR: 2,255,\"4E4F4E45\",\"\"") + kOk},
        {"WriteThreeFieldsKeepsTheTone",
         {},
         "AT$QKCGW=1,255,\"Job\"\rAT$QKCGR=1\r",
         kOk + Info("$QKCGR: 1,255,\"4A6F62\",\"2F536F756E64732F52696E67312E6D6964\"") + kOk},
        {"WriteToneAndUtf8Name",
         {},
         "AT$QKCGW=5,1,\"Caf\xC3\xA9\",\"/Sounds/Ring1.mid\"\rAT$QKCGW=1,2,\"W\",\"\"\r"
         "AT$QKCGR=5\rAT$QKCGR=1\r",
         kOk + kOk + Info("$QKCGR: 5,1,\"436166C3A9\",\"2F536F756E64732F52696E67312E6D6964\"") + kOk +
             Info("$QKCGR: 1,2,\"57\",\"\"") + kOk},
        {"WriteOutOfRange", {}, "AT$QKCGW=11,0,\"\"\r", CalendarError(1)},
        {"WriteLongName", {}, "AT$QKCGW=1,0,\"" + std::string(33, 'n') + "\"\r", CalendarError(2)},
        {"WriteLongestName", {}, "AT$QKCGW=1,0,\"" + std::string(32, 'n') + "\"\r", kOk},
        {"WriteBadColour", {}, "AT$QKCGW=1,16777216,\"W\"\r", CalendarError(3)},
        {"WriteMissingTone", {}, "AT$QKCGW=1,0,\"W\",\"/Sounds/none.mid\"\r", CalendarError(4)},
        {"WriteDirectoryTone", {}, "AT$QKCGW=1,0,\"W\",\"/Sounds\"\r", CalendarError(4)},
        {"WriteMalformed", {}, "AT$QKCGW=1\rAT$QKCGR=\"1\"\r", kError + kError},
        {"Fail", {"--fail", "AT$QKCGW=3"}, "AT$QKCGW=1,0,\"W\"\r", CalendarError(3)},
        {"Stall", {"--stall", "AT$QKCGR,AT$QKCGW"}, "AT$QKCGR=1\rAT$QKCGW=1,0,\"W\"\r", Info(work)},
    });
}

std::string Nack(int number) { return Info("NACK: " + std::to_string(number)); }
const std::string kAck = Info("ACK") + kOk;

std::string Descriptor(const std::string& name, const std::string& version, size_t jarSize,
                       const std::string& extra = "") {
    return "MIDlet-Name: " + name + "\r\nMIDlet-Vendor: Example Games\r\nMIDlet-Version: " + version +
           "\nMIDlet-Jar-Size: " + std::to_string(jarSize) + "\r\n" + extra;
}

// An AT$TCKS upload line for these bytes; `crc` overrides the bytes' CRC.
std::string JavaLine(int operation, const std::string& bytes, std::optional<uint32_t> crc = std::nullopt) {
    return "AT$TCKS=" + std::to_string(operation) + "," + std::to_string(bytes.size()) + "," +
           std::to_string(crc.value_or(Crc32(bytes))) + "\r";
}

// The line and the bytes, for an upload the handset takes.
std::string JavaUpload(int operation, const std::string& bytes, std::optional<uint32_t> crc = std::nullopt) {
    return JavaLine(operation, bytes, crc) + bytes;
}

std::string GoAhead(int operation, size_t length) {
    return Info("$TCK: " + std::to_string(operation) + "," + std::to_string(length));
}

const std::string kDefaultSuites =
    "48213,\"Sudoku\",\"Example Games\",\"1.0.2\"\r\n102400,\"Weather\",\"Example Labs\",\"2.1\"";

TEST(PhonesimJava, ChecksInstallsListsAndDeletes) {
    const std::string chess = Descriptor("Chess", "1.0", 3000);
    const std::string package = Pattern(3000);
    const std::string checkChess = JavaUpload(1, chess);
    const std::string checked = GoAhead(1, chess.size()) + kAck;
    const std::string noVendor = "MIDlet-Name: A\nMIDlet-Version: 1.0\nMIDlet-Jar-Size: 1\n";
    ExpectExchanges({
        {"TargetVersion", {}, "AT$TCKR=1\r", Info("INFO: 2,0,1,1") + kOk},
        {"List", {}, "AT$TCKR=2\r", Download("LIST: ", kDefaultSuites)},
        {"UnknownRead", {}, "AT$TCKR=3\r", kError},
        {"CheckAndInstall",
         {},
         checkChess + JavaUpload(2, package) + "AT$TCKR=2\r",
         checked + GoAhead(2, 3000) + kAck +
             Download("LIST: ", "3000,\"Chess\",\"Example Games\",\"1.0\"\r\n" + kDefaultSuites)},
        {"InstallWithoutCheck", {}, JavaLine(2, package), Nack(7)},
        {"InstallAnotherLength", {}, checkChess + JavaLine(2, Pattern(2999)), checked + Nack(2)},
        {"InstallBadCrcClearsTheCheck",
         {},
         checkChess + JavaUpload(2, package, 1) + JavaLine(2, package),
         checked + GoAhead(2, 3000) + Nack(6) + Nack(7)},
        {"FailedCheckClearsAnEarlierOne",
         {},
         checkChess + JavaUpload(1, chess, 1) + JavaLine(2, package),
         checked + GoAhead(1, chess.size()) + Nack(6) + Nack(7)},
        {"CheckSameVersion",
         {},
         JavaUpload(1, Descriptor("Sudoku", "1.0.2", 100)),
         GoAhead(1, Descriptor("Sudoku", "1.0.2", 100).size()) + Nack(4)},
        {"CheckNewerVersionCountsTheOldPackageAsFreed",
         {},
         JavaUpload(1, Descriptor("Weather", "2.1.1", 1946539 + 102400)),
         GoAhead(1, Descriptor("Weather", "2.1.1", 1946539 + 102400).size()) + kAck},
        {"CheckTooBig",
         {},
         JavaUpload(1, Descriptor("Big", "1.0", 1946540)),
         GoAhead(1, Descriptor("Big", "1.0", 1946540).size()) + Nack(1)},
        {"CheckNewerProfile",
         {},
         JavaUpload(1, Descriptor("P", "1.0", 1, "MicroEdition-Profile: MIDP-1.0 MIDP-3.0\n")),
         GoAhead(1, Descriptor("P", "1.0", 1, "MicroEdition-Profile: MIDP-1.0 MIDP-3.0\n").size()) + Nack(3)},
        {"CheckNewerConfiguration",
         {},
         JavaUpload(1, Descriptor("P", "1.0", 1, "MicroEdition-Configuration: CLDC-1.2\n")),
         GoAhead(1, Descriptor("P", "1.0", 1, "MicroEdition-Configuration: CLDC-1.2\n").size()) + Nack(3)},
        {"CheckMalformedProfile",
         {},
         JavaUpload(1, Descriptor("P", "1.0", 1, "MicroEdition-Profile: MIDP2\n")),
         GoAhead(1, Descriptor("P", "1.0", 1, "MicroEdition-Profile: MIDP2\n").size()) + Nack(2)},
        {"CheckWithoutVendor", {}, JavaUpload(1, noVendor), GoAhead(1, noVendor.size()) + Nack(2)},
        {"CheckBadVersion",
         {},
         JavaUpload(1, Descriptor("A", "1", 1)),
         GoAhead(1, Descriptor("A", "1", 1).size()) + Nack(2)},
        {"CheckBadCrc", {}, JavaUpload(1, chess, 7), GoAhead(1, chess.size()) + Nack(6)},
        {"DeleteTwice",
         {},
         "AT$TCKS=3,\"Sudoku\"\rAT$TCKS=3,\"Sudoku\"\rAT$TCKR=2\r",
         kAck + Nack(5) + Download("LIST: ", "102400,\"Weather\",\"Example Labs\",\"2.1\"")},
        {"Malformed", {}, "AT$TCKS=1,5\rAT$TCKS=4,\"x\"\r", kError + kError},
        {"Fail", {"--fail", "AT$TCKS=1"}, "AT$TCKS=1,5,0\r", Nack(1)},
        {"FailAfterData",
         {"--fail-after-data", "AT$TCKS=6"},
         checkChess + JavaLine(2, package),
         GoAhead(1, chess.size()) + Nack(6) + Nack(7)},
        {"Stall", {"--stall", "AT$TCKR"}, "AT$TCKR=2\r", Info("LIST: " + std::to_string(kDefaultSuites.size()))},
    });
}

TEST(PhonesimJava, CheckAndInstallWhereverAReadEnds) {
    const std::string descriptor = Descriptor("Go", "1.0", 40);
    ExpectExchangesSplitAnywhere({
        {"CheckInstall",
         {},
         JavaUpload(1, descriptor) + JavaUpload(2, Pattern(40)),
         GoAhead(1, descriptor.size()) + kAck + GoAhead(2, 40) + kAck},
    });
}

TEST(PhonesimJava, PendingDescriptorEndsWithTheConnection) {
    Handset handset(Options({}), Table());
    const std::string descriptor = Descriptor("Go", "1.0", 40);
    Play(handset, "ATE0\r" + JavaUpload(1, descriptor));
    handset.Reconnect();
    EXPECT_EQ(Play(handset, JavaLine(2, Pattern(40))), Nack(7));
}

std::string MessageError(int number) { return Info("$QKMMSERR: " + std::to_string(number)); }

std::string Message(unsigned char type, size_t size) {
    std::string bytes = Pattern(size);
    bytes[0] = static_cast<char>(0x8C);
    bytes[1] = static_cast<char>(type);
    return bytes;
}

std::string MessageWrite(int folder, const std::string& bytes, std::optional<uint32_t> crc = std::nullopt) {
    return "AT$QKMMSW=" + std::to_string(folder) + "," + std::to_string(bytes.size()) + "," +
           std::to_string(crc.value_or(Crc32(bytes))) + "\r" + bytes;
}

std::string Listed(int folder, int id) { return Info("$QKMMSL: " + std::to_string(folder) + "," + std::to_string(id)); }

TEST(PhonesimMessages, ListsReadsWritesAndSends) {
    const std::string note = Pattern(3000);
    ExpectExchanges({
        {"ListInbox", {}, "AT$QKMMSL=0\r", Listed(0, 1) + Listed(0, 2) + kOk},
        {"ListEmptyFolder", {}, "AT$QKMMSL=1\r", kOk},
        {"ListNoFolder", {}, "AT$QKMMSL=4\r", MessageError(2)},
        {"ReadInbox", {}, "AT$QKMMSR=2\r", Download("$QKMMSR: 2,", Message(0x84, 5400))},
        {"ReadDraft", {}, "AT$QKMMSR=4\r", Download("$QKMMSR: 4,", Message(0x80, 800))},
        {"ReadMissing", {}, "AT$QKMMSR=9\r", MessageError(1)},
        {"WriteThenList",
         {},
         MessageWrite(3, note) + "AT$QKMMSL=3\rAT$QKMMSR=5\r",
         kOk + Info("$QKMMSW: 3,5") + kOk + Listed(3, 4) + Listed(3, 5) + kOk + Download("$QKMMSR: 5,", note)},
        {"WriteNoFolder", {}, "AT$QKMMSW=4,1,0\r", MessageError(2)},
        {"WriteTooLarge", {}, "AT$QKMMSW=0,307201,0\r", MessageError(4)},
        {"WriteBadCrc", {}, MessageWrite(3, note, 5) + "AT$QKMMSL=3\r", kOk + MessageError(8) + Listed(3, 4) + kOk},
        {"Delete", {}, "AT$QKMMSD=1\rAT$QKMMSD=1\rAT$QKMMSL=0\r", kOk + MessageError(1) + Listed(0, 2) + kOk},
        {"Settings",
         {},
         "AT$QKMMSA?\rAT$QKMMSA=3\rAT$QKMMSA?\r",
         Info("$QKMMSR: 5") + kOk + kOk + Info("$QKMMSR: 3") + kOk},
        {"SettingsReservedBits", {}, "AT$QKMMSA=16\r", MessageError(9)},
        {"SendMovesToSent", {}, "AT$QKMGS=4\rAT$QKMMSL=2\r", kOk + Listed(2, 3) + Listed(2, 4) + kOk},
        {"SendFromInbox", {}, "AT$QKMGS=1\r", MessageError(9)},
        {"SendMissing", {}, "AT$QKMGS=9\r", MessageError(1)},
        {"LockAnyCodeWithoutLock", {}, "AT$CHKPL=\"0000\"\r", kOk},
        {"Locked",
         {"--phone-lock", "1234"},
         "AT$QKMMSL=0\rAT$QKMMSA?\rAT$CHKPL=\"0000\"\rAT$CHKPL=\"1234\"\rAT$QKMMSL=1\r",
         MessageError(5) + MessageError(5) + MessageError(6) + kOk + kOk},
        {"Malformed", {}, "AT$QKMMSL\rAT$QKMMSR=\"1\"\rAT$CHKPL=1234\r", kError + kError + kError},
        {"Fail", {"--fail", "AT$QKMGS=7"}, "AT$QKMGS=4\r", MessageError(7)},
        {"FailAfterData",
         {"--fail-after-data", "AT$QKMMSW=8"},
         MessageWrite(3, note) + "AT$QKMMSL=3\r",
         kOk + MessageError(8) + Listed(3, 4) + kOk},
        {"StallList", {"--stall", "AT$QKMMSL"}, "AT$QKMMSL=0\r", Listed(0, 1)},
        {"StallWrite",
         {"--stall", "AT$QKMMSW"},
         MessageWrite(3, note) + "AT$QKMMSL=3\r",
         kOk + Listed(3, 4) + Listed(3, 5) + kOk},
    });
}

TEST(PhonesimMessages, FullStoreAndLockPerConnection) {
    Handset handset(Options({"--phone-lock", "4321"}), Table());
    handset.State().stores.messages.messages[9] = {3, std::string(2097152 - 9700 - 10, 'x')};
    EXPECT_EQ(Play(handset, "ATE0\rAT$CHKPL=\"4321\"\rAT$QKMMSW=0,11,0\rAT$QKMMSW=0,10,0\r"),
              testing::kEchoOff + kOk + MessageError(3) + kOk);
    handset.Reconnect();
    EXPECT_EQ(Play(handset, "AT$QKMMSL=0\r"), MessageError(5)) << "a new connection verifies again";
}

std::string Sim(const std::string& status) { return Info("+CRSM: " + status) + kOk; }

TEST(PhonesimSim, RecordInformationAndRecords) {
    const std::string getResponse = "AT+CRSM=192,28474,0,0,15\r";
    ExpectExchanges({
        {"SimForm", {}, getResponse, Sim("144,0,\"00001D4C6F3A040011F0220102011E\"")},
        {"UsimForm", {"--sim-format", "usim"}, getResponse, Sim("144,0,\"620F82054221001EFA83026F3A80021D4C\"")},
        {"OtherSize",
         {"--sim-records", "100", "--sim-record-length", "42"},
         getResponse,
         Sim("144,0,\"000010686F3A040011F0220102012A\"")},
        {"OtherSizeUsim",
         {"--sim-format", "usim", "--sim-records", "100", "--sim-record-length", "42"},
         getResponse,
         Sim("144,0,\"620F82054221002A6483026F3A80021068\"")},
        {"ReadRecord", {}, "AT+CRSM=178,28474,250,4,30\r", Sim("144,0,\"" + std::string(60, 'F') + "\"")},
        {"ReadRecordBeyond", {}, "AT+CRSM=178,28474,251,4,30\rAT+CRSM=178,28474,0,4,30\r", Sim("148,2") + Sim("148,2")},
        {"ReadRecordOtherMode", {}, "AT+CRSM=178,28474,1,2,30\r", Sim("148,2")},
        {"OtherFile", {}, "AT+CRSM=192,28475,0,0,15\r", Sim("148,4")},
        {"OtherCommand", {}, "AT+CRSM=176,28474,0,0,15\r", Sim("109,0")},
        {"Malformed", {}, "AT+CRSM=192,28474,0,0\rAT+CRSM?\r", kError + kError},
        {"NoSim", {"--no-sim"}, getResponse, kError},
        {"Fail", {"--fail", "AT+CRSM=37892"}, getResponse, Sim("148,4")},
        {"StallKeepsTheStatus",
         {"--stall", "AT+CRSM"},
         getResponse,
         Info("+CRSM: 144,0,\"00001D4C6F3A040011F0220102011E\"")},
    });
}

// The IMSI's test command, parts of EF SPN and a SIM waiting for its PIN; the
// library's tests against the simulator cover the rest of these commands.
TEST(PhonesimSim, ImsiAndServiceProviderName) {
    ExpectExchanges({
        {"Imsi", {"--imsi", "262019876543210"}, "AT+CIMI\rAT+CIMI=?\r", Info("262019876543210") + kOk + kOk},
        {"SpnPart", {"--spn", "Talk"}, "AT+CRSM=176,28486,0,1,4\r", Sim("144,0,\"54616C6B\"")},
        {"SpnBeyond", {"--spn", "Talk"}, "AT+CRSM=176,28486,0,0,18\r", Sim("148,2")},
        {"PinRequired", {"--sim-state", "pin"}, "AT+CIMI\r", Info("+CME ERROR: 11")},
    });
}

TEST(PhonesimSystem, RestartAndSwitchOffPullTheCable) {
    struct Case {
        const char* line;
        bool hangUp;
        std::optional<std::chrono::milliseconds> replug;
        std::string answer;
    };
    const Case cases[] = {
        {"AT+SYSTEM=0\r", true, std::chrono::milliseconds(250), kOk},
        {"AT+SYSTEM=1\r", true, std::nullopt, kOk},
        {"AT+SYSTEM=2\r", false, std::nullopt, kError},
        {"AT+SYSTEM\r", false, std::nullopt, kError},
    };
    for (const Case& c : cases) {
        Handset handset(Options({"--reboot-delay", "250"}), Table());
        Play(handset, "ATE0\rAT+IFC=2\r");
        std::vector<Reply> replies = handset.Receive(std::string(c.line) + "AT\r", TimePoint());
        ASSERT_EQ(replies.size(), c.hangUp ? 1u : 2u) << c.line;
        EXPECT_EQ(replies[0].answer, c.answer) << c.line;
        EXPECT_EQ(replies[0].hangUp, c.hangUp) << c.line;
        EXPECT_EQ(replies[0].replugAfter, c.replug) << c.line;
        handset.Reconnect();
        std::string after = Play(handset, "AT+IFC?\r");
        EXPECT_EQ(after, c.hangUp ? "AT+IFC?\r" + Info("+IFC: 0,0") + kOk : Info("+IFC: 2,2") + kOk)
            << c.line << ": a restarted phone has echo on and no flow control";
    }
}

}  // namespace
}  // namespace phonesim

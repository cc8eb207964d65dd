// The file-system and camera-picture commands, answer by answer.
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

const std::string kNotes = "Buy milk\r\nCall Anna\r\n";
const std::string kCafe = "/Documents/Caf\xC3\xA9.txt";

std::string FsError(int number) { return Info("$FSERROR: " + std::to_string(number)); }

std::string Read(const std::string& path, int kind = 0) {
    return "AT$FSRF=" + std::to_string(kind) + ",\"" + path + "\"\r";
}

// The write line followed by the data; `crc` overrides the data's CRC.
std::string Write(const std::string& path, int mode, const std::string& data, int kind = 0,
                  std::optional<uint32_t> crc = std::nullopt) {
    return "AT$FSWF=" + std::to_string(kind) + ",\"" + path + "\"," + std::to_string(mode) + "," +
           std::to_string(data.size()) + "," + std::to_string(crc.value_or(Crc32(data))) + "\r" + data;
}

std::string Misc(const std::string& fields) { return "AT$FSMISC=" + fields + "\r"; }

TEST(PhonesimFileSystem, ReadsListsAndQueries) {
    ExpectExchanges({
        {"ReadFile", {}, Read("/Documents/Notes.txt"), Download("$FSRF: 0,", kNotes)},
        {"ReadUtf8Name", {}, Read(kCafe), Download("$FSRF: 0,", "Menu\r\n")},
        {"ReadCard", {}, Read("/Music/Song.mp3", 1), Download("$FSRF: 1,", Pattern(65536))},
        {"ReadMissing", {}, Read("/Documents/none.txt"), FsError(1)},
        {"ReadDirectory", {}, Read("/Documents"), FsError(3)},
        {"ReadThroughAFile", {}, Read("/Documents/Notes.txt/x"), FsError(3)},
        {"ReadUnknownKind", {}, Read("/Documents/Notes.txt", 2), FsError(7)},
        {"ReadRelativePath", {}, Read("Documents/Notes.txt"), FsError(7)},
        {"ReadTrailingSlash", {}, Read("/Documents/"), FsError(7)},
        {"ReadDotDot", {}, Read("/Documents/../Pictures"), FsError(7)},
        {"ReadNoCard", {"--no-card"}, Read("/Music/Song.mp3", 1), FsError(8)},
        {"ReadMalformed", {}, "AT$FSRF=0\r", kError},
        {"ListDirectory",
         {},
         "AT$FSDIR=0,\"/Documents\"\r",
         Download("$FSDIR: 0,", "32,6,1199145600,\"Caf\xC3\xA9.txt\"\r\n32,21,1199145600,\"Notes.txt\"")},
        {"ListBuiltInRoot",
         {},
         "AT$FSDIR=4,\"/\"\r",
         Download("$FSDIR: 4,", "17,0,1199145600,\"Sounds\"\r\n17,0,1199145600,\"Themes\"")},
        {"ListEmptyDirectory", {}, "AT$FSDIR=1,\"/Backup\"\r", Download("$FSDIR: 1,", "")},
        {"ListAFile", {}, "AT$FSDIR=0,\"/Documents/Notes.txt\"\r", FsError(3)},
        {"QueryFile", {}, "AT$FSQA=0,\"/Pictures/Sunset.jpg\"\r", Info("$FSQA: 0,20480,32,1199145600") + kOk},
        {"QueryDirectory", {}, "AT$FSQA=0,\"/Pictures\"\r", Info("$FSQA: 0,0,16,1199145600") + kOk},
        {"QueryBuiltIn", {}, "AT$FSQA=4,\"/Sounds/Alarm.mid\"\r", Info("$FSQA: 4,2048,33,1199145600") + kOk},
        {"SpacePhone", {}, Misc("6,0"), Info("$FSMISC: 6,0,8388608,24603,8364005") + kOk},
        {"SpaceCard", {}, Misc("6,1"), Info("$FSMISC: 6,1,67108864,65536,67043328") + kOk},
        {"SpaceBuiltInIsFull", {}, Misc("6,4"), Info("$FSMISC: 6,4,10240,10240,0") + kOk},
        {"SpaceNoCard", {"--no-card"}, Misc("6,1"), FsError(8)},
    });
}

TEST(PhonesimFileSystem, WritesAndChanges) {
    ExpectExchanges({
        {"WriteNewThenRead",
         {},
         Write("/Documents/New.txt", 0, "hello") + Read("/Documents/New.txt"),
         kOk + kOk + Download("$FSRF: 0,", "hello")},
        {"ReplaceThenRead",
         {},
         Write("/Documents/Notes.txt", 0, "x\r\ny") + Read("/Documents/Notes.txt"),
         kOk + kOk + Download("$FSRF: 0,", "x\r\ny")},
        {"AppendThenRead",
         {},
         Write("/Documents/Notes.txt", 1, "Eggs\r\n") + Read("/Documents/Notes.txt"),
         kOk + kOk + Download("$FSRF: 0,", kNotes + "Eggs\r\n")},
        {"WriteEmpty", {}, Write("/Empty.txt", 0, "") + Read("/Empty.txt"), kOk + kOk + Download("$FSRF: 0,", "")},
        {"WriteBadCrcStoresNothing",
         {},
         Write("/a.txt", 0, "hello", 0, 1) + Read("/a.txt"),
         kOk + FsError(9) + FsError(1)},
        {"WriteMissingParent", {}, Write("/None/a.txt", 0, "x"), FsError(1)},
        {"WriteBuiltIn", {}, Write("/a.txt", 0, "x", 4), FsError(6)},
        {"WriteOverDirectory", {}, Write("/Pictures", 0, "x"), FsError(3)},
        {"WriteBadMode", {}, "AT$FSWF=0,\"/a.txt\",2,1,0\r", kError},
        {"WriteTooBig", {}, "AT$FSWF=0,\"/a.txt\",0,8364006,0\r", FsError(5)},
        {"ReplaceFitsWhatItFrees", {}, "AT$FSWF=0,\"/Pictures/Sunset.jpg\",0,8384485,0\r", kOk},
        {"DeleteFile",
         {},
         Misc("1,0,\"/Documents/Notes.txt\"") + Read("/Documents/Notes.txt"),
         Info("$FSMISC: 1,0") + kOk + FsError(1)},
        {"DeleteDirectoryAsFile", {}, Misc("1,0,\"/Documents\""), FsError(3)},
        {"RenameFileToAnotherDirectory",
         {},
         Misc("2,0,\"/Documents/Notes.txt\",\"/Pictures/N.txt\"") + Read("/Pictures/N.txt"),
         Info("$FSMISC: 2,0") + kOk + Download("$FSRF: 0,", kNotes)},
        {"RenameOntoExisting", {}, Misc("2,0,\"/Documents/Notes.txt\",\"" + kCafe + "\""), FsError(2)},
        {"RenameMissing", {}, Misc("2,0,\"/Documents/none.txt\",\"/x.txt\""), FsError(1)},
        {"RenameIntoMissingDirectory", {}, Misc("2,0,\"/Documents/Notes.txt\",\"/None/x.txt\""), FsError(1)},
        {"RenameToInvalidPath", {}, Misc("2,0,\"/Documents/Notes.txt\",\"/a:b\""), FsError(7)},
        {"NewDirectoryTwice", {}, Misc("3,0,\"/New\"") + Misc("3,0,\"/New\""), Info("$FSMISC: 3,0") + kOk + FsError(2)},
        {"NewDirectoryRoot", {}, Misc("3,0,\"/\""), FsError(2)},
        {"DeleteNonEmptyDirectory", {}, Misc("4,0,\"/Pictures\""), FsError(4)},
        {"DeleteEmptyDirectory",
         {},
         Misc("4,1,\"/Backup\"") + "AT$FSDIR=1,\"/Backup\"\r",
         Info("$FSMISC: 4,1") + kOk + FsError(1)},
        {"DeleteRoot", {}, Misc("4,0,\"/\""), FsError(7)},
        {"RenameDirectoryIntoItself", {}, Misc("5,0,\"/Documents\",\"/Documents/Sub\""), FsError(7)},
        {"RenameDirectory",
         {},
         Misc("5,0,\"/Documents\",\"/Docs\"") + Read("/Docs/Notes.txt"),
         Info("$FSMISC: 5,0") + kOk + Download("$FSRF: 0,", kNotes)},
        {"ChangeBuiltIn", {}, Misc("1,4,\"/Sounds/Alarm.mid\""), FsError(6)},
        {"ChangeNoCard", {"--no-card"}, Misc("3,1,\"/New\""), FsError(8)},
        {"MiscUnknownSub", {}, Misc("7,0"), kError},
        {"MiscWrongFieldCount", {}, Misc("2,0,\"/Documents/Notes.txt\""), kError},
    });
}

TEST(PhonesimFileSystem, FaultModes) {
    const std::string announce = Info("$FSRF: 0,21");
    ExpectExchanges({
        {"Fail", {"--fail", "AT$FSWF=5"}, "AT$FSWF=0,\"/a.txt\",0,1,0\r", FsError(5)},
        {"FailAfterData",
         {"--fail-after-data", "AT$FSWF=9"},
         Write("/a.txt", 0, "hello") + Read("/a.txt"),
         kOk + FsError(9) + FsError(1)},
        {"StallDownload", {"--stall", "AT$FSRF"}, Read("/Documents/Notes.txt"), announce},
        {"StallUploadStoresButWithholdsTheAnswer",
         {"--stall", "AT$FSWF"},
         Write("/a.txt", 0, "hello") + Read("/a.txt"),
         kOk + Download("$FSRF: 0,", "hello")},
        {"StallAnswerLine", {"--stall", "AT$FSMISC"}, Misc("6,0"), Info("$FSMISC: 6,0,8388608,24603,8364005")},
        {"ShortRaw",
         {"--short-raw", "AT$FSRF"},
         Read("/Documents/Notes.txt"),
         announce + kNotes.substr(0, 20) + "\r\n" + kOk},
        {"BadLength", {"--bad-length", "AT$FSRF"}, Read("/Documents/Notes.txt"), Info("$FSRF: 0,4294967295")},
        {"CutRaw", {"--cut-raw", "AT$FSRF=5"}, Read("/Documents/Notes.txt"), announce + "Buy m"},
        {"ErrorList", {"--error", "AT$FSQA"}, "AT$FSQA=0,\"/\"\r", kError},
    });
}

TEST(PhonesimFileSystem, UploadBytesAreRawWhereverAReadEnds) {
    const std::string binary("\r\n\x00\x11\x13}ok\r", 9);
    const std::string escaped("\r\n\x00}1}3}]ok\r", 12);
    const std::string line = "AT$FSWF=0,\"/b.bin\",0,9," + std::to_string(Crc32(binary)) + "\r";
    ExpectExchangesSplitAnywhere({
        {"PlainBytes", {}, Write("/b.bin", 0, binary) + Read("/b.bin"), kOk + kOk + Download("$FSRF: 0,", binary)},
        {"EscapedBytes",
         {},
         "AT+IFC=1\r" + line + escaped + Read("/b.bin"),
         kOk + kOk + kOk + EscapeFlow(Download("$FSRF: 0,", binary))},
    });
}

TEST(PhonesimFileSystem, CutRaw_PullsTheCableAfterTheAnswer) {
    Handset handset(Options({"--cut-raw", "AT$FSRF=5"}), Table());
    std::vector<Reply> replies = handset.Receive("ATE0\r" + Read("/Documents/Notes.txt") + "AT\r", TimePoint());
    ASSERT_EQ(replies.size(), 2u) << "nothing after the cut command is taken";
    EXPECT_TRUE(replies[1].hangUp);
    EXPECT_FALSE(replies[1].replugAfter);
}

TEST(PhonesimFileSystem, PausedUploadIsDroppedAndCommandsAreReadAgain) {
    Handset handset(Options({"--delay", "100"}), Table());
    TimePoint start{};
    Play(handset, "ATE0\rAT$FSWF=0,\"/a.txt\",0,10,0\r", start);
    EXPECT_EQ(handset.UploadDeadline(), start + std::chrono::milliseconds(1100)) << "counted from the go-ahead";
    Play(handset, "12345", start + std::chrono::milliseconds(1000));
    EXPECT_EQ(handset.UploadDeadline(), start + std::chrono::milliseconds(2000));
    handset.DropUpload();
    EXPECT_FALSE(handset.UploadDeadline());
    EXPECT_EQ(Play(handset, "AT\r" + Read("/a.txt")), kOk + FsError(1));
}

const std::string kCamera = "Camera/DSC00001.jpg";

std::string Jpeg(size_t size) {
    std::string bytes = Pattern(size);
    bytes.replace(0, 2, "\xFF\xD8");
    bytes.replace(size - 2, 2, "\xFF\xD9");
    return bytes;
}

std::string Move(const std::string& fields) { return "AT$QKDSCMV=" + fields + "\r"; }

TEST(PhonesimCamera, ListsReadsMovesAndDeletes) {
    ExpectExchanges({
        {"ListFolders", {}, "AT$QKDSCDIR=\"\"\r", Download("$QKDSCDIR: ", "1,\"Album\"\r\n2,\"Camera\"")},
        {"ListPictures",
         {},
         "AT$QKDSCDIR=\"Camera\"\r",
         Download("$QKDSCDIR: ", "30720,1199145601,\"DSC00001.jpg\"\r\n45056,1199145602,\"DSC00002.jpg\"")},
        {"ListMissingFolder", {}, "AT$QKDSCDIR=\"None\"\r", FsError(1)},
        {"ListInvalidFolder", {}, "AT$QKDSCDIR=\"a/b\"\r", FsError(7)},
        {"Read", {}, "AT$QKDSCRF=\"Album/Beach.jpg\"\r", Download("$QKDSCRF: ", Jpeg(12288))},
        {"ReadWithoutFolder", {}, "AT$QKDSCRF=\"Beach.jpg\"\r", FsError(7)},
        {"ReadMissing", {}, "AT$QKDSCRF=\"Album/none.jpg\"\r", FsError(1)},
        {"MoveThenAgain",
         {},
         Move("0,\"" + kCamera + "\",\"Album/Party.jpg\"") + Move("0,\"" + kCamera + "\",\"Album/P2.jpg\"") +
             "AT$QKDSCDIR=\"\"\r",
         Info("$QKDSCMV: 0") + kOk + FsError(1) + Download("$QKDSCDIR: ", "2,\"Album\"\r\n1,\"Camera\"")},
        {"MoveKeepsTime",
         {},
         Move("0,\"" + kCamera + "\",\"Camera/A.jpg\"") + "AT$QKDSCDIR=\"Camera\"\r",
         Info("$QKDSCMV: 0") + kOk +
             Download("$QKDSCDIR: ", "30720,1199145601,\"A.jpg\"\r\n45056,1199145602,\"DSC00002.jpg\"")},
        {"MoveOntoExisting", {}, Move("0,\"" + kCamera + "\",\"Camera/DSC00002.jpg\""), FsError(2)},
        {"MoveToMissingFolder", {}, Move("0,\"" + kCamera + "\",\"None/x.jpg\""), FsError(1)},
        {"MoveToEmptyName", {}, Move("0,\"" + kCamera + "\",\"\""), FsError(7)},
        {"Delete",
         {},
         Move("1,\"" + kCamera + "\"") + "AT$QKDSCRF=\"" + kCamera + "\"\r",
         Info("$QKDSCMV: 1") + kOk + FsError(1)},
        {"DeleteMissing", {}, Move("1,\"Camera/none.jpg\""), FsError(1)},
        {"DeleteWithoutFolder", {}, Move("1,\"DSC00001.jpg\""), FsError(7)},
        {"MoveWithOneName", {}, Move("0,\"" + kCamera + "\""), kError},
        {"UnknownMode", {}, Move("2,\"" + kCamera + "\""), kError},
        {"Fail", {"--fail", "AT$QKDSCMV=2"}, Move("1,\"" + kCamera + "\""), FsError(2)},
        {"Stall", {"--stall", "AT$QKDSCDIR"}, "AT$QKDSCDIR=\"\"\r", Info("$QKDSCDIR: 21")},
        {"ShortRaw",
         {"--short-raw", "AT$QKDSCDIR"},
         "AT$QKDSCDIR=\"\"\r",
         Info("$QKDSCDIR: 21") + "1,\"Album\"\r\n2,\"Camera" + "\r\n" + kOk},
    });
}

}  // namespace
}  // namespace phonesim

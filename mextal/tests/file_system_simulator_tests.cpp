// The file-system exports against the handset simulator over the real serial
// link. The simulated handset holds, by default, in the phone memory (kind 0)
// /Pictures/Sunset.jpg (20480 bytes), /Sounds/Ring1.mid (4096),
// /Documents/Notes.txt ("Buy milk" CR LF "Call Anna" CR LF) and
// /Documents/Café.txt ("Menu" CR LF); on the memory card (kind 1)
// /Music/Song.mp3 (65536) and the empty /Backup; in the built-in content
// (kind 4) /Themes/Default.thm (8192) and /Sounds/Alarm.mid (2048). Generated
// content is byte i = i mod 251; every time is 1199145600.
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "code_page_samples.h"
#include "family_simulator_fixture.h"
#include "hex_text.h"

namespace {

using namespace mextal::test;
using ravelin::test::FromHex;

constexpr int32_t kShortTimeoutMs = 300;
constexpr uint32_t kDefaultTime = 1199145600;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kReadOnly = 0x01;
const std::string kNotes = "Buy milk\r\nCall Anna\r\n";
const std::string kOk = "\r\nOK\r\n";

std::string Pattern(size_t size) {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i % 251);
    return content;
}

class FileSystemSimulatorTest : public FamilySimulatorTest {
protected:
    void TearDown() override {
        std::free(data_);
        std::free(text_);
        FamilySimulatorTest::TearDown();
        UseDefaultCodePage();
    }

    int32_t Read(int32_t kind, const std::string& path) {
        api_.FreeRecvMem(&data_);
        length_ = 0;
        return api_.ReadMsFile(&settings_, kind, path.c_str(), &data_, &length_, 0);
    }
    int32_t List(int32_t kind, const std::string& path) {
        api_.FreeRecvMem(&text_);
        length_ = 0;
        return api_.ListDir(&settings_, kind, path.c_str(), &text_, &length_);
    }
    int32_t Write(int32_t kind, const std::string& path, const std::string& content) {
        return api_.WriteMsFile(&settings_, kind, path.c_str(), reinterpret_cast<const uint8_t*>(content.data()),
                                static_cast<uint32_t>(content.size()), 0);
    }
    std::string Data() const { return std::string(reinterpret_cast<const char*>(data_), length_); }
    std::string Stored(int32_t kind, const std::string& path) {
        std::vector<std::string> reply = phone_->Request("fs-get " + std::to_string(kind) + " " + path);
        return reply.empty() ? std::string() : FromHex(reply[0]);
    }
    std::vector<std::string> Listed(int32_t kind, const std::string& path) {
        return phone_->Request("fs-list " + std::to_string(kind) + " " + path);
    }

    uint8_t* data_ = nullptr;
    char* text_ = nullptr;
    uint32_t length_ = 0;
};

TEST_F(FileSystemSimulatorTest, ReadsFilesOfEveryArea) {
    StartPhone();
    struct Item {
        int32_t kind;
        const char* path;
        std::string content;
    };
    const std::vector<Item> items = {
        {0, "/Documents/Notes.txt", kNotes},
        {1, "/Music/Song.mp3", Pattern(65536)},
        {4, "/Themes/Default.thm", Pattern(8192)},
    };
    for (const Item& item : items) {
        progress_.clear();
        ASSERT_EQ(MEXTAL_OK, Read(item.kind, item.path)) << item.path;
        EXPECT_EQ(item.content, Data()) << item.path;
        // The two bytes after the content are read and reported too.
        EXPECT_EQ(item.content.size() + 2, ProgressBytes(MEXTAL_MSG_RECEIVED_PIECE)) << item.path;
    }
}

TEST_F(FileSystemSimulatorTest, WrittenAndAppendedBytesAreStoredAndReadBack) {
    StartPhone();
    const std::string content = Pattern(5000);
    ASSERT_EQ(MEXTAL_OK, Write(0, "/Documents/Big.bin", content));
    EXPECT_EQ(content, Stored(0, "/Documents/Big.bin"));
    EXPECT_EQ(5000u, ProgressBytes(MEXTAL_MSG_SENT_PIECE));
    const std::string tail = "\r\n\x11\x13}end";
    ASSERT_EQ(MEXTAL_OK,
              api_.AppendMsFile(&settings_, 0, "/Documents/Big.bin", reinterpret_cast<const uint8_t*>(tail.data()),
                                static_cast<uint32_t>(tail.size()), 0));
    ASSERT_EQ(MEXTAL_OK, Read(0, "/Documents/Big.bin"));
    EXPECT_EQ(content + tail, Data());
    ASSERT_EQ(MEXTAL_OK, Write(1, "/Backup/empty", ""));
    uint32_t size = 7, attributes = 0, modified = 0;
    ASSERT_EQ(MEXTAL_OK, api_.QueryMsFileAttr(&settings_, 1, "/Backup/empty", &size, &attributes, &modified));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(kArchive, attributes);
}

TEST_F(FileSystemSimulatorTest, WriteToBuiltInContentSendsNoData) {
    StartPhone();
    phone_->TakeReceived();
    EXPECT_EQ(-6, Write(4, "/Themes/New.thm", "data"));
    std::string received = phone_->TakeReceived();
    EXPECT_EQ('\r', received.back());
    EXPECT_EQ(std::string::npos, received.find("data"));
}

TEST_F(FileSystemSimulatorTest, ListsDirectoriesOfEveryArea) {
    StartPhone();
    const std::string time = std::to_string(kDefaultTime);
    ASSERT_EQ(MEXTAL_OK, List(0, "/"));
    const std::string root =
        "16,0," + time + ",\"Documents\"\r\n16,0," + time + ",\"Pictures\"\r\n16,0," + time + ",\"Sounds\"";
    EXPECT_EQ(root, std::string(text_));
    EXPECT_EQ(root.size() + 1, length_);
    ASSERT_EQ(MEXTAL_OK, List(1, "/Backup"));
    EXPECT_STREQ("", text_);
    EXPECT_EQ(1u, length_);
    ASSERT_EQ(MEXTAL_OK, List(4, "/Sounds"));
    EXPECT_EQ("33,2048," + time + ",\"Alarm.mid\"", std::string(text_));
}

TEST_F(FileSystemSimulatorTest, ListingWithNameTheCodePageLacksIsRefused) {
    StartPhone();
    phone_->Request(std::string("fs-put 0 /Odd/") + kUtf8WithoutLocalForm + " 41");
    EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, List(0, "/Odd"));
    EXPECT_EQ(nullptr, text_);
    auto sample = UseLatinCodePage();
    if (!sample) GTEST_SKIP() << "no local code page with accented letters";
    phone_->Request("fs-put 0 \"/Documents/" + sample->utf8 + "\" 41");
    ASSERT_EQ(MEXTAL_OK, Read(0, "/Documents/" + sample->local));
    EXPECT_EQ("A", Data());
}

TEST_F(FileSystemSimulatorTest, TreeChangesReachTheHandset) {
    StartPhone();
    EXPECT_EQ(MEXTAL_OK, api_.NewDir(&settings_, 0, "/New"));
    EXPECT_EQ(-2, api_.NewDir(&settings_, 0, "/New"));
    EXPECT_EQ(-4, api_.DeleteDir(&settings_, 0, "/Pictures"));
    EXPECT_EQ(MEXTAL_OK, api_.RenameMsFile(&settings_, 0, "/Documents/Notes.txt", "/New/N.txt"));
    EXPECT_EQ(kNotes, Stored(0, "/New/N.txt"));
    EXPECT_EQ(-1, api_.DeleteMsFile(&settings_, 0, "/Documents/Notes.txt"));
    EXPECT_EQ(MEXTAL_OK, api_.RenameDir(&settings_, 0, "/New", "/Old"));
    EXPECT_EQ(-4, api_.DeleteDir(&settings_, 0, "/Old"));
    EXPECT_EQ(MEXTAL_OK, api_.DeleteMsFile(&settings_, 0, "/Old/N.txt"));
    EXPECT_EQ(MEXTAL_OK, api_.DeleteDir(&settings_, 0, "/Old"));
    EXPECT_EQ(-1, api_.DeleteDir(&settings_, 0, "/Old"));
    EXPECT_EQ(-7, api_.RenameDir(&settings_, 0, "/", "/Root"));
    EXPECT_EQ(-3, api_.DeleteMsFile(&settings_, 0, "/Pictures"));
}

TEST_F(FileSystemSimulatorTest, SpaceAndAttributes) {
    StartPhone();
    uint32_t total = 0, used = 0, available = 0;
    ASSERT_EQ(MEXTAL_OK, api_.QueryFlashSpace(&settings_, 0, &total, &used, &available));
    EXPECT_EQ(8388608u, total);
    EXPECT_EQ(20480u + 4096u + 21u + 6u, used);
    EXPECT_EQ(total - used, available);
    ASSERT_EQ(MEXTAL_OK, api_.QueryFlashSpace(&settings_, 4, &total, &used, &available));
    EXPECT_EQ(10240u, total);
    EXPECT_EQ(0u, available);
    uint32_t size = 0, attributes = 0, modified = 0;
    ASSERT_EQ(MEXTAL_OK, api_.QueryMsFileAttr(&settings_, 0, "/Documents/Notes.txt", &size, &attributes, &modified));
    EXPECT_EQ(21u, size);
    EXPECT_EQ(kArchive, attributes);
    EXPECT_EQ(kDefaultTime, modified);
    ASSERT_EQ(MEXTAL_OK, api_.QueryMsFileAttr(&settings_, 4, "/Sounds", &size, &attributes, &modified));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(kDirectory | kReadOnly, attributes);
}

TEST_F(FileSystemSimulatorTest, MissingMemoryCardFailsEveryOperation) {
    StartPhone("--no-card");
    uint32_t a = 0, b = 0, c = 0;
    const std::vector<std::pair<const char*, std::function<int32_t()>>> calls = {
        {"read", [&] { return Read(1, "/Music/Song.mp3"); }},
        {"write", [&] { return Write(1, "/x", "x"); }},
        {"append", [&] { return api_.AppendMsFile(&settings_, 1, "/x", reinterpret_cast<const uint8_t*>("x"), 1, 0); }},
        {"delete", [&] { return api_.DeleteMsFile(&settings_, 1, "/x"); }},
        {"rename", [&] { return api_.RenameMsFile(&settings_, 1, "/x", "/y"); }},
        {"space", [&] { return api_.QueryFlashSpace(&settings_, 1, &a, &b, &c); }},
        {"attributes", [&] { return api_.QueryMsFileAttr(&settings_, 1, "/Music", &a, &b, &c); }},
        {"list", [&] { return List(1, "/"); }},
        {"new dir", [&] { return api_.NewDir(&settings_, 1, "/d"); }},
        {"delete dir", [&] { return api_.DeleteDir(&settings_, 1, "/Backup"); }},
        {"rename dir", [&] { return api_.RenameDir(&settings_, 1, "/Backup", "/B"); }},
    };
    for (const auto& call : calls) EXPECT_EQ(-8, call.second()) << call.first;
    EXPECT_EQ(nullptr, data_);
    EXPECT_EQ(nullptr, text_);
}

TEST_F(FileSystemSimulatorTest, EveryFailureKindGivesItsCode) {
    struct FaultCase {
        const char* options;
        std::function<int32_t()> call;
        int32_t result;
    };
    uint32_t a = 0, b = 0, c = 0;
    const std::vector<FaultCase> cases = {
        {"--error AT$FSRF", [&] { return Read(0, "/Documents/Notes.txt"); }, MEXTAL_HANDSET_ERROR},
        {"--fail AT$FSWF=5", [&] { return Write(0, "/x", "abc"); }, -5},
        {"--fail-after-data AT$FSWF=9", [&] { return Write(0, "/x", "abc"); }, -9},
        {"--fail AT$FSQA=7", [&] { return api_.QueryMsFileAttr(&settings_, 0, "/x", &a, &b, &c); }, -7},
        {"--silent AT$FSMISC", [&] { return api_.QueryFlashSpace(&settings_, 0, &a, &b, &c); }, LINK_TIMEOUT},
        {"--stall AT$FSDIR", [&] { return List(0, "/"); }, MEXTAL_FINAL_ANSWER_FAILED},
        {"--stall AT$FSMISC", [&] { return api_.NewDir(&settings_, 0, "/d"); }, MEXTAL_FINAL_ANSWER_FAILED},
        {"--short-raw AT$FSRF", [&] { return Read(0, "/Documents/Notes.txt"); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--bad-length AT$FSRF", [&] { return Read(0, "/Sounds/Ring1.mid"); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--bad-length AT$FSDIR", [&] { return List(0, "/"); }, MEXTAL_UNEXPECTED_ANSWER},
    };
    StartPhone();
    for (const FaultCase& f : cases) {
        phone_->Reset(f.options);
        api_.SetWaitResTime(kShortTimeoutMs);
        EXPECT_EQ(f.result, f.call()) << f.options;
        EXPECT_TRUE(data_ == nullptr && text_ == nullptr) << f.options;
        EXPECT_EQ(0u, a + b + c) << f.options;
        for (const std::string& entry : Listed(0, "/")) EXPECT_EQ(std::string::npos, entry.find("\"x\"")) << f.options;
    }
}

TEST_F(FileSystemSimulatorTest, LostAnswerAfterUploadLeavesFileWritten) {
    StartPhone("--stall AT$FSWF");
    api_.SetLongTimeoutForTesting(kShortTimeoutMs);
    EXPECT_EQ(MEXTAL_FINAL_ANSWER_FAILED, Write(0, "/Documents/new.txt", "written"));
    EXPECT_EQ("written", Stored(0, "/Documents/new.txt"));
}

TEST_F(FileSystemSimulatorTest, WrongAnswerKeywordIsRefused) {
    StartPhone();
    const std::vector<Exchange> exchanges = {
        {"AT\r", kOk}, {"ATE0\r", kOk}, {"AT$FSRF=0,\"/a\"\r", "\r\n$FSDIR: 0,5\r\n"}};
    EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, RunScripted([this] { return Read(0, "/a"); }, exchanges));
    EXPECT_EQ(nullptr, data_);
}

TEST_F(FileSystemSimulatorTest, CablePulledDuringDownloadLosesTheAnswer) {
    StartPhone("--cut-raw AT$FSRF=4000");
    api_.SetWaitResTime(kShortTimeoutMs);
    EXPECT_EQ(MEXTAL_FINAL_ANSWER_FAILED, Read(0, "/Pictures/Sunset.jpg"));
    EXPECT_EQ(nullptr, data_);
    EXPECT_EQ(0u, length_);
    phone_->Plug();
}

}  // namespace

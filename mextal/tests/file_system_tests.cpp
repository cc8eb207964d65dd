// The file-system operations against a scripted handset, and the lines and
// answers of their commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "code_page_samples.h"
#include "crc32.h"
#include "family_records.h"
#include "file_system.h"
#include "handset_harness.h"

namespace {

using namespace mextal::test;
using Strings = std::vector<std::string>;

constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kError = "\r\nERROR\r\n";
const HandsetWindow kWindow = reinterpret_cast<HandsetWindow>(0x10);
const std::string kReadLine = "AT$FSRF=0,\"/Documents/Notes.txt\"\r";
const std::string kNotes = "Buy milk\r\nCall Anna\r\n";

std::string Info(const std::string& text) { return "\r\n" + text + "\r\n"; }

// A polite handset and the outputs of the operations, released at the end.
struct FilePhone : HandsetHarness {
    FilePhone() { ScriptPoliteHandshake(); }
    ~FilePhone() {
        std::free(data);
        std::free(text);
    }
    int32_t Read(int32_t kind = 0, const char* path = "/Documents/Notes.txt", uint32_t reserved = 0) {
        return api.ReadMsFile(&settings, kind, path, &data, &length, reserved);
    }
    int32_t List(int32_t kind = 0, const char* path = "/Documents") {
        return api.ListDir(&settings, kind, path, &text, &length);
    }
    int32_t Write(const std::string& bytes, int32_t kind = 0, const char* path = "/a.bin") {
        return api.WriteMsFile(&settings, kind, path, reinterpret_cast<const uint8_t*>(bytes.data()),
                               static_cast<uint32_t>(bytes.size()), 0);
    }
    std::string Data() const { return std::string(reinterpret_cast<const char*>(data), length); }
    size_t WrittenAfter(const std::string& line) const {
        for (size_t i = 0; i < port.written.size(); ++i) {
            if (port.written[i] == line) return port.written.size() - i - 1;
        }
        return 0;
    }

    uint8_t* data = nullptr;
    char* text = nullptr;
    uint32_t length = 0;
};

std::string BuildLine(AtCommandId id, const FamilyRequestFields& fields) {
    CAtResponseParser parser;
    AtCommandLine line{};
    if (parser.BuildRequest(MakeFamilyRequest(id, fields), &line) != PARSE_OK) return "<none>";
    std::string text(line.bytes, line.length);
    parser.FreeRequest(&line);
    return text;
}

FamilyRequestFields Fields(int32_t form, std::vector<uint32_t> numbers, const char* path = "",
                           const char* newPath = "") {
    FamilyRequestFields fields{};
    fields.form = form;
    for (size_t i = 0; i < numbers.size(); ++i) fields.numbers[i] = numbers[i];
    std::snprintf(fields.text0, sizeof fields.text0, "%s", path);
    std::snprintf(fields.text1, sizeof fields.text1, "%s", newPath);
    return fields;
}

TEST(FileSystemLines, EveryCommandFormatsItsFieldsInLineOrder) {
    struct Case {
        AtCommandId id;
        FamilyRequestFields fields;
        std::string line;
    };
    const std::vector<Case> cases = {
        {AT_CMD_FSRF, Fields(0, {4}, "/Themes/Default.thm"), "AT$FSRF=4,\"/Themes/Default.thm\"\r"},
        {AT_CMD_FSWF, Fields(0, {1, 1, 9, 3421780262u}, "/a b,c"), "AT$FSWF=1,\"/a b,c\",1,9,3421780262\r"},
        {AT_CMD_FSDIR, Fields(0, {0}, "/"), "AT$FSDIR=0,\"/\"\r"},
        {AT_CMD_FSQA, Fields(0, {0}, "/x"), "AT$FSQA=0,\"/x\"\r"},
        {AT_CMD_FSMISC, Fields(FS_MISC_DELETE_FILE, {0}, "/x"), "AT$FSMISC=1,0,\"/x\"\r"},
        {AT_CMD_FSMISC, Fields(FS_MISC_RENAME_FILE, {1}, "/x", "/y"), "AT$FSMISC=2,1,\"/x\",\"/y\"\r"},
        {AT_CMD_FSMISC, Fields(FS_MISC_NEW_DIR, {0}, "/d"), "AT$FSMISC=3,0,\"/d\"\r"},
        {AT_CMD_FSMISC, Fields(FS_MISC_DELETE_DIR, {0}, "/d"), "AT$FSMISC=4,0,\"/d\"\r"},
        {AT_CMD_FSMISC, Fields(FS_MISC_RENAME_DIR, {0}, "/d", "/e/f"), "AT$FSMISC=5,0,\"/d\",\"/e/f\"\r"},
        {AT_CMD_FSMISC, Fields(FS_MISC_SPACE, {4}, "ignored"), "AT$FSMISC=6,4\r"},
        {AT_CMD_FSMISC, Fields(7, {0}, "/d"), "<none>"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.line, BuildLine(c.id, c.fields)) << c.line;
}

TEST(FileSystemAnswers, ParsedIntoNumbersOrRefused) {
    struct Case {
        std::string chunk;
        int32_t result;
        int32_t id;
        std::vector<uint32_t> numbers;
    };
    const std::vector<Case> cases = {
        {"$FSRF: 0,5", PARSE_OK, AT_RSP_FSRF, {0, 5}},
        {"$FSRF: 1, 4294967295 ", PARSE_OK, AT_RSP_FSRF, {1, 4294967295u}},
        {"$FSDIR: 0,523", PARSE_OK, AT_RSP_FSDIR, {0, 523}},
        {"$FSQA: 0,2048,32,1199145600", PARSE_OK, AT_RSP_FSQA, {0, 2048, 32, 1199145600}},
        {"$FSMISC: 3,1", PARSE_OK, AT_RSP_FSMISC, {3, 1}},
        {"$FSMISC: 6,0,8388608,1048576,7340032", PARSE_OK, AT_RSP_FSMISC, {6, 0, 8388608, 1048576, 7340032}},
        {"$FSRF 0,5", PARSE_NO_COLON, AT_RSP_FSRF, {}},
        {"$FSMISC: 7,0", PARSE_NO_COLON, AT_RSP_FSMISC, {}},
        {"$FSMISC: 0,0", PARSE_NO_COLON, AT_RSP_FSMISC, {}},
        {"$FSMISC: 6,0", PARSE_BAD_FIELDS, AT_RSP_FSMISC, {}},
        {"$FSMISC: 1,0,5", PARSE_BAD_FIELDS, AT_RSP_FSMISC, {}},
        {"$FSMISC: x,0", PARSE_BAD_FIELDS, AT_RSP_FSMISC, {}},
        {"$FSRF: 0", PARSE_BAD_FIELDS, AT_RSP_FSRF, {}},
        {"$FSRF: 0,5,6", PARSE_BAD_FIELDS, AT_RSP_FSRF, {}},
        {"$FSRF: 0,4294967296", PARSE_BAD_FIELDS, AT_RSP_FSRF, {}},
        {"$FSRF: 0,-1", PARSE_BAD_FIELDS, AT_RSP_FSRF, {}},
        {"$FSRF: 0,", PARSE_BAD_FIELDS, AT_RSP_FSRF, {}},
        {"$FSQA: 0,1,2", PARSE_BAD_FIELDS, AT_RSP_FSQA, {}},
        {"$FSERROR: 9", PARSE_OK, AT_RSP_FSERROR, {9}},
    };
    CAtResponseParser parser;
    for (const Case& c : cases) {
        AtResponse response{};
        std::string chunk = Info(c.chunk);
        EXPECT_EQ(c.result, parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size())))
            << c.chunk;
        EXPECT_EQ(c.id, response.id) << c.chunk;
        FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
        for (size_t i = 0; i < c.numbers.size(); ++i) EXPECT_EQ(c.numbers[i], answer.numbers[i]) << c.chunk;
    }
}

TEST(ReadMsFile, HandsOutContentWithClosingBytesAndReportsEveryPiece) {
    FilePhone p;
    p.api.RegisterUI(kWindow);
    p.port.On(kReadLine, {Info("$FSRF: 0,21"), "Buy milk\r\n", "Call Anna\r\n", "\r\n\r\nOK\r\n"});
    ASSERT_EQ(MEXTAL_OK, p.Read());
    EXPECT_EQ((Strings{"AT\r", "ATE0\r", kReadLine}), p.port.written);
    EXPECT_EQ(kNotes, p.Data());
    EXPECT_EQ('\r', p.data[21]);
    EXPECT_EQ('\n', p.data[22]);
    EXPECT_EQ((std::vector<uint32_t>{2000, 10000, 10000, 10000, 10000, 10000}), p.port.readTimeouts);
    EXPECT_EQ((std::vector<ProgressMessage>{{kWindow, MEXTAL_MSG_RECEIVED_PIECE, 10},
                                            {kWindow, MEXTAL_MSG_RECEIVED_PIECE, 11},
                                            {kWindow, MEXTAL_MSG_RECEIVED_PIECE, 2}}),
              p.progress);
}

TEST(ReadMsFile, EmptyFileGivesTwoByteBufferAndLengthZero) {
    FilePhone p;
    p.port.On("AT$FSRF=0,\"/e\"\r", {Info("$FSRF: 0,0"), "\r\n\r\nOK\r\n"});
    ASSERT_EQ(MEXTAL_OK, p.Read(0, "/e"));
    ASSERT_NE(nullptr, p.data);
    EXPECT_EQ(0u, p.length);
}

TEST(ReadMsFile, RefusedArgumentsSendNothing) {
    std::string longPath = "/" + std::string(260, 'a');
    struct Case {
        const char* what;
        int32_t kind;
        const char* path;
        uint32_t reserved;
        bool dataSet;
    };
    const std::vector<Case> cases = {
        {"kind 2", 2, "/a", 0, false},
        {"kind 255", 255, "/a", 0, false},
        {"kind -1", -1, "/a", 0, false},
        {"reserved 1", 0, "/a", 1, false},
        {"data set", 0, "/a", 0, true},
        {"null path", 0, nullptr, 0, false},
        {"empty path", 0, "", 0, false},
        {"quote", 0, "/a\"b", 0, false},
        {"CR", 0, "/a\rb", 0, false},
        {"LF", 0, "/a\nb", 0, false},
        {"261 bytes", 0, longPath.c_str(), 0, false},
    };
    for (const Case& c : cases) {
        FilePhone p;
        uint8_t other = 0;
        if (c.dataSet) p.data = &other;
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.Read(c.kind, c.path, c.reserved)) << c.what;
        EXPECT_TRUE(p.port.written.empty()) << c.what;
        if (c.dataSet) p.data = nullptr;
    }
    FilePhone p;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.ReadMsFile(&p.settings, 0, "/a", nullptr, &p.length, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.ReadMsFile(nullptr, 0, "/a", &p.data, &p.length, 0));
    p.port.On("AT$FSRF=0,\"" + longPath.substr(0, 260) + "\"\r", {Info("$FSERROR: 7")});
    EXPECT_EQ(-7, p.Read(0, longPath.substr(0, 260).c_str()));
}

TEST(ReadMsFile, EveryFailureKindHandsOutNothing) {
    struct Case {
        const char* what;
        Strings chunks;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"ERROR", {kError}, MEXTAL_HANDSET_ERROR},
        {"error line", {Info("$FSERROR: 1")}, -1},
        {"error number 0", {Info("$FSERROR: 0")}, MEXTAL_UNEXPECTED_ANSWER},
        {"error line without colon", {Info("$FSERROR 1")}, PARSE_NO_COLON},
        {"wrong keyword", {Info("$FSDIR: 0,21")}, MEXTAL_UNEXPECTED_ANSWER},
        {"other kind", {Info("$FSRF: 1,21"), kNotes + "\r\n", kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"garbled announcement", {Info("$FSRF: 0,x")}, PARSE_BAD_FIELDS},
        {"silence", {}, LINK_TIMEOUT},
        {"beyond 16 MiB", {Info("$FSRF: 0,16777217")}, MEXTAL_UNEXPECTED_ANSWER},
        {"largest length", {Info("$FSRF: 0,4294967295")}, MEXTAL_UNEXPECTED_ANSWER},
        {"one byte short",
         {Info("$FSRF: 0,21"), "Buy milk\r\n", "Call Anna\r", "\r\n\r\nOK\r\n"},
         MEXTAL_UNEXPECTED_ANSWER},
        {"content broken off", {Info("$FSRF: 0,21"), "Buy milk\r\n"}, MEXTAL_FINAL_ANSWER_FAILED},
        {"no final line", {Info("$FSRF: 0,21"), kNotes + "\r\n"}, MEXTAL_FINAL_ANSWER_FAILED},
        {"final ERROR", {Info("$FSRF: 0,21"), kNotes + "\r\n", kError}, MEXTAL_HANDSET_ERROR},
        {"final error line glued", {Info("$FSRF: 0,21"), kNotes + "\r\n\r\n$FSERROR: 5\r\n"}, -5},
        {"final line garbled", {Info("$FSRF: 0,21"), kNotes + "\r\n", "\r\nzzz\r\n"}, MEXTAL_FINAL_ANSWER_FAILED},
        {"final other keyword", {Info("$FSRF: 0,21"), kNotes + "\r\n", Info("$FSRF: 0,21")}, MEXTAL_UNEXPECTED_ANSWER},
    };
    for (const Case& c : cases) {
        FilePhone p;
        p.port.On(kReadLine, c.chunks);
        EXPECT_EQ(c.result, p.Read()) << c.what;
        EXPECT_EQ(nullptr, p.data) << c.what;
        EXPECT_EQ(0u, p.length) << c.what;
    }
}

TEST(ReadMsFile, HandshakeAndPortFailuresComeBackUnchanged) {
    FilePhone noPort;
    EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE,
              noPort.api.ReadMsFile(&noPort.missingPort, 0, "/a", &noPort.data, &noPort.length, 0));
    FilePhone refused;
    refused.port.On("ATE0\r", {kError});
    EXPECT_EQ(MEXTAL_HANDSET_ERROR, refused.Read());
    EXPECT_EQ(0u, refused.port.CountWritten(kReadLine));
    FilePhone broken;
    broken.port.writeFailure = LINK_WRITE_FAILED;
    broken.port.failingWrite = 2;
    EXPECT_EQ(LINK_WRITE_FAILED, broken.Read());
}

TEST(WriteMsFile, SendsCountCrcAndContentInPiecesAndWaitsLongForAnswer) {
    FilePhone p;
    p.api.RegisterUI(kWindow);
    std::string content(5000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    uint32_t crc = mextal::Crc32(reinterpret_cast<const uint8_t*>(content.data()), content.size());
    const std::string line = "AT$FSWF=0,\"/a.bin\",0,5000," + std::to_string(crc) + "\r";
    p.port.On(line, {kOk, kOk});
    ASSERT_EQ(MEXTAL_OK, p.Write(content));
    EXPECT_EQ(
        (Strings{"AT\r", "ATE0\r", line, content.substr(0, 2048), content.substr(2048, 2048), content.substr(4096)}),
        p.port.written);
    EXPECT_EQ((std::vector<ProgressMessage>{{kWindow, MEXTAL_MSG_SENT_PIECE, 2048},
                                            {kWindow, MEXTAL_MSG_SENT_PIECE, 2048},
                                            {kWindow, MEXTAL_MSG_SENT_PIECE, 904}}),
              p.progress);
    EXPECT_EQ(60000u, p.port.readTimeouts.back());
}

TEST(WriteMsFile, EmptyFileIsWrittenButEmptyAppendIsRefused) {
    FilePhone p;
    p.port.On("AT$FSWF=0,\"/a.bin\",0,0,0\r", {kOk, kOk});
    EXPECT_EQ(MEXTAL_OK, p.Write(""));
    EXPECT_EQ(0u, p.WrittenAfter("AT$FSWF=0,\"/a.bin\",0,0,0\r"));
    FilePhone q;
    const uint8_t byte = 1;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, q.api.AppendMsFile(&q.settings, 0, "/a", &byte, 0, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, q.api.WriteMsFile(&q.settings, 0, "/a", nullptr, 0, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, q.api.WriteMsFile(&q.settings, 0, "/a", &byte, 16777217, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, q.api.WriteMsFile(&q.settings, 0, "/a", &byte, 1, 1));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, q.api.AppendMsFile(&q.settings, 3, "/a", &byte, 1, 0));
    EXPECT_TRUE(q.port.written.empty());
}

TEST(AppendMsFile, SendsModeOne) {
    FilePhone p;
    const std::string line = "AT$FSWF=1,\"/Backup/log\",1,9,3421780262\r";
    p.port.On(line, {kOk, kOk});
    const std::string digits = "123456789";
    EXPECT_EQ(MEXTAL_OK,
              p.api.AppendMsFile(&p.settings, 1, "/Backup/log", reinterpret_cast<const uint8_t*>(digits.data()), 9, 0));
    EXPECT_EQ(digits, p.port.written.back());
}

TEST(WriteMsFile, FailuresBeforeAndAfterTheData) {
    const std::string line = "AT$FSWF=4,\"/a.bin\",0,3,891568578\r";
    struct Case {
        const char* what;
        Strings chunks;
        int32_t result;
        size_t dataWrites;
    };
    const std::vector<Case> cases = {
        {"write-protected", {Info("$FSERROR: 6")}, -6, 0},
        {"ERROR", {kError}, MEXTAL_HANDSET_ERROR, 0},
        {"wrong go-ahead", {Info("$FSRF: 4,3")}, MEXTAL_UNEXPECTED_ANSWER, 0},
        {"silence", {}, LINK_TIMEOUT, 0},
        {"damaged upload", {kOk, Info("$FSERROR: 9")}, -9, 1},
        {"refused after data", {kOk, kError}, MEXTAL_HANDSET_ERROR, 1},
        {"lost answer", {kOk}, MEXTAL_FINAL_ANSWER_FAILED, 1},
        {"garbled answer", {kOk, "\r\nzzz\r\n"}, MEXTAL_FINAL_ANSWER_FAILED, 1},
    };
    for (const Case& c : cases) {
        FilePhone p;
        p.port.On(line, c.chunks);
        EXPECT_EQ(c.result, p.Write("abc", 4)) << c.what;
        EXPECT_EQ(c.dataWrites, p.WrittenAfter(line)) << c.what;
    }
    FilePhone cut;
    cut.port.On(line, {kOk});
    cut.port.writeFailure = LINK_WRITE_FAILED;
    cut.port.failingWrite = 3;
    EXPECT_EQ(LINK_WRITE_FAILED, cut.Write("abc", 4));
}

// The operations of "AT$FSMISC" that change the tree, each with its line.
struct ChangeCase {
    const char* what;
    std::function<int32_t(FilePhone&)> call;
    std::string line;
    std::string answer;
};

std::vector<ChangeCase> ChangeCases() {
    return {
        {"DeleteMsFile", [](FilePhone& p) { return p.api.DeleteMsFile(&p.settings, 0, "/x"); },
         "AT$FSMISC=1,0,\"/x\"\r", "$FSMISC: 1,0"},
        {"RenameMsFile", [](FilePhone& p) { return p.api.RenameMsFile(&p.settings, 1, "/x", "/d/y"); },
         "AT$FSMISC=2,1,\"/x\",\"/d/y\"\r", "$FSMISC: 2,1"},
        {"NewDir", [](FilePhone& p) { return p.api.NewDir(&p.settings, 0, "/d"); }, "AT$FSMISC=3,0,\"/d\"\r",
         "$FSMISC: 3,0"},
        {"DeleteDir", [](FilePhone& p) { return p.api.DeleteDir(&p.settings, 4, "/d"); }, "AT$FSMISC=4,4,\"/d\"\r",
         "$FSMISC: 4,4"},
        {"RenameDir", [](FilePhone& p) { return p.api.RenameDir(&p.settings, 0, "/d", "/e"); },
         "AT$FSMISC=5,0,\"/d\",\"/e\"\r", "$FSMISC: 5,0"},
    };
}

TEST(FileSystemChanges, EachSendsItsSubCommandAndTakesItsAnswer) {
    for (const ChangeCase& c : ChangeCases()) {
        FilePhone p;
        p.port.On(c.line, {Info(c.answer), kOk});
        EXPECT_EQ(MEXTAL_OK, c.call(p)) << c.what;
        EXPECT_EQ(1u, p.port.CountWritten(c.line)) << c.what;
    }
}

TEST(FileSystemChanges, AnswersThatDoNotFitFail) {
    struct Failure {
        const char* what;
        std::function<Strings(const ChangeCase&)> chunks;
        int32_t result;
    };
    const std::vector<Failure> failures = {
        {"error line", [](const ChangeCase&) { return Strings{Info("$FSERROR: 4")}; }, -4},
        {"ERROR", [](const ChangeCase&) { return Strings{kError}; }, MEXTAL_HANDSET_ERROR},
        {"other sub-command",
         [](const ChangeCase&) {
             return Strings{Info("$FSMISC: 6,0,1,1,0"), kOk};
         },
         MEXTAL_UNEXPECTED_ANSWER},
        {"other kind",
         [](const ChangeCase& c) {
             return Strings{Info(c.answer + "9"), kOk};
         },
         MEXTAL_UNEXPECTED_ANSWER},
        {"final ERROR",
         [](const ChangeCase& c) {
             return Strings{Info(c.answer), kError};
         },
         MEXTAL_HANDSET_ERROR},
        {"final lost", [](const ChangeCase& c) { return Strings{Info(c.answer)}; }, MEXTAL_FINAL_ANSWER_FAILED},
        {"silence", [](const ChangeCase&) { return Strings{}; }, LINK_TIMEOUT},
    };
    for (const ChangeCase& c : ChangeCases()) {
        for (const Failure& f : failures) {
            FilePhone p;
            p.port.On(c.line, f.chunks(c));
            EXPECT_EQ(f.result, c.call(p)) << c.what << ", " << f.what;
        }
    }
}

TEST(FileSystemChanges, RefusedPathsSendNothing) {
    FilePhone p;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.RenameMsFile(&p.settings, 0, "/x", ""));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.RenameMsFile(&p.settings, 0, "/x", nullptr));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.RenameDir(&p.settings, 0, "", "/y"));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.RenameDir(&p.settings, 0, "/x", "/y\"z"));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.NewDir(&p.settings, 2, "/d"));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.DeleteDir(&p.settings, 0, nullptr));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.DeleteMsFile(nullptr, 0, "/x"));
    EXPECT_TRUE(p.port.written.empty());
}

TEST(QueryFlashSpace, SetsCountsOnlyOnSuccess) {
    struct Case {
        Strings chunks;
        int32_t result;
        uint32_t total;
    };
    const std::vector<Case> cases = {
        {{Info("$FSMISC: 6,1,67108864,65536,67043328"), kOk}, MEXTAL_OK, 67108864},
        {{Info("$FSERROR: 8")}, -8, 0},
        {{Info("$FSMISC: 6,0,67108864,65536,67043328"), kOk}, MEXTAL_UNEXPECTED_ANSWER, 0},
        {{Info("$FSMISC: 6,1,67108864,65536,67043328")}, MEXTAL_FINAL_ANSWER_FAILED, 0},
        {{Info("$FSMISC: 6,1,1"), kOk}, PARSE_BAD_FIELDS, 0},
    };
    for (const Case& c : cases) {
        FilePhone p;
        p.port.On("AT$FSMISC=6,1\r", c.chunks);
        uint32_t total = 7, used = 7, available = 7;
        EXPECT_EQ(c.result, p.api.QueryFlashSpace(&p.settings, 1, &total, &used, &available)) << c.chunks[0];
        EXPECT_EQ(c.total, total);
        EXPECT_EQ(c.result == MEXTAL_OK ? 65536u : 0u, used);
        EXPECT_EQ(c.result == MEXTAL_OK ? 67043328u : 0u, available);
    }
    FilePhone p;
    uint32_t count = 0;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.QueryFlashSpace(&p.settings, 0, &count, nullptr, &count));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.QueryFlashSpace(&p.settings, 5, &count, &count, &count));
}

TEST(QueryMsFileAttr, SetsValuesOnlyOnSuccess) {
    const std::string line = "AT$FSQA=0,\"/Pictures\"\r";
    struct Case {
        Strings chunks;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {{Info("$FSQA: 0,0,16,1199145600"), kOk}, MEXTAL_OK},
        {{Info("$FSERROR: 1")}, -1},
        {{Info("$FSQA: 1,0,16,1199145600"), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {{Info("$FSQA: 0,0,16,1199145600"), kError}, MEXTAL_HANDSET_ERROR},
    };
    for (const Case& c : cases) {
        FilePhone p;
        p.port.On(line, c.chunks);
        uint32_t size = 7, attributes = 7, modified = 7;
        EXPECT_EQ(c.result, p.api.QueryMsFileAttr(&p.settings, 0, "/Pictures", &size, &attributes, &modified));
        EXPECT_EQ(0u, size);
        EXPECT_EQ(c.result == MEXTAL_OK ? 16u : 0u, attributes);
        EXPECT_EQ(c.result == MEXTAL_OK ? 1199145600u : 0u, modified);
    }
}

TEST(ListDir, HandsOutListingAsTextCountingTerminator) {
    FilePhone p;
    const std::string listing = "32,20480,1199145600,\"Sunset.jpg\"\r\n16,0,1199145600,\"Holiday\"";
    p.port.On("AT$FSDIR=0,\"/Pictures\"\r",
              {Info("$FSDIR: 0," + std::to_string(listing.size())), "32,20480,1199145600,\"Sunset.jpg\"\r\n",
               "16,0,1199145600,\"Holiday\"\r\n", kOk});
    ASSERT_EQ(MEXTAL_OK, p.List(0, "/Pictures"));
    EXPECT_EQ(listing, std::string(p.text));
    EXPECT_EQ(listing.size() + 1, p.length);
}

TEST(ListDir, EmptyDirectoryGivesEmptyText) {
    FilePhone p;
    p.port.On("AT$FSDIR=1,\"/Backup\"\r", {Info("$FSDIR: 1,0"), "\r\n\r\nOK\r\n"});
    ASSERT_EQ(MEXTAL_OK, p.List(1, "/Backup"));
    EXPECT_STREQ("", p.text);
    EXPECT_EQ(1u, p.length);
}

TEST(ListDir, ListingsThatCannotBeHandedOutFail) {
    UseDefaultCodePage();
    const std::string line = "AT$FSDIR=0,\"/Documents\"\r";
    struct Case {
        const char* what;
        Strings chunks;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"zero byte", {Info("$FSDIR: 0,3"), std::string("a\0b\r\n", 5), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"not in the local code page",
         {Info("$FSDIR: 0,7"), std::string("\"") + kUtf8WithoutLocalForm + "\"\r\n", kOk},
         MEXTAL_UNEXPECTED_ANSWER},
        {"beyond 1 MiB", {Info("$FSDIR: 0,1048577")}, MEXTAL_UNEXPECTED_ANSWER},
        {"stalled", {Info("$FSDIR: 0,3")}, MEXTAL_FINAL_ANSWER_FAILED},
        {"other kind", {Info("$FSDIR: 1,3"), "abc\r\n", kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"text set on entry", {}, MEXTAL_BAD_ARGUMENT},
    };
    for (const Case& c : cases) {
        FilePhone p;
        char other = 0;
        if (c.result == MEXTAL_BAD_ARGUMENT) p.text = &other;
        p.port.On(line, c.chunks);
        EXPECT_EQ(c.result, p.List()) << c.what;
        if (c.result == MEXTAL_BAD_ARGUMENT) {
            EXPECT_TRUE(p.port.written.empty());
            p.text = nullptr;
        }
        EXPECT_EQ(nullptr, p.text) << c.what;
        EXPECT_EQ(0u, p.length) << c.what;
    }
}

TEST(ListDir, NamesTravelInUtf8BothWays) {
    auto sample = UseLatinCodePage();
    if (!sample) GTEST_SKIP() << "no local code page with accented letters";
    FilePhone p;
    const std::string listing = "32,6,1199145600,\"" + sample->utf8 + "\"";
    p.port.On("AT$FSDIR=0,\"/" + sample->utf8 + "\"\r",
              {Info("$FSDIR: 0," + std::to_string(listing.size())), listing + "\r\n", kOk});
    ASSERT_EQ(MEXTAL_OK, p.List(0, ("/" + sample->local).c_str()));
    EXPECT_EQ("32,6,1199145600,\"" + sample->local + "\"", std::string(p.text));
    UseDefaultCodePage();
}

}  // namespace

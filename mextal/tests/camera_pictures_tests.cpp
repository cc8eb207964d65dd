// The camera-picture operations against a scripted handset, and the lines and
// answers of their commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "camera_pictures.h"
#include "family_records.h"
#include "handset_harness.h"

namespace {

using namespace mextal::test;
using Strings = std::vector<std::string>;

constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kError = "\r\nERROR\r\n";
const std::string kReadLine = "AT$QKDSCRF=\"Camera/DSC00001.jpg\"\r";
const std::string kRenameLine = "AT$QKDSCMV=0,\"Camera/DSC00001.jpg\",\"Album/Party.jpg\"\r";
const std::string kDeleteLine = "AT$QKDSCMV=1,\"Camera/DSC00001.jpg\"\r";

std::string Info(const std::string& text) { return "\r\n" + text + "\r\n"; }

struct CameraPhone : HandsetHarness {
    CameraPhone() { ScriptPoliteHandshake(); }
    ~CameraPhone() {
        std::free(data);
        std::free(text);
    }
    int32_t Read(const char* name = "Camera/DSC00001.jpg") {
        return api.DSCReadMsFile(&settings, name, &data, &length);
    }
    int32_t List(const char* folder = "") { return api.DSCListDir(&settings, folder, &text, &length); }
    int32_t Rename(const char* newName = "Album/Party.jpg", uint32_t reserved = 0) {
        return api.DSCRenameMsFile(&settings, "Camera/DSC00001.jpg", newName, reserved);
    }
    int32_t Delete(const char* name = "Camera/DSC00001.jpg", uint32_t reserved = 0) {
        return api.DSCDelMsFile(&settings, name, reserved);
    }

    uint8_t* data = nullptr;
    char* text = nullptr;
    uint32_t length = 0;
};

TEST(PictureLines, EachCommandQuotesItsNames) {
    struct Case {
        AtCommandId id;
        int32_t form;
        const char* name;
        const char* newName;
        std::string line;
    };
    const std::vector<Case> cases = {
        {AT_CMD_QKDSCDIR, 0, "", "", "AT$QKDSCDIR=\"\"\r"},
        {AT_CMD_QKDSCDIR, 0, "Camera", "", "AT$QKDSCDIR=\"Camera\"\r"},
        {AT_CMD_QKDSCRF, 0, "Album/a,b.jpg", "", "AT$QKDSCRF=\"Album/a,b.jpg\"\r"},
        {AT_CMD_QKDSCMV, DSC_MOVE_RENAME, "Camera/DSC00001.jpg", "Album/Party.jpg", kRenameLine},
        {AT_CMD_QKDSCMV, DSC_MOVE_DELETE, "Camera/DSC00001.jpg", "ignored", kDeleteLine},
        {AT_CMD_QKDSCMV, 2, "a/b", "", "<none>"},
    };
    CAtResponseParser parser;
    for (const Case& c : cases) {
        FamilyRequestFields fields{};
        fields.form = c.form;
        std::snprintf(fields.text0, sizeof fields.text0, "%s", c.name);
        std::snprintf(fields.text1, sizeof fields.text1, "%s", c.newName);
        AtCommandLine line{};
        std::string built = "<none>";
        if (parser.BuildRequest(MakeFamilyRequest(c.id, fields), &line) == PARSE_OK) {
            built.assign(line.bytes, line.length);
            parser.FreeRequest(&line);
        }
        EXPECT_EQ(c.line, built);
    }
}

TEST(PictureAnswers, CarryOneNumber) {
    struct Case {
        std::string text;
        int32_t result;
        int32_t id;
        uint32_t number;
    };
    const std::vector<Case> cases = {
        {"$QKDSCDIR: 311", PARSE_OK, AT_RSP_QKDSCDIR, 311},      {"$QKDSCMV: 0", PARSE_OK, AT_RSP_QKDSCMV, 0},
        {"$QKDSCRF: 20480", PARSE_OK, AT_RSP_QKDSCRF, 20480},    {"$QKDSCRF 20480", PARSE_NO_COLON, AT_RSP_QKDSCRF, 0},
        {"$QKDSCRF: 1,2", PARSE_BAD_FIELDS, AT_RSP_QKDSCRF, 0},  {"$QKDSCMV: ", PARSE_BAD_FIELDS, AT_RSP_QKDSCMV, 0},
        {"$QKDSCDIR: +5", PARSE_BAD_FIELDS, AT_RSP_QKDSCDIR, 0},
    };
    CAtResponseParser parser;
    for (const Case& c : cases) {
        AtResponse response{};
        std::string chunk = Info(c.text);
        EXPECT_EQ(c.result, parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size())))
            << c.text;
        EXPECT_EQ(c.id, response.id) << c.text;
        EXPECT_EQ(c.number, FamilyAnswerFieldsOf(response).numbers[0]) << c.text;
    }
}

TEST(DSCListDir, FoldersOfTheAlbumAsText) {
    CameraPhone p;
    const std::string listing = "1,\"Album\"\r\n2,\"Camera\"";
    p.port.On("AT$QKDSCDIR=\"\"\r",
              {Info("$QKDSCDIR: " + std::to_string(listing.size())), "1,\"Album\"\r\n", "2,\"Camera\"\r\n", kOk});
    ASSERT_EQ(MEXTAL_OK, p.List());
    EXPECT_EQ(listing, std::string(p.text));
    EXPECT_EQ(listing.size() + 1, p.length);
}

TEST(DSCListDir, FailuresHandOutNothing) {
    struct Case {
        const char* what;
        Strings chunks;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"no such folder", {Info("$FSERROR: 1")}, -1},
        {"ERROR", {kError}, MEXTAL_HANDSET_ERROR},
        {"picture answer", {Info("$QKDSCRF: 3")}, MEXTAL_UNEXPECTED_ANSWER},
        {"beyond 1 MiB", {Info("$QKDSCDIR: 1048577")}, MEXTAL_UNEXPECTED_ANSWER},
        {"stalled", {Info("$QKDSCDIR: 3")}, MEXTAL_FINAL_ANSWER_FAILED},
        {"silence", {}, LINK_TIMEOUT},
    };
    for (const Case& c : cases) {
        CameraPhone p;
        p.port.On("AT$QKDSCDIR=\"Camera\"\r", c.chunks);
        EXPECT_EQ(c.result, p.List("Camera")) << c.what;
        EXPECT_EQ(nullptr, p.text) << c.what;
        EXPECT_EQ(0u, p.length) << c.what;
    }
}

TEST(DSCReadMsFile, FailuresHandOutNothing) {
    struct Case {
        const char* what;
        Strings chunks;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"no such picture", {Info("$FSERROR: 1")}, -1},
        {"listing answer", {Info("$QKDSCDIR: 3")}, MEXTAL_UNEXPECTED_ANSWER},
        {"beyond 16 MiB", {Info("$QKDSCRF: 16777217")}, MEXTAL_UNEXPECTED_ANSWER},
        {"final error line", {Info("$QKDSCRF: 3"), "abc\r\n", Info("$FSERROR: 2")}, -2},
    };
    for (const Case& c : cases) {
        CameraPhone p;
        p.port.On(kReadLine, c.chunks);
        EXPECT_EQ(c.result, p.Read()) << c.what;
        EXPECT_EQ(nullptr, p.data) << c.what;
        EXPECT_EQ(0u, p.length) << c.what;
    }
}

TEST(PictureMoves, RenameAndDeleteTakeTheirOwnMode) {
    struct Case {
        const char* what;
        std::function<int32_t(CameraPhone&)> call;
        std::string line;
        Strings chunks;
        int32_t result;
    };
    auto rename = [](CameraPhone& p) { return p.Rename(); };
    auto remove = [](CameraPhone& p) { return p.Delete(); };
    const std::vector<Case> cases = {
        {"rename", rename, kRenameLine, {Info("$QKDSCMV: 0"), kOk}, MEXTAL_OK},
        {"delete", remove, kDeleteLine, {Info("$QKDSCMV: 1"), kOk}, MEXTAL_OK},
        {"delete taken as rename", remove, kDeleteLine, {Info("$QKDSCMV: 0"), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"rename taken as delete", rename, kRenameLine, {Info("$QKDSCMV: 1"), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"new name exists", rename, kRenameLine, {Info("$FSERROR: 2")}, -2},
        {"rename refused", rename, kRenameLine, {kError}, MEXTAL_HANDSET_ERROR},
        {"delete final lost", remove, kDeleteLine, {Info("$QKDSCMV: 1")}, MEXTAL_FINAL_ANSWER_FAILED},
        {"delete final ERROR", remove, kDeleteLine, {Info("$QKDSCMV: 1"), kError}, MEXTAL_HANDSET_ERROR},
        {"delete silence", remove, kDeleteLine, {}, LINK_TIMEOUT},
    };
    for (const Case& c : cases) {
        CameraPhone p;
        p.port.On(c.line, c.chunks);
        EXPECT_EQ(c.result, c.call(p)) << c.what;
        EXPECT_EQ(1u, p.port.CountWritten(c.line)) << c.what;
    }
}

TEST(PictureArguments, RefusedBeforeAnythingIsSent) {
    struct Case {
        const char* what;
        std::function<int32_t(CameraPhone&)> call;
    };
    const std::vector<Case> cases = {
        {"empty new name", [](CameraPhone& p) { return p.Rename(""); }},
        {"null new name", [](CameraPhone& p) { return p.Rename(nullptr); }},
        {"new name with quote", [](CameraPhone& p) { return p.Rename("Album/\"x\".jpg"); }},
        {"rename reserved 1", [](CameraPhone& p) { return p.Rename("Album/Party.jpg", 1); }},
        {"delete reserved 1", [](CameraPhone& p) { return p.Delete("Camera/DSC00001.jpg", 1); }},
        {"delete empty name", [](CameraPhone& p) { return p.Delete(""); }},
        {"delete name with LF", [](CameraPhone& p) { return p.Delete("Camera/a\n.jpg"); }},
        {"read empty name", [](CameraPhone& p) { return p.Read(""); }},
        {"read null name", [](CameraPhone& p) { return p.Read(nullptr); }},
        {"list null folder", [](CameraPhone& p) { return p.List(nullptr); }},
        {"list folder with CR", [](CameraPhone& p) { return p.List("Cam\rera"); }},
        {"list without length", [](CameraPhone& p) { return p.api.DSCListDir(&p.settings, "", &p.text, nullptr); }},
        {"read without settings",
         [](CameraPhone& p) { return p.api.DSCReadMsFile(nullptr, "Camera/a.jpg", &p.data, &p.length); }},
    };
    for (const Case& c : cases) {
        CameraPhone p;
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, c.call(p)) << c.what;
        EXPECT_TRUE(p.port.written.empty()) << c.what;
    }
}

}  // namespace

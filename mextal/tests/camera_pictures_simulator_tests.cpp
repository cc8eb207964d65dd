// The camera-picture exports against the handset simulator over the real
// serial link. The simulated album holds, by default, Camera/DSC00001.jpg
// (30720 bytes, time 1199145601), Camera/DSC00002.jpg (45056 bytes, time
// 1199145602) and Album/Beach.jpg (12288 bytes, time 1199145603); picture byte i
// is i mod 251, except for FF D8 at the start and FF D9 at the end.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "family_simulator_fixture.h"

namespace {

using mextal::test::FamilySimulatorTest;

constexpr int32_t kShortTimeoutMs = 300;

std::string Picture(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    bytes[0] = '\xFF';
    bytes[1] = '\xD8';
    bytes[size - 2] = '\xFF';
    bytes[size - 1] = '\xD9';
    return bytes;
}

class CameraSimulatorTest : public FamilySimulatorTest {
protected:
    void TearDown() override {
        std::free(data_);
        std::free(text_);
        FamilySimulatorTest::TearDown();
    }

    int32_t List(const std::string& folder) {
        api_.FreeRecvMem(&text_);
        length_ = 0;
        return api_.DSCListDir(&settings_, folder.c_str(), &text_, &length_);
    }
    int32_t Read(const std::string& name) {
        api_.FreeRecvMem(&data_);
        length_ = 0;
        return api_.DSCReadMsFile(&settings_, name.c_str(), &data_, &length_);
    }
    bool InAlbum(const std::string& name) {
        std::vector<std::string> pictures = phone_->Request("dsc-list");
        return std::any_of(pictures.begin(), pictures.end(),
                           [&](const std::string& line) { return line.find("\"" + name + "\"") != std::string::npos; });
    }

    uint8_t* data_ = nullptr;
    char* text_ = nullptr;
    uint32_t length_ = 0;
};

TEST_F(CameraSimulatorTest, ListsFoldersAndTheirPictures) {
    StartPhone();
    ASSERT_EQ(MEXTAL_OK, List(""));
    const std::string folders = "1,\"Album\"\r\n2,\"Camera\"";
    EXPECT_EQ(folders, std::string(text_));
    EXPECT_EQ(folders.size() + 1, length_);
    ASSERT_EQ(MEXTAL_OK, List("Camera"));
    EXPECT_STREQ("30720,1199145601,\"DSC00001.jpg\"\r\n45056,1199145602,\"DSC00002.jpg\"", text_);
    EXPECT_EQ(-1, List("Nowhere"));
    EXPECT_EQ(nullptr, text_);
}

TEST_F(CameraSimulatorTest, ReadsWholePicture) {
    StartPhone();
    ASSERT_EQ(MEXTAL_OK, Read("Camera/DSC00002.jpg"));
    ASSERT_EQ(45056u, length_);
    EXPECT_EQ(45058u, ProgressBytes(MEXTAL_MSG_RECEIVED_PIECE));
    EXPECT_EQ(Picture(45056), std::string(reinterpret_cast<const char*>(data_), length_));
}

TEST_F(CameraSimulatorTest, RenameMovesAndDeleteRemoves) {
    StartPhone();
    ASSERT_EQ(MEXTAL_OK, api_.DSCRenameMsFile(&settings_, "Camera/DSC00001.jpg", "Album/Party.jpg", 0));
    EXPECT_TRUE(InAlbum("Album/Party.jpg"));
    EXPECT_FALSE(InAlbum("Camera/DSC00001.jpg"));
    EXPECT_EQ(-1, api_.DSCRenameMsFile(&settings_, "Camera/DSC00001.jpg", "Album/Party.jpg", 0));
    EXPECT_EQ(-2, api_.DSCRenameMsFile(&settings_, "Camera/DSC00002.jpg", "Album/Beach.jpg", 0));
    EXPECT_EQ(-1, api_.DSCDelMsFile(&settings_, "Camera/none.jpg", 0));
    EXPECT_EQ(-7, api_.DSCDelMsFile(&settings_, "DSC00002.jpg", 0));
    ASSERT_EQ(MEXTAL_OK, api_.DSCDelMsFile(&settings_, "Album/Beach.jpg", 0));
    EXPECT_FALSE(InAlbum("Album/Beach.jpg"));
}

TEST_F(CameraSimulatorTest, RefusedArgumentsSendNothing) {
    StartPhone();
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, api_.DSCRenameMsFile(&settings_, "Camera/DSC00001.jpg", "", 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, api_.DSCRenameMsFile(&settings_, "Camera/DSC00001.jpg", "Album/a.jpg", 1));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, api_.DSCDelMsFile(&settings_, "Camera/\"DSC00001.jpg", 0));
    EXPECT_TRUE(phone_->Commands().empty());
    EXPECT_TRUE(InAlbum("Camera/DSC00001.jpg"));
}

TEST_F(CameraSimulatorTest, EveryFailureKindGivesItsCode) {
    struct FaultCase {
        const char* options;
        std::function<int32_t()> call;
        int32_t result;
    };
    const std::vector<FaultCase> cases = {
        {"--error AT$QKDSCDIR", [this] { return List(""); }, MEXTAL_HANDSET_ERROR},
        {"--fail AT$QKDSCMV=2", [this] { return api_.DSCDelMsFile(&settings_, "Album/Beach.jpg", 0); }, -2},
        {"--silent AT$QKDSCRF", [this] { return Read("Album/Beach.jpg"); }, LINK_TIMEOUT},
        {"--short-raw AT$QKDSCRF", [this] { return Read("Album/Beach.jpg"); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--bad-length AT$QKDSCDIR", [this] { return List("Camera"); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--stall AT$QKDSCRF", [this] { return Read("Album/Beach.jpg"); }, MEXTAL_FINAL_ANSWER_FAILED},
        {"--stall AT$QKDSCMV",
         [this] { return api_.DSCRenameMsFile(&settings_, "Album/Beach.jpg", "Album/Sea.jpg", 0); },
         MEXTAL_FINAL_ANSWER_FAILED},
    };
    StartPhone();
    for (const FaultCase& f : cases) {
        phone_->Reset(f.options);
        api_.SetWaitResTime(kShortTimeoutMs);
        EXPECT_EQ(f.result, f.call()) << f.options;
        EXPECT_TRUE(data_ == nullptr && text_ == nullptr) << f.options;
    }
}

TEST_F(CameraSimulatorTest, WrongAnswerKeywordIsRefused) {
    StartPhone();
    const std::string ok = "\r\nOK\r\n";
    const std::vector<Exchange> exchanges = {
        {"AT\r", ok}, {"ATE0\r", ok}, {"AT$QKDSCMV=1,\"Album/Beach.jpg\"\r", "\r\n$QKDSCRF: 0\r\n"}};
    EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER,
              RunScripted([this] { return api_.DSCDelMsFile(&settings_, "Album/Beach.jpg", 0); }, exchanges));
}

TEST_F(CameraSimulatorTest, CablePulledDuringPictureLosesTheAnswer) {
    StartPhone("--cut-raw AT$QKDSCRF=5000");
    api_.SetWaitResTime(kShortTimeoutMs);
    EXPECT_EQ(MEXTAL_FINAL_ANSWER_FAILED, Read("Camera/DSC00001.jpg"));
    EXPECT_EQ(nullptr, data_);
    phone_->Plug();
}

}  // namespace

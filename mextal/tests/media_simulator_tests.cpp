// The media-centre exports against the handset simulator over the real serial
// link. The simulated handset holds by default: category 0 "Sunset.jpg" (id 1)
// and "Café à Paris.jpg" (id 2), category 1 "Ring1.mid" (id 3, 4096 bytes) and
// "Silence.mid" (id 4, empty), category 2 "Clip.3gp" (id 5, 65536 bytes) and
// category 5 "Blue.thm" (id 6); content byte i of an item is (i * 131 + size) & 0xFF.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "code_page_samples.h"
#include "mextal/mextal.h"
#include "serlox/serlox.h"
#include "simulated_phone.h"
#include "simulated_port_fixture.h"

#if defined(_WIN32)
#include <ravelin/win32.h>
#endif

namespace {

using namespace mextal::test;

constexpr int32_t kWrongForm = 4100;
constexpr int32_t kWrongFieldCount = 4102;

std::string GeneratedContent(uint32_t size) {
    std::string content(size, '\0');
    for (uint32_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131 + size) & 0xFF);
    return content;
}

#if defined(_WIN32)
std::vector<WPARAM> g_receivedPieces;

LRESULT CALLBACK RecordPieces(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MEXTAL_MSG_RECEIVED_PIECE) g_receivedPieces.push_back(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}
#endif

class MediaSimulatorTest : public mextal::test::SimulatedPortTest {
protected:
    void TearDown() override {
        Release();
        ClosePort();
        SetWaitResTime(10000);
        UseDefaultCodePage();
    }
    void Release() {
        FreeRecvMem(&text_);
        FreeRecvMem(&data_);
        length_ = 0;
        id_ = kind_ = 0;
    }
    int32_t List(int32_t category, const std::string& prefix) {
        Release();
        return ListMediaCenter(&settings_, category, prefix.c_str(), &text_, &length_);
    }
    int32_t Read(int32_t category, const std::string& name) {
        Release();
        return ReadMediaCenter(&settings_, category, MC_ITEM_MEDIA_CENTER, 0, name.c_str(), &data_, &length_);
    }
    int32_t Id(int32_t category, const std::string& name) {
        return GetMediaCenterId(&settings_, category, MC_ITEM_MEDIA_CENTER, name.c_str(), &(id_ = 0));
    }
    int32_t Path(int32_t category, int32_t id) {
        return GetMediaCenterPath(&settings_, category, id, &(kind_ = 0), name_);
    }
    std::string Content() const { return std::string(reinterpret_cast<const char*>(data_), length_); }

    char* text_ = nullptr;
    uint8_t* data_ = nullptr;
    uint32_t length_ = 0;
    int32_t id_ = 0;
    int32_t kind_ = 0;
    char name_[387] = {};
};

TEST_F(MediaSimulatorTest, EveryOperationAnswersTheDefaultHandset) {
    StartPhone();
    ASSERT_EQ(MEXTAL_OK, List(1, ""));
    EXPECT_STREQ("3,255,4096,\"Ring1.mid\"\n4,255,0,\"Silence.mid\"", text_);
    EXPECT_EQ(std::string(text_).size() + 1, length_);
    ASSERT_EQ(MEXTAL_OK, Read(1, "Ring1.mid"));
    EXPECT_EQ(GeneratedContent(4096), Content());
    ASSERT_EQ(MEXTAL_OK, Read(1, "Silence.mid"));
    EXPECT_EQ(0u, length_);
    ASSERT_EQ(MEXTAL_OK, Id(2, "Clip.3gp"));
    EXPECT_EQ(5, id_);
    ASSERT_EQ(MEXTAL_OK, Path(1, 3));
    EXPECT_STREQ("Ring1.mid", name_);
    EXPECT_EQ(MC_ITEM_MEDIA_CENTER, kind_);
    for (uint32_t category = 0; category <= 9; ++category) {
        bool present = category <= 2 || category == 5;
        EXPECT_EQ(present ? MEXTAL_OK : MEXTAL_NO_SUCH_CATEGORY, QueryMediaCenterType(&settings_, category));
    }
    size_t commands = phone_->Commands().size();
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, QueryMediaCenterType(&settings_, 10));
    EXPECT_EQ(commands, phone_->Commands().size());
}

TEST_F(MediaSimulatorTest, FailuresOfTheHandsetGiveTheirCodesAndNoOutputs) {
    struct FaultCase {
        const char* options;
        std::function<int32_t()> call;
        int32_t result;
    };
    const std::vector<FaultCase> cases = {
        {"", [this] { return Read(1, "Nope.mid"); }, MEXTAL_HANDSET_ERROR},
        {"", [this] { return Path(1, 99); }, MEXTAL_HANDSET_ERROR},
        {"", [this] { return List(3, ""); }, MEXTAL_HANDSET_ERROR},
        {"--error AT$QKMCL", [this] { return QueryMediaCenterType(&settings_, 0); }, MEXTAL_HANDSET_ERROR},
        {"--mc-fault other-name", [this] { return Read(1, "Ring1.mid"); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--mc-fault other-name", [this] { return Id(1, "Ring1.mid"); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--mc-fault other-category", [this] { return List(1, ""); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--mc-fault other-id", [this] { return Path(1, 3); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--mc-fault form-2", [this] { return Id(1, "Ring1.mid"); }, kWrongForm},
        {"--mc-fault extra-field", [this] { return Path(1, 3); }, kWrongFieldCount},
        {"--bad-length AT$QKMCR", [this] { return Read(1, "Ring1.mid"); }, MEXTAL_UNEXPECTED_ANSWER},
        {"--stall AT$QKMCR", [this] { return Read(1, "Ring1.mid"); }, LINK_TIMEOUT},
        {"--mc-categories ()", [this] { return QueryMediaCenterType(&settings_, 0); }, kWrongFieldCount},
        {"--mc-categories (0-4294967295)", [this] { return QueryMediaCenterType(&settings_, 9); }, MEXTAL_OK},
    };
    StartPhone();
    SetWaitResTime(500);
    for (const FaultCase& c : cases) {
        phone_->Reset(c.options);
        Release();
        EXPECT_EQ(c.result, c.call()) << c.options;
        EXPECT_TRUE(text_ == nullptr && data_ == nullptr && length_ == 0 && name_[0] == '\0') << c.options;
    }
}

TEST_F(MediaSimulatorTest, NamesTravelInUtf8AndWhatTheLocalCodePageCannotHoldIsRefused) {
    StartPhone(std::string("--mc-item 3:9:") + kUtf8WithoutLocalForm + ":10");
    EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, Path(3, 9));
    EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, List(3, ""));
    if (auto invalid = InvalidLocalName()) {
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, Id(3, *invalid));
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, List(3, *invalid));
    }
    auto sample = UseLatinCodePage();
    if (!sample) GTEST_SKIP() << "no local code page with accented letters";
    phone_->Reset("--mc-item \"3:9:" + sample->utf8 + ":10\"");
    ASSERT_EQ(MEXTAL_OK, Id(3, sample->local));
    EXPECT_EQ(9, id_);
    ASSERT_EQ(MEXTAL_OK, Path(3, 9));
    EXPECT_EQ(sample->local, name_);
    ASSERT_EQ(MEXTAL_OK, List(3, sample->local));
    EXPECT_EQ("9,255,10,\"" + sample->local + "\"", std::string(text_));
}

TEST_F(MediaSimulatorTest, ReadOfOneMebibyteTakesEveryByteAndReportsEachPiece) {
    constexpr uint32_t kSize = 1 << 20;
    StartPhone("--mc-item 3:7:Big.bin:" + std::to_string(kSize));
#if defined(_WIN32)
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordPieces;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MextalMediaProgress";
    ASSERT_NE(0, RegisterClassA(&windowClass));
    HWND window = CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    RegisterUI(window);
#endif
    ASSERT_EQ(MEXTAL_OK, Read(3, "Big.bin"));
    EXPECT_EQ(GeneratedContent(kSize), Content());
#if defined(_WIN32)
    RegisterUI(nullptr);
    DestroyWindow(window);
    uint64_t total = 0;
    for (WPARAM piece : g_receivedPieces) total += piece;
    // The two bytes after the content are read and reported too.
    EXPECT_EQ(kSize + 2u, total);
    EXPECT_GE(g_receivedPieces.size(), (kSize + 2u) / 2048u);
#endif
}

}  // namespace

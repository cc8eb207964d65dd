// The multimedia-message exports against the handset simulator over the real
// serial link. The simulated handset holds, by default, messages 1 (1200 bytes)
// and 2 (5400 bytes) in the inbox, 3 (2300 bytes) in the sent folder and 4 (800
// bytes) in the drafts; the next id is 5 and the settings word 5. Content: two
// type bytes, then byte i = i mod 251.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hex_text.h"
#include "mextal/mextal.h"
#include "serlox/serlox.h"
#include "simulated_phone.h"
#include "simulated_port_fixture.h"

#if defined(_WIN32)
#include <ravelin/win32.h>
#endif

namespace {

using ravelin::test::SimulatedPhone;
using ravelin::test::ToHex;

constexpr int32_t kShortTimeoutMs = 300;
// The largest message the simulated handset stores.
constexpr uint32_t kLargestMessage = 307200;

std::string PatternContent(size_t size, unsigned char first, unsigned char second) {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i % 251);
    content[0] = static_cast<char>(first);
    content[1] = static_cast<char>(second);
    return content;
}

#if defined(_WIN32)
// Progress messages of the library, recorded by a message-only window.
std::vector<std::pair<UINT, WPARAM>> g_pieces;

LRESULT CALLBACK RecordPieces(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MEXTAL_MSG_SENT_PIECE || message == MEXTAL_MSG_RECEIVED_PIECE) {
        g_pieces.emplace_back(message, wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ProgressWindow {
public:
    ProgressWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordPieces;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MextalMessageProgress";
        RegisterClassA(&windowClass);
        window_ = CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
        g_pieces.clear();
        RegisterUI(window_);
    }
    ~ProgressWindow() {
        RegisterUI(nullptr);
        DestroyWindow(window_);
    }
    // The bytes that the messages of one kind report, or -1 when a piece was
    // larger than the library's pieces.
    static int64_t Total(UINT message) {
        int64_t total = 0;
        for (const auto& [kind, bytes] : g_pieces) {
            if (kind != message) continue;
            if (bytes > 2048) return -1;
            total += static_cast<int64_t>(bytes);
        }
        return total;
    }

private:
    HWND window_ = nullptr;
};
#endif

class MessageSimulatorTest : public mextal::test::SimulatedPortTest {
protected:
    void TearDown() override {
        FreeRecvMem(&text_);
        FreeRecvMem(&data_);
        ClosePort();
        SetWaitResTime(10000);
    }

    int32_t List(uint32_t folder) {
        FreeRecvMem(&text_);
        length_ = 0;
        return MMSListMsgID(&settings_, folder, &text_, &length_);
    }
    int32_t Read(uint32_t id) {
        FreeRecvMem(&data_);
        length_ = 0;
        return MMSRead(&settings_, id, &data_, &length_);
    }
    int32_t Write(uint32_t folder, const std::string& content) {
        return MMSWrite(&settings_, folder, reinterpret_cast<const uint8_t*>(content.data()),
                        static_cast<uint32_t>(content.size()), &id_);
    }
    std::string Listed() const { return text_ ? std::string(text_) : "(none)"; }
    std::string Content() const { return std::string(reinterpret_cast<const char*>(data_), length_); }
    std::vector<std::string> Store() { return phone_->Request("mms-list"); }

    char* text_ = nullptr;
    uint8_t* data_ = nullptr;
    uint32_t length_ = 0;
    uint32_t id_ = 0;
};

TEST_F(MessageSimulatorTest, ListsReadsWritesDeletesAndSendsMessages) {
    StartPhone();
    ASSERT_EQ(MEXTAL_OK, List(0));
    EXPECT_EQ("1,2", Listed());
    EXPECT_EQ(4u, length_);
    ASSERT_EQ(MEXTAL_OK, List(1));
    EXPECT_EQ("", Listed());
    EXPECT_EQ(1u, length_);

    ASSERT_EQ(MEXTAL_OK, Read(2));
    EXPECT_EQ(PatternContent(5400, 0x8C, 0x84), Content());

    std::string message = PatternContent(3000, 0x8C, 0x80);
    ASSERT_EQ(MEXTAL_OK, Write(3, message));
    EXPECT_EQ(5u, id_);
    ASSERT_EQ(MEXTAL_OK, List(3));
    EXPECT_EQ("4,5", Listed());
    EXPECT_EQ(std::vector<std::string>{ToHex(message)}, phone_->Request("mms-get 5"));

    EXPECT_EQ(-1, MMSDelete(&settings_, 9));
    EXPECT_EQ(MEXTAL_OK, MMSDelete(&settings_, 5));
    EXPECT_EQ(MEXTAL_OK, MMSSend(&settings_, 4));
    ASSERT_EQ(MEXTAL_OK, List(2));
    EXPECT_EQ("3,4", Listed());
    EXPECT_EQ(-9, MMSSend(&settings_, 1));
}

TEST_F(MessageSimulatorTest, SettingsRoundTripAndReservedBitsStayHome) {
    StartPhone();
    uint32_t attributes = 0;
    ASSERT_EQ(MEXTAL_OK, MMSQueryAttr(&settings_, &attributes));
    EXPECT_EQ(5u, attributes);
    ASSERT_EQ(MEXTAL_OK, MMSSetAttr(&settings_, 3));
    ASSERT_EQ(MEXTAL_OK, MMSQueryAttr(&settings_, &attributes));
    EXPECT_EQ(3u, attributes);
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, MMSSetAttr(&settings_, 16));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, List(4));
    EXPECT_EQ(0u, CountCommands("AT$QKMMSA=16"));
    EXPECT_EQ(0u, CountCommands("AT$QKMMSL"));
}

TEST_F(MessageSimulatorTest, LockedStoreOpensOnlyWithItsCode) {
    StartPhone("--phone-lock 1234");
    EXPECT_EQ(-5, List(0));
    EXPECT_EQ(nullptr, text_);
    EXPECT_EQ(-6, MMSPhoneLockVerify(&settings_, "0000"));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, MMSPhoneLockVerify(&settings_, "12a4"));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, MMSPhoneLockVerify(&settings_, "123"));
    EXPECT_EQ(1u, CountCommands("AT$CHKPL"));
    ASSERT_EQ(MEXTAL_OK, MMSPhoneLockVerify(&settings_, "1234"));
    ASSERT_EQ(MEXTAL_OK, List(0));
    EXPECT_EQ("1,2", Listed());
}

// One failure kind at a time for every operation that the simulator can make
// fail that way; the outputs stay empty.
TEST_F(MessageSimulatorTest, FailuresGiveTheirCodes) {
    struct Case {
        std::string options;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"--error AT$QKMMSL,AT$QKMMSR,AT$QKMMSW,AT$QKMMSD,AT$QKMMSA,AT$QKMGS,AT$CHKPL", MEXTAL_HANDSET_ERROR},
        {"--fail AT$QKMMSL=3,AT$QKMMSR=3,AT$QKMMSW=3,AT$QKMMSD=3,AT$QKMMSA=3,AT$QKMGS=3,AT$CHKPL=3", -3},
        {"--silent AT$QKMMSL,AT$QKMMSR,AT$QKMMSW,AT$QKMMSD,AT$QKMMSA,AT$CHKPL", LINK_TIMEOUT},
    };
    StartPhone();
    for (const Case& c : cases) {
        phone_->Reset(c.options);
        SetWaitResTime(kShortTimeoutMs);
        uint32_t attributes = 7;
        id_ = 7;
        EXPECT_EQ(c.result, List(0)) << c.options;
        EXPECT_EQ(c.result, Read(1)) << c.options;
        EXPECT_EQ(c.result, Write(0, "m")) << c.options;
        EXPECT_EQ(c.result, MMSDelete(&settings_, 1)) << c.options;
        EXPECT_EQ(c.result, MMSSetAttr(&settings_, 1)) << c.options;
        EXPECT_EQ(c.result, MMSQueryAttr(&settings_, &attributes)) << c.options;
        EXPECT_EQ(c.result, MMSPhoneLockVerify(&settings_, "1234")) << c.options;
        // A silent send would wait the long time-out of a network transfer.
        if (c.result != LINK_TIMEOUT) {
            EXPECT_EQ(c.result, MMSSend(&settings_, 4)) << c.options;
        }
        EXPECT_EQ(nullptr, text_);
        EXPECT_EQ(nullptr, data_);
        EXPECT_EQ(0u, length_);
        EXPECT_EQ(0u, id_);
        EXPECT_EQ(0u, attributes);
    }
    EXPECT_EQ(4u, Store().size());
}

TEST_F(MessageSimulatorTest, AnswersLostAfterAcceptanceGive20108) {
    StartPhone("--stall AT$QKMMSL,AT$QKMMSR,AT$QKMMSA");
    SetWaitResTime(kShortTimeoutMs);
    EXPECT_EQ(MEXTAL_FINAL_ANSWER_FAILED, List(0));
    EXPECT_EQ(nullptr, text_);
    EXPECT_EQ(MEXTAL_FINAL_ANSWER_FAILED, Read(1));
    EXPECT_EQ(nullptr, data_);
    uint32_t attributes = 7;
    EXPECT_EQ(MEXTAL_FINAL_ANSWER_FAILED, MMSQueryAttr(&settings_, &attributes));
    EXPECT_EQ(0u, attributes);
}

TEST_F(MessageSimulatorTest, BrokenDownloadsHandOutNothing) {
    struct Case {
        std::string options;
        int32_t result;
    };
    // The pulled cable comes last.
    const std::vector<Case> cases = {
        {"--short-raw AT$QKMMSR", MEXTAL_UNEXPECTED_ANSWER},
        {"--bad-length AT$QKMMSR", MEXTAL_UNEXPECTED_ANSWER},
        {"--cut-raw AT$QKMMSR=100", MEXTAL_FINAL_ANSWER_FAILED},
    };
    StartPhone();
    for (const Case& c : cases) {
        phone_->Reset(c.options);
        SetWaitResTime(kShortTimeoutMs);
        EXPECT_EQ(c.result, Read(2)) << c.options;
        EXPECT_EQ(nullptr, data_) << c.options;
        EXPECT_EQ(0u, length_) << c.options;
    }
}

TEST_F(MessageSimulatorTest, UploadRefusedAfterItsDataStoresNothing) {
    StartPhone("--fail-after-data AT$QKMMSW=8");
    id_ = 7;
    EXPECT_EQ(-8, Write(1, PatternContent(5000, 0x8C, 0x80)));
    EXPECT_EQ(0u, id_);
    EXPECT_EQ(4u, Store().size());
    phone_->Reset("");
    EXPECT_EQ(-4, Write(1, std::string(kLargestMessage + 1, 'x')));
    EXPECT_EQ(0u, id_);
    EXPECT_EQ(4u, Store().size());
}

TEST_F(MessageSimulatorTest, LargestMessageTravelsBothWays) {
    StartPhone();
    std::string message = PatternContent(kLargestMessage, 0x8C, 0x80);
#if defined(_WIN32)
    ProgressWindow window;
#endif
    ASSERT_EQ(MEXTAL_OK, Write(3, message));
    ASSERT_EQ(MEXTAL_OK, Read(id_));
    EXPECT_EQ(message, Content());
#if defined(_WIN32)
    EXPECT_EQ(int64_t{kLargestMessage}, ProgressWindow::Total(MEXTAL_MSG_SENT_PIECE));
    // The two bytes after the content are read and reported too.
    EXPECT_EQ(int64_t{kLargestMessage} + 2, ProgressWindow::Total(MEXTAL_MSG_RECEIVED_PIECE));
#endif
}

}  // namespace

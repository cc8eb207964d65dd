// Progress messages reach a real window synchronously.
#include <ravelin/win32.h>

#include <gtest/gtest.h>

#include <vector>

#include "progress.h"

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Received> g_received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MEXTAL_MSG_SENT_PIECE || message == MEXTAL_MSG_RECEIVED_PIECE) {
        g_received.push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(SendProgressMessage, ArrivesBeforeTheCallReturns) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MextalProgressRecorder";
    ASSERT_NE(0, RegisterClassA(&windowClass));
    HWND window = CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, window);

    SendProgressMessage(window, MEXTAL_MSG_SENT_PIECE, 2048);
    SendProgressMessage(window, MEXTAL_MSG_RECEIVED_PIECE, 17);

    ASSERT_EQ(2u, g_received.size());
    EXPECT_EQ(1075u, g_received[0].message);
    EXPECT_EQ(2048u, g_received[0].wParam);
    EXPECT_EQ(0, g_received[0].lParam);
    EXPECT_EQ(1076u, g_received[1].message);
    EXPECT_EQ(17u, g_received[1].wParam);
    DestroyWindow(window);
}

}  // namespace

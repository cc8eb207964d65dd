// The Windows services of the detector: registry, named mutex, window messages.
#include <gtest/gtest.h>

#include <ravelin/win32.h>

#include <algorithm>
#include <string>
#include <thread>

#include "platform.h"

namespace porvesk::test {
namespace {

constexpr char kSerialMapKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr char kShortName[] = "\\Device\\PorveskTestShort";
constexpr char kLongName[] = "\\Device\\PorveskTestLong";

void SetString(HKEY key, const char* name, const std::string& data) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
}

TEST(WindowsPlatform, SerialMap_ReadsValuesAndKeepsOverlongDataInsideBuffer) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialMapKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const ravelin::win32::UniqueRegKey owner(key);
    SetString(key, kShortName, "COM7");
    SetString(key, kLongName, "COM8" + std::string(300, ' '));

    std::unique_ptr<SerialMap> map = MakeSystemPlatform()->OpenSerialMap();
    ASSERT_NE(map, nullptr);
    uint32_t count = 0;
    ASSERT_TRUE(map->CountValues(count));
    bool sawShort = false;
    for (uint32_t index = 0; index < count; ++index) {
        SerialMapValue value;
        if (!map->ReadValue(index, value)) continue;
        EXPECT_LE(value.data.size(), kValueDataBufferSize);
        if (value.name == kShortName) {
            sawShort = true;
            EXPECT_EQ(std::string(value.data.begin(), value.data.end()), std::string("COM7\0", 5));
            EXPECT_EQ(value.reportedLength, 5u);
        } else if (value.name == kLongName) {
            EXPECT_EQ(value.data.size(), kValueDataBufferSize);
            EXPECT_GT(value.reportedLength, kValueDataBufferSize);
        }
    }
    EXPECT_TRUE(sawShort);
    RegDeleteValueA(key, kShortName);
    RegDeleteValueA(key, kLongName);
}

TEST(WindowsPlatform, Profile_WrittenValueIsReadBack) {
    std::shared_ptr<DetectorPlatform> platform = MakeSystemPlatform();
    ASSERT_TRUE(platform->WriteProfileEntry("PorveskTest", "LastCommport", "17"));
    std::string value;
    ASSERT_TRUE(platform->ReadProfileEntry("PorveskTest", "LastCommport", value));
    EXPECT_EQ(value, "17");
    EXPECT_FALSE(platform->ReadProfileEntry("PorveskTest", "Missing", value));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tavo\\Pelliton\\PorveskTest");
}

TEST(WindowsPlatform, NamedMutex_ExcludesAnotherThreadUntilReleased) {
    std::shared_ptr<DetectorPlatform> platform = MakeSystemPlatform();
    std::unique_ptr<NamedMutex> mine = platform->CreateNamedMutex("PorveskTestMutex");
    std::unique_ptr<NamedMutex> theirs = platform->CreateNamedMutex("PorveskTestMutex");
    ASSERT_NE(mine, nullptr);
    ASSERT_NE(theirs, nullptr);
    ASSERT_EQ(mine->Wait(0), LockResult::kAcquired);

    LockResult whileHeld = LockResult::kFailed;
    std::thread([&] { whileHeld = theirs->Wait(20); }).join();
    EXPECT_EQ(whileHeld, LockResult::kTimedOut);

    mine->Release();
    LockResult afterRelease = LockResult::kFailed;
    std::thread([&] {
        afterRelease = theirs->Wait(1000);
        theirs->Release();
    }).join();
    EXPECT_EQ(afterRelease, LockResult::kAcquired);
}

UINT g_received = 0;

LRESULT CALLBACK RecordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CONDETECT_CONNECTED || message == WM_CONDETECT_DISCONNECTED) {
        g_received = message;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WindowsPlatform, WindowMessage_IsHandledBeforeSendReturns) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordMessage;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PorveskTestWindow";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND window =
        CreateWindowA("PorveskTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    MakeSystemPlatform()->SendWindowMessage(window, WM_CONDETECT_DISCONNECTED);
    EXPECT_EQ(g_received, WM_CONDETECT_DISCONNECTED);

    DestroyWindow(window);
    UnregisterClassA("PorveskTestWindow", windowClass.hInstance);
}

}  // namespace
}  // namespace porvesk::test

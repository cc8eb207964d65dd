// The DLL itself: one detector per load; an unload destroys an idle detector and
// saves the last port; a running detector keeps the DLL loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "porvesk/porvesk.h"

namespace {

constexpr char kProfileKey[] = "Software\\Tavo\\Pelliton\\SerialPort";

using GetObjFunction = CConDetect* (*)();
// Member functions take the object in ECX on 32-bit Windows.
using StartFunction = bool(__attribute__((thiscall)) *)(CConDetect*);

template <typename Function>
Function Find(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

bool ReadLastPort(std::string& text) {
    char buffer[64] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kProfileKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    LONG result = RegQueryValueExA(key, "LastCommport", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    text = buffer;
    return true;
}

TEST(PorveskLibrary, UnloadWhenIdleSavesPort_RunningDetectorKeepsLibraryLoaded) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kProfileKey);

    HMODULE library = LoadLibraryA("Porvesk.dll");
    ASSERT_NE(library, nullptr);
    auto getObj = Find<GetObjFunction>(library, "ConDetectGetObj");
    ASSERT_NE(getObj, nullptr);
    CConDetect* detector = getObj();
    ASSERT_NE(detector, nullptr);
    EXPECT_EQ(getObj(), detector);
    ASSERT_TRUE(FreeLibrary(library));
    EXPECT_EQ(GetModuleHandleA("Porvesk.dll"), nullptr);
    std::string saved;
    ASSERT_TRUE(ReadLastPort(saved));
    EXPECT_EQ(saved, "0");

    library = LoadLibraryA("Porvesk.dll");
    ASSERT_NE(library, nullptr);
    getObj = Find<GetObjFunction>(library, "ConDetectGetObj");
    auto start = Find<StartFunction>(library, "_ZN10CConDetect11StartDetectEv");
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(start(getObj()));
    ASSERT_TRUE(FreeLibrary(library));
    EXPECT_NE(GetModuleHandleA("Porvesk.dll"), nullptr);
}

}  // namespace

// The DLL itself: one detector and one cache per load; an unload destroys an idle
// detector and saves the last port; a running detector keeps the DLL loaded.
#include <gtest/gtest.h>

#include <ravelin/win32.h>

#include <string>

#include "porvesk/mc_data_cache.h"
#include "porvesk/porvesk.h"

namespace {

constexpr char kProfileKey[] = "Software\\Tavo\\Pelliton\\SerialPort";

using GetObjFunction = CConDetect* (*)();
// Member functions take the object in ECX on 32-bit Windows.
using StartFunction = bool(__attribute__((thiscall)) *)(CConDetect*);
using CacheGetObjFunction = CMCDataCache* (*)();
using FetchFunction = int32_t(__attribute__((thiscall)) *)(CMCDataCache*, MediaCenterItemTypeTag, int32_t, const char*,
                                                           const uint8_t**, uint32_t*);

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
    const ravelin::win32::UniqueRegKey owner(key);
    LONG result = RegQueryValueExA(key, "LastCommport", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
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

TEST(PorveskLibrary, CacheOfTheLibrary_RefusesFetchWhileNoHandsetIsConnected) {
    HMODULE library = LoadLibraryA("Porvesk.dll");
    ASSERT_NE(library, nullptr);
    auto getObj = Find<CacheGetObjFunction>(library, "MCDataCacheGetObj");
    auto fetch = Find<FetchFunction>(library, "_ZN12CMCDataCache5FetchE22MediaCenterItemTypeTagiPKcPPKhPj");
    ASSERT_NE(getObj, nullptr);
    ASSERT_NE(fetch, nullptr);

    CMCDataCache* cache = getObj();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(getObj(), cache);
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(fetch(cache, MC_ITEM_MEDIA_CENTER, 1, "Ring1", &data, &length), MCCACHE_NOT_CONNECTED);
    EXPECT_EQ(data, nullptr);

    FreeLibrary(library);
}

}  // namespace

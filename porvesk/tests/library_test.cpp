// The shared library itself: one detector and one cache per load, and an unload
// while the detector thread runs stops that thread before the code goes away.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>

#include "porvesk/mc_data_cache.h"
#include "porvesk/porvesk.h"

namespace {

using GetObjFunction = CConDetect* (*)();
// StartDetect is a plain member function: it takes the object as its only argument.
using StartFunction = bool (*)(CConDetect*);
using CacheGetObjFunction = CMCDataCache* (*)();
using FetchFunction = int32_t (*)(CMCDataCache*, MediaCenterItemTypeTag, int32_t, const char*, const uint8_t**,
                                  uint32_t*);

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PorveskLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/porvesk-lib-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        setenv("PORVESK_STORE_DIR", folder.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("PORVESK_STORE_DIR");
        if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
    }

    std::string folder;
};

TEST_F(PorveskLibrary, UnloadWhileDetecting_StopsThreadAndSavesLastPort) {
    std::ofstream(folder + "/serialcomm") << "\\Device\\USBSER000\tREG_SZ\tCOM29\n";

    void* library = dlopen(PORVESK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getObj = reinterpret_cast<GetObjFunction>(dlsym(library, "ConDetectGetObj"));
    auto start = reinterpret_cast<StartFunction>(dlsym(library, "_ZN10CConDetect11StartDetectEv"));
    ASSERT_NE(getObj, nullptr);
    ASSERT_NE(start, nullptr);

    CConDetect* detector = getObj();
    ASSERT_NE(detector, nullptr);
    EXPECT_EQ(getObj(), detector);
    EXPECT_TRUE(start(detector));
    EXPECT_FALSE(start(detector));

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_EQ(dlopen(PORVESK_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr) << "library still loaded";
    EXPECT_EQ(ReadFile(folder + "/profile.ini"), "[SerialPort]\nLastCommport=0\n");
}

TEST_F(PorveskLibrary, CacheOfTheLibrary_RefusesFetchWhileNoHandsetIsConnected) {
    void* library = dlopen(PORVESK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getObj = reinterpret_cast<CacheGetObjFunction>(dlsym(library, "MCDataCacheGetObj"));
    auto fetch = reinterpret_cast<FetchFunction>(
        dlsym(library, "_ZN12CMCDataCache5FetchE22MediaCenterItemTypeTagiPKcPPKhPj"));
    ASSERT_NE(getObj, nullptr);
    ASSERT_NE(fetch, nullptr);

    CMCDataCache* cache = getObj();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(getObj(), cache);
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(fetch(cache, MC_ITEM_MEDIA_CENTER, 1, "Ring1", &data, &length), MCCACHE_NOT_CONNECTED);
    EXPECT_EQ(data, nullptr);

    ASSERT_EQ(dlclose(library), 0);
}

}  // namespace

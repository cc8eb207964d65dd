// The shared library itself: one detector and one cache per load, and an unload
// while the detector thread runs stops that thread before the code goes away.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "porvesk/mc_data_cache.h"
#include "porvesk/porvesk.h"
#include "support/simulated_phone.h"
#include "support/temp_folder.h"

namespace {

using GetObjFunction = CConDetect* (*)();
// StartDetect is a plain member function: it takes the object as its only argument.
using StartFunction = bool (*)(CConDetect*);
using CacheGetObjFunction = CMCDataCache* (*)();
using FetchFunction = int32_t (*)(CMCDataCache*, MediaCenterItemTypeTag, int32_t, const char*, const uint8_t**,
                                  uint32_t*);
using RegisterFunction = void (*)(CConDetect*, ConDetectWindow);

using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PorveskLibrary : public ::testing::Test {
protected:
    void SetUp() override { setenv("PORVESK_STORE_DIR", folder.c_str(), 1); }
    void TearDown() override { unsetenv("PORVESK_STORE_DIR"); }

    const ravelin::test::TempFolder scratch{"porvesk-lib"};
    const std::string folder = scratch.Path();
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

// A connection handler that fetches from the library's cache once the library is
// being unloaded.
struct FetchDuringUnload {
    CMCDataCache* cache = nullptr;
    FetchFunction fetch = nullptr;
    std::atomic<bool> connectedOnce{false};
    std::promise<void> connected;
    std::atomic<bool> unloading{false};
    std::atomic<int32_t> result{-1};  // of the fetch

    static void Receive(void* context, uint32_t message) {
        auto* self = static_cast<FetchDuringUnload*>(context);
        if (message != WM_CONDETECT_CONNECTED || self->connectedOnce.exchange(true)) return;
        self->connected.set_value();
        while (!self->unloading) std::this_thread::sleep_for(1ms);
        // The unload goes on meanwhile, as far as it does without this thread.
        std::this_thread::sleep_for(200ms);
        const uint8_t* data = nullptr;
        uint32_t length = 0;
        self->result = self->fetch(self->cache, MC_ITEM_MEDIA_CENTER, 1, "Ring1.mid", &data, &length);
    }
};

TEST_F(PorveskLibrary, UnloadDuringConnectionHandlerThatFetches_KeepsCacheUntilThreadEnded) {
    std::unique_ptr<ravelin::test::SimulatedPhone> phone = ravelin::test::SimulatedPhone::Start();
    std::ofstream(folder + "/serialcomm") << "\\Device\\USBSER000\tREG_SZ\tCOM" << phone->ComPort() << "\n";
    void* library = dlopen(PORVESK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getObj = reinterpret_cast<GetObjFunction>(dlsym(library, "ConDetectGetObj"));
    auto start = reinterpret_cast<StartFunction>(dlsym(library, "_ZN10CConDetect11StartDetectEv"));
    auto registerWindow =
        reinterpret_cast<RegisterFunction>(dlsym(library, "_ZN10CConDetect24RegisterRecvConChangeMsgEPv"));
    auto cacheGetObj = reinterpret_cast<CacheGetObjFunction>(dlsym(library, "MCDataCacheGetObj"));
    FetchDuringUnload handler;
    handler.fetch =
        reinterpret_cast<FetchFunction>(dlsym(library, "_ZN12CMCDataCache5FetchE22MediaCenterItemTypeTagiPKcPPKhPj"));
    ASSERT_TRUE(getObj && start && registerWindow && cacheGetObj && handler.fetch);
    handler.cache = cacheGetObj();
    ConDetectNativeWindow window{&FetchDuringUnload::Receive, &handler};
    registerWindow(getObj(), &window);
    ASSERT_TRUE(start(getObj()));
    const bool connected = handler.connected.get_future().wait_for(20s) == std::future_status::ready;

    handler.unloading = true;
    ASSERT_EQ(dlclose(library), 0);

    ASSERT_TRUE(connected);
    EXPECT_EQ(handler.result.load(), MCCACHE_OK);
}

TEST_F(PorveskLibrary, CacheOfTheLibrary_RefusesFetchWhileNoHandsetIsConnected) {
    void* library = dlopen(PORVESK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getObj = reinterpret_cast<CacheGetObjFunction>(dlsym(library, "MCDataCacheGetObj"));
    auto fetch =
        reinterpret_cast<FetchFunction>(dlsym(library, "_ZN12CMCDataCache5FetchE22MediaCenterItemTypeTagiPKcPPKhPj"));
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

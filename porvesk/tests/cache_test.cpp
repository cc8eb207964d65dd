// The media-centre data cache against a fake handset library, with the system's
// own "AccessHandsetMutex" (natively the file store in a folder of the test).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cache_setup.h"
#include "fake_item_link.h"
#include "fake_platform.h"
#include "mextal/mextal.h"
#include "porvesk/mc_data_cache.h"

#if !defined(_WIN32)
#include "temp_folder.h"
#endif

namespace porvesk::test {
namespace {

using namespace std::chrono_literals;

constexpr SerloxIDTag kPort = static_cast<SerloxIDTag>(5);
constexpr char kImei[] = "356938035643809";
constexpr char kOtherImei[] = "490154203237518";
constexpr int kShortLockWaitMs = 100;

const auto kFile0 = MC_ITEM_FILE_0;
const auto kMediaCenter = MC_ITEM_MEDIA_CENTER;

// Waits for "AccessHandsetMutex" without waiting, through a handle of its own on
// a thread of its own, as another process would; gives it back at once.
LockResult TryLockElsewhere(DetectorPlatform& platform) {
    LockResult result = LockResult::kFailed;
    std::thread([&] {
        std::unique_ptr<NamedMutex> lock = platform.CreateNamedMutex(kHandsetMutexName);
        if (lock == nullptr) return;
        result = lock->Wait(0);
        if (result == LockResult::kAcquired) lock->Release();
    }).join();
    return result;
}

// Holds "AccessHandsetMutex" as another process would, until destroyed.
class LockHeldElsewhere {
public:
    explicit LockHeldElsewhere(DetectorPlatform& platform)
        : holder_([this, &platform] {
              std::unique_ptr<NamedMutex> lock = platform.CreateNamedMutex(kHandsetMutexName);
              bool held = lock != nullptr && lock->Wait(0) == LockResult::kAcquired;
              taken_.set_value(held);
              release_.get_future().wait();
              if (held) lock->Release();
          }) {}
    ~LockHeldElsewhere() {
        release_.set_value();
        holder_.join();
    }

    bool Held() { return taken_.get_future().get(); }

private:
    std::promise<bool> taken_;
    std::promise<void> release_;
    std::thread holder_;
};

class CacheTest : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(_WIN32)
        platform_ = MakeSystemPlatform();
#else
        folder_ = std::make_unique<ravelin::test::TempFolder>("porvesk-cache");
        platform_ = MakeFileStorePlatform(folder_->Path());
#endif
        handset_->Connect(kPort, kImei);
        Build();
    }

    void TearDown() override { cache_.reset(); }

    void Build(int lockWaitMs = kShortLockWaitMs) {
        CacheSetup setup;
        setup.handsetMutexWaitMs = lockWaitMs;
        setup.link = link_;
        setup.handset = handset_;
        setup.platform = platform_;
        cache_ = std::make_unique<CMCDataCache>(setup);
    }

    // Fetches and expects success; the bytes handed out.
    const uint8_t* FetchOk(MediaCenterItemTypeTag kind, int32_t category, const char* name) {
        const uint8_t* data = nullptr;
        uint32_t length = 0;
        EXPECT_EQ(cache_->Fetch(kind, category, name, &data, &length), MCCACHE_OK);
        return data;
    }

    std::shared_ptr<FakeConnection> handset_ = std::make_shared<FakeConnection>();
    std::shared_ptr<FakeItemLink> link_ = std::make_shared<FakeItemLink>(handset_);
    std::shared_ptr<DetectorPlatform> platform_;
    std::unique_ptr<CMCDataCache> cache_;
#if !defined(_WIN32)
    std::unique_ptr<ravelin::test::TempFolder> folder_;
#endif
};

TEST_F(CacheTest, Fetch_EachKindReachesItsExportWithPortSettingsAndArguments) {
    struct Case {
        int32_t kind;
        int32_t category;
        const char* name;
        const char* call;
    };
    for (const Case& c : {Case{0, 7, "/Pictures/Sunset.jpg", "file 5,115200,0 0 /Pictures/Sunset.jpg 0"},
                          Case{1, 0, "/Music/Song.mp3", "file 5,115200,0 1 /Music/Song.mp3 0"},
                          Case{4, 2, "/Themes/Default.thm", "file 5,115200,0 4 /Themes/Default.thm 0"},
                          Case{255, 3, "Ring1", "mc 5,115200,0 3 255 0 Ring1"}}) {
        SCOPED_TRACE(c.call);
        link_ = std::make_shared<FakeItemLink>(handset_);
        link_->Answer(MEXTAL_OK, std::string("bytes\0of ", 9) + c.name);
        Build();
        const uint8_t* data = nullptr;
        uint32_t length = 0;

        ASSERT_EQ(cache_->Fetch(static_cast<MediaCenterItemTypeTag>(c.kind), c.category, c.name, &data, &length),
                  MCCACHE_OK);

        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), length), std::string("bytes\0of ", 9) + c.name);
        EXPECT_EQ(link_->Calls(), std::vector<std::string>{c.call});
    }
}

TEST_F(CacheTest, Fetch_RefusedRequests_FailWithoutExchangeAndClearOutputs) {
    struct Case {
        const char* what;
        int32_t kind;
        bool connected;
        const char* name;
        bool withData;
        bool withLength;
        int32_t result;
    };
    for (const Case& c : {Case{"kind 2", 2, true, "a", true, true, MCCACHE_UNKNOWN_KIND},
                          Case{"kind 3", 3, true, "a", true, true, MCCACHE_UNKNOWN_KIND},
                          Case{"kind 5", 5, true, "a", true, true, MCCACHE_UNKNOWN_KIND},
                          Case{"kind 254", 254, true, "a", true, true, MCCACHE_UNKNOWN_KIND},
                          Case{"kind 256", 256, true, "a", true, true, MCCACHE_UNKNOWN_KIND},
                          Case{"kind -1", -1, true, "a", true, true, MCCACHE_UNKNOWN_KIND},
                          Case{"no handset", 255, false, "a", true, true, MCCACHE_NOT_CONNECTED},
                          Case{"no handset, file", 0, false, "/a", true, true, MCCACHE_NOT_CONNECTED},
                          Case{"null name", 255, true, nullptr, true, true, MCCACHE_BAD_ARGUMENT},
                          Case{"null data", 255, true, "a", false, true, MCCACHE_BAD_ARGUMENT},
                          Case{"null length", 255, true, "a", true, false, MCCACHE_BAD_ARGUMENT}}) {
        SCOPED_TRACE(c.what);
        if (c.connected) {
            handset_->Connect(kPort, kImei);
        } else {
            handset_->Disconnect();
        }
        uint8_t stale = 0;
        const uint8_t* data = &stale;
        uint32_t length = 99;

        EXPECT_EQ(cache_->Fetch(static_cast<MediaCenterItemTypeTag>(c.kind), 1, c.name, c.withData ? &data : nullptr,
                                c.withLength ? &length : nullptr),
                  c.result);

        if (c.withData && c.withLength) {
            EXPECT_EQ(data, nullptr);
            EXPECT_EQ(length, 0u);
        }
    }
    EXPECT_TRUE(link_->Calls().empty());
}

TEST_F(CacheTest, Fetch_HoldsHandsetLockForTheExchangeOnly) {
    for (int32_t answer : {MEXTAL_OK, MEXTAL_UNEXPECTED_ANSWER}) {
        SCOPED_TRACE(answer);
        link_->Answer(answer, "x");
        std::vector<LockResult> duringExchange;
        link_->OnExchange([&] { duringExchange.push_back(TryLockElsewhere(*platform_)); });
        const uint8_t* data = nullptr;
        uint32_t length = 0;

        EXPECT_EQ(cache_->Fetch(kMediaCenter, 1, std::to_string(answer).c_str(), &data, &length), answer);

        EXPECT_EQ(duringExchange, std::vector<LockResult>{LockResult::kTimedOut});
        EXPECT_EQ(TryLockElsewhere(*platform_), LockResult::kAcquired);
    }
}

TEST_F(CacheTest, Fetch_HandsetLockHeldElsewhere_FailsBusyWithoutExchange) {
    {
        LockHeldElsewhere other(*platform_);
        ASSERT_TRUE(other.Held());
        const uint8_t* data = nullptr;
        uint32_t length = 0;
        EXPECT_EQ(cache_->Fetch(kMediaCenter, 1, "Ring1", &data, &length), MCCACHE_HANDSET_BUSY);
        EXPECT_EQ(data, nullptr);
        EXPECT_TRUE(link_->Calls().empty());
    }
    EXPECT_NE(FetchOk(kMediaCenter, 1, "Ring1"), nullptr);
}

// The fetch sees the handset connected, then waits for the lock while `change` happens.
TEST_F(CacheTest, Fetch_ConfirmsHandsetUnderTheLockAndReadsNothingFromAnotherOne) {
    constexpr SerloxIDTag kOtherPort = static_cast<SerloxIDTag>(9);
    struct Case {
        const char* what;
        void (*change)(FakeConnection&);
        int32_t result;
        // The settings of the IMEI query, made holding the lock, and of the read if the fetch succeeds; null: no query.
        const char* on;
    };
    const Case cases[] = {
        {"nothing changes", [](FakeConnection&) {}, MCCACHE_OK, "5,115200,0"},
        {"detector's check finds it gone", [](FakeConnection& h) { h.Disconnect(); }, MCCACHE_NOT_CONNECTED, nullptr},
        {"detector found another handset", [](FakeConnection& h) { h.Connect(kPort, kOtherImei); },
         MCCACHE_NOT_CONNECTED, nullptr},
        {"another handset not noticed yet", [](FakeConnection& h) { h.SwapHandsetUnnoticed(kOtherImei); },
         MCCACHE_NOT_CONNECTED, "5,115200,0"},
        {"same handset found on another port", [](FakeConnection& h) { h.Connect(kOtherPort, kImei); }, MCCACHE_OK,
         "9,115200,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        handset_ = std::make_shared<FakeConnection>();
        handset_->Connect(kPort, kImei);
        link_ = std::make_shared<FakeItemLink>(handset_);
        std::vector<std::string> queries;  // filled on the fetch's thread, read once it has ended
        link_->OnImeiQuery([&](const std::string& on) {
            queries.push_back(on + (TryLockElsewhere(*platform_) == LockResult::kTimedOut ? " locked" : " free"));
        });
        Build(kCacheHandsetMutexWaitMs);
        std::future<int32_t> fetched;
        {
            LockHeldElsewhere other(*platform_);
            ASSERT_TRUE(other.Held());
            fetched = std::async(std::launch::async, [&] {
                const uint8_t* data = nullptr;
                uint32_t length = 0;
                return cache_->Fetch(kMediaCenter, 3, "Ring1", &data, &length);
            });
            while (handset_->Queries() == 0) std::this_thread::sleep_for(1ms);
            c.change(*handset_);
        }

        EXPECT_EQ(fetched.get(), c.result);
        const std::vector<std::string> none;
        EXPECT_EQ(queries, c.on ? std::vector<std::string>{c.on + std::string(" locked")} : none);
        const std::string read = std::string("mc ") + (c.on ? c.on : "") + " 3 255 0 Ring1";
        EXPECT_EQ(link_->Calls(), c.result == MCCACHE_OK ? std::vector<std::string>{read} : none);
    }
}

// A platform on which the named lock cannot be made.
class NoLockPlatform : public FakePlatform {
public:
    std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string&) override { return nullptr; }
};

TEST_F(CacheTest, Fetch_HandsetLockCannotBeMade_FailsWithoutExchange) {
    platform_ = std::make_shared<NoLockPlatform>();
    Build();
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(cache_->Fetch(kMediaCenter, 1, "Ring1", &data, &length), MCCACHE_LOCK_FAILED);
    EXPECT_TRUE(link_->Calls().empty());
}

TEST_F(CacheTest, Fetch_KeptItem_IsHandedOutAgainWithoutExchange) {
    struct Case {
        const char* what;
        int32_t kind;
        int32_t category;
        const char* name;
        const char* imei;
        bool exchanged;
    };
    // Each case follows a fetch of media-centre item "Ring1" of category 3.
    for (const Case& c :
         {Case{"same item", 255, 3, "Ring1", kImei, false}, Case{"other category", 255, 4, "Ring1", kImei, true},
          Case{"other name", 255, 3, "Ring2", kImei, true},
          Case{"name differing in case", 255, 3, "RING1", kImei, true},
          Case{"file of that name", 0, 3, "Ring1", kImei, true},
          Case{"other handset", 255, 3, "Ring1", kOtherImei, true}}) {
        SCOPED_TRACE(c.what);
        link_ = std::make_shared<FakeItemLink>(handset_);
        handset_->Connect(kPort, kImei);
        Build();
        const uint8_t* first = FetchOk(kMediaCenter, 3, "Ring1");
        handset_->Connect(kPort, c.imei);

        const uint8_t* second = FetchOk(static_cast<MediaCenterItemTypeTag>(c.kind), c.category, c.name);

        EXPECT_EQ(link_->Calls().size(), c.exchanged ? 2u : 1u);
        EXPECT_EQ(second == first, !c.exchanged);
    }
}

TEST_F(CacheTest, Fetch_FileIsKnownByKindAndPathWhateverTheCategory) {
    const uint8_t* first = FetchOk(kFile0, 0, "/Documents/Notes.txt");
    EXPECT_EQ(FetchOk(kFile0, 7, "/Documents/Notes.txt"), first);
    EXPECT_NE(FetchOk(MC_ITEM_FILE_1, 0, "/Documents/Notes.txt"), first);
    EXPECT_EQ(link_->Calls().size(), 2u);
}

TEST_F(CacheTest, Release_GivesBackOneFetchFreesWithTheLastAndRefusesOtherPointers) {
    const uint8_t* data = FetchOk(kMediaCenter, 3, "Ring1");
    ASSERT_EQ(FetchOk(kMediaCenter, 3, "Ring1"), data);

    EXPECT_EQ(cache_->Release(data), MCCACHE_OK);
    EXPECT_TRUE(link_->Freed().empty());
    EXPECT_EQ(cache_->Release(data), MCCACHE_OK);
    EXPECT_EQ(link_->Freed(), std::vector<const uint8_t*>{data});

    EXPECT_EQ(cache_->Release(data), MCCACHE_NOT_KEPT);
    const uint8_t* again = FetchOk(kMediaCenter, 3, "Ring1");
    EXPECT_EQ(link_->Calls().size(), 2u);
    EXPECT_EQ(cache_->Release(nullptr), MCCACHE_NOT_KEPT);
    EXPECT_EQ(cache_->Release(again + 1), MCCACHE_NOT_KEPT);
    EXPECT_EQ(link_->Freed().size(), 1u);
}

TEST_F(CacheTest, ReleaseAllAndDestruction_FreeEveryKeptItem) {
    std::vector<const uint8_t*> kept = {FetchOk(kMediaCenter, 3, "Ring1"), FetchOk(kFile0, 0, "/a"),
                                        FetchOk(MC_ITEM_FILE_4, 0, "/a")};
    FetchOk(kMediaCenter, 3, "Ring1");

    cache_->ReleaseAll();
    std::vector<const uint8_t*> freed = link_->Freed();
    std::sort(kept.begin(), kept.end());
    std::sort(freed.begin(), freed.end());
    EXPECT_EQ(freed, kept);

    const uint8_t* later = FetchOk(kMediaCenter, 3, "Ring1");
    EXPECT_EQ(link_->Calls().size(), 4u);
    cache_.reset();
    EXPECT_EQ(link_->Freed().back(), later);
    EXPECT_EQ(link_->Freed().size(), 4u);
}

TEST_F(CacheTest, Fetch_FailedRead_PassesCodeThroughFreesAnyBufferAndKeepsNothing) {
    struct Case {
        int32_t answer;
        bool handsOutBuffer;
        int32_t result;
    };
    for (const Case& c :
         {Case{MEXTAL_BAD_ARGUMENT, false, MEXTAL_BAD_ARGUMENT},
          Case{MEXTAL_PORT_UNAVAILABLE, false, MEXTAL_PORT_UNAVAILABLE},
          Case{MEXTAL_UNEXPECTED_ANSWER, true, MEXTAL_UNEXPECTED_ANSWER},
          Case{MEXTAL_FINAL_ANSWER_FAILED, true, MEXTAL_FINAL_ANSWER_FAILED}, Case{LINK_TIMEOUT, false, LINK_TIMEOUT},
          Case{-8, false, -8}, Case{MEXTAL_OK, false, MCCACHE_NO_CONTENT}}) {
        SCOPED_TRACE(c.answer);
        link_ = std::make_shared<FakeItemLink>(handset_);
        link_->Answer(c.answer, "partial", c.handsOutBuffer);
        Build();
        const uint8_t* data = nullptr;
        uint32_t length = 0;

        EXPECT_EQ(cache_->Fetch(kMediaCenter, 3, "Ring1", &data, &length), c.result);
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(link_->Freed().size(), c.handsOutBuffer ? 1u : 0u);

        link_->Answer(MEXTAL_OK, "whole");
        EXPECT_NE(FetchOk(kMediaCenter, 3, "Ring1"), nullptr);
        EXPECT_EQ(link_->Calls().size(), 2u);
    }
}

TEST_F(CacheTest, ConcurrentFetchesOfOneItem_MakeOneExchangeAndShareTheBytes) {
    constexpr int kThreads = 8;
    link_->OnExchange([] { std::this_thread::sleep_for(20ms); });
    Build(kCacheHandsetMutexWaitMs);
    std::vector<const uint8_t*> handedOut(kThreads);
    std::vector<int32_t> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            uint32_t length = 0;
            results[i] = cache_->Fetch(kMediaCenter, 3, "Ring1", &handedOut[i], &length);
        });
    }
    for (std::thread& thread : threads) thread.join();

    EXPECT_EQ(link_->Calls().size(), 1u);
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(results[i], MCCACHE_OK);
        EXPECT_EQ(handedOut[i], handedOut[0]);
        EXPECT_EQ(cache_->Release(handedOut[i]), MCCACHE_OK);
    }
    EXPECT_EQ(link_->Freed(), std::vector<const uint8_t*>{handedOut[0]});
}

TEST_F(CacheTest, ConcurrentFetchesOfDifferentItems_ExchangeOneAtATime) {
    constexpr int kThreads = 4;
    std::atomic<int> inExchange{0};
    std::atomic<int> overlaps{0};
    link_->OnExchange([&] {
        if (++inExchange > 1) ++overlaps;
        std::this_thread::sleep_for(5ms);
        --inExchange;
    });
    Build(kCacheHandsetMutexWaitMs);
    std::vector<std::thread> threads;
    std::atomic<int> fetched{0};
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            const uint8_t* data = nullptr;
            uint32_t length = 0;
            std::string name = "Item" + std::to_string(i);
            if (cache_->Fetch(kMediaCenter, 3, name.c_str(), &data, &length) == MCCACHE_OK) ++fetched;
            cache_->Release(data);
        });
    }
    for (std::thread& thread : threads) thread.join();

    EXPECT_EQ(fetched.load(), kThreads);
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(link_->Freed().size(), static_cast<size_t>(kThreads));
}

}  // namespace
}  // namespace porvesk::test

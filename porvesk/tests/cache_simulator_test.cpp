// The media-centre data cache on the real serial link, handset library and
// detector, fetching from the handset simulator: what arrives is byte-exact, a
// kept item costs no second exchange on the wire, another handset on the same
// port never gets the first one's bytes, and failures keep nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cache_setup.h"
#include "detector_setup.h"
#include "mextal/mextal.h"
#include "porvesk/mc_data_cache.h"
#include "porvesk/porvesk.h"
#include "simulated_phone_map.h"
#include "support/hex_text.h"
#include "support/simulated_phone.h"

namespace porvesk::test {
namespace {

using namespace std::chrono_literals;
using ravelin::test::CountProcessResources;
using ravelin::test::Describe;
using ravelin::test::HoldsNoMoreThan;
using ravelin::test::ProcessResources;
using ravelin::test::SimulatedPhone;

constexpr char kImei[] = "356938035643809";
constexpr char kOtherImei[] = "490154203237518";
constexpr auto kConnectBound = 10s;
// Generated media-centre content: byte i = (i * 131 + size) & 0xFF.
constexpr uint32_t kContentFactor = 131;
// Default files: byte i = i mod 251.
constexpr uint32_t kPatternModulus = 251;

std::string PhoneOptions(const std::string& imei, const std::string& extra = "") {
    return "--imei " + imei + (extra.empty() ? "" : " " + extra);
}

std::string MediaContent(uint32_t size) {
    std::string content(size, '\0');
    for (uint32_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * kContentFactor + size) & 0xFF);
    return content;
}

std::string PatternContent(uint32_t size) {
    std::string content(size, '\0');
    for (uint32_t i = 0; i < size; ++i) content[i] = static_cast<char>(i % kPatternModulus);
    return content;
}

std::string ItemRequestLine(int32_t kind, int32_t category, const std::string& name) {
    if (kind == MC_ITEM_MEDIA_CENTER) return "AT$QKMCR=" + std::to_string(category) + ",255,0,\"" + name + "\"";
    return "AT$FSRF=" + std::to_string(kind) + ",\"" + name + "\"";
}

class CacheWithSimulatedPhone : public ::testing::Test {
protected:
    void SetUp() override {
        phone_ = SimulatedPhone::Start(0, PhoneOptions(kImei));
        entry_ = std::make_unique<SerialMapEntry>(phone_->ComPort());
        platform_ = entry_->Platform();
        // A pulled cable fails the detector's check after one short handshake.
        SetRetryInfo(1, 500);
        SetWaitResTime(1000);

        DetectorSetup detectorSetup;
        detectorSetup.timings = QuickTimings();
        detectorSetup.link = MakeSystemHandsetLink();
        detectorSetup.platform = platform_;
        detector_ = std::make_unique<CConDetect>(detectorSetup);
        ASSERT_TRUE(detector_->StartDetect());
        // Every test fetches as soon as the handset shows as connected: the
        // detector's own exchanges of the connection must be over by then.
        ASSERT_TRUE(ConnectedTo(kImei));

        // The library's own collaborators, with the named lock in the detector's store.
        CacheSetup cacheSetup = SystemCacheSetup(*detector_);
        cacheSetup.platform = platform_;
        cache_ = std::make_unique<CMCDataCache>(cacheSetup);
    }

    void TearDown() override {
        cache_.reset();
        if (detector_ != nullptr) detector_->StopDetect();
        detector_.reset();
        entry_.reset();
        phone_.reset();
    }

    bool ConnectedTo(const std::string& imei) {
        return WaitUntil([&] { return detector_->GetCurConnectStatus() && detector_->GetCurConnectImei() == imei; },
                         kConnectBound);
    }

    struct Fetched {
        int32_t result = MCCACHE_OK;
        const uint8_t* data = nullptr;
        uint32_t length = 0;
        std::string Bytes() const { return std::string(reinterpret_cast<const char*>(data), length); }
    };

    Fetched Fetch(int32_t kind, int32_t category, const std::string& name) {
        Fetched fetched;
        fetched.result = cache_->Fetch(static_cast<MediaCenterItemTypeTag>(kind), category, name.c_str(), &fetched.data,
                                       &fetched.length);
        return fetched;
    }

    // How often the phone has received this command line since its last reset.
    size_t TimesOnWire(const std::string& line) {
        std::vector<std::string> commands = phone_->Commands();
        return static_cast<size_t>(std::count(commands.begin(), commands.end(), line));
    }

    std::unique_ptr<SimulatedPhone> phone_;
    std::unique_ptr<SerialMapEntry> entry_;
    std::shared_ptr<DetectorPlatform> platform_;
    std::unique_ptr<CConDetect> detector_;
    std::unique_ptr<CMCDataCache> cache_;
};

struct ItemCase {
    const char* what;
    int32_t kind;
    int32_t category;
    // Category of the repeated fetch: files are known by kind and path alone.
    int32_t repeatCategory;
    const char* name;
    std::string content;
};

std::vector<ItemCase> DefaultItems() {
    return {
        {"media-centre item", MC_ITEM_MEDIA_CENTER, 0, 0, "Sunset.jpg", MediaContent(20480)},
        {"largest media-centre item", MC_ITEM_MEDIA_CENTER, 2, 2, "Clip.3gp", MediaContent(65536)},
        {"empty media-centre item", MC_ITEM_MEDIA_CENTER, 1, 1, "Silence.mid", ""},
        {"phone memory file", MC_ITEM_FILE_0, 0, 6, "/Documents/Notes.txt", "Buy milk\r\nCall Anna\r\n"},
        {"memory card file", MC_ITEM_FILE_1, 3, 0, "/Music/Song.mp3", PatternContent(65536)},
        {"built-in file", MC_ITEM_FILE_4, 9, 2, "/Themes/Default.thm", PatternContent(8192)},
    };
}

TEST_F(CacheWithSimulatedPhone, Fetch_ItemsArriveByteExactAndAreKeptUntilReleased) {
    for (const ItemCase& c : DefaultItems()) {
        SCOPED_TRACE(c.what);
        const std::string request = ItemRequestLine(c.kind, c.category, c.name);

        Fetched first = Fetch(c.kind, c.category, c.name);
        ASSERT_EQ(first.result, MCCACHE_OK);
        ASSERT_NE(first.data, nullptr);
        EXPECT_TRUE(first.Bytes() == c.content) << "length " << first.length << " of " << c.content.size();
        EXPECT_EQ(TimesOnWire(request), 1u);

        Fetched again = Fetch(c.kind, c.repeatCategory, c.name);
        ASSERT_EQ(again.result, MCCACHE_OK);
        EXPECT_EQ(again.data, first.data);
        EXPECT_EQ(again.length, first.length);
        EXPECT_EQ(TimesOnWire(request), 1u);

        EXPECT_EQ(cache_->Release(again.data), MCCACHE_OK);
        EXPECT_EQ(cache_->Release(first.data), MCCACHE_OK);
        EXPECT_EQ(cache_->Release(first.data), MCCACHE_NOT_KEPT);

        Fetched afterRelease = Fetch(c.kind, c.category, c.name);
        ASSERT_EQ(afterRelease.result, MCCACHE_OK);
        EXPECT_TRUE(afterRelease.Bytes() == c.content);
        EXPECT_EQ(TimesOnWire(request), 2u);
        EXPECT_EQ(cache_->Release(afterRelease.data), MCCACHE_OK);
    }
}

TEST_F(CacheWithSimulatedPhone, Fetch_SamePathInTwoAreas_KeptApart) {
    phone_->Request("fs-put 0 /Same.bin 0a0b0c");
    phone_->Request("fs-put 1 /Same.bin 1a1b1c1d");

    Fetched memory = Fetch(MC_ITEM_FILE_0, 0, "/Same.bin");
    Fetched card = Fetch(MC_ITEM_FILE_1, 0, "/Same.bin");

    ASSERT_EQ(memory.result, MCCACHE_OK);
    ASSERT_EQ(card.result, MCCACHE_OK);
    EXPECT_EQ(memory.Bytes(), "\x0a\x0b\x0c");
    EXPECT_EQ(card.Bytes(), "\x1a\x1b\x1c\x1d");
    EXPECT_EQ(TimesOnWire("AT$FSRF=0,\"/Same.bin\""), 1u);
    EXPECT_EQ(TimesOnWire("AT$FSRF=1,\"/Same.bin\""), 1u);
    cache_->ReleaseAll();
}

TEST_F(CacheWithSimulatedPhone, Fetch_ConcurrentFetchesOfOneItem_ShareOneExchange) {
    constexpr int kFetchers = 4;
    std::vector<std::future<Fetched>> fetches;
    for (int i = 0; i < kFetchers; ++i) {
        fetches.push_back(std::async(std::launch::async, [&] { return Fetch(MC_ITEM_MEDIA_CENTER, 5, "Blue.thm"); }));
    }
    std::vector<Fetched> results;
    for (auto& fetch : fetches) results.push_back(fetch.get());

    for (const Fetched& fetched : results) {
        ASSERT_EQ(fetched.result, MCCACHE_OK);
        EXPECT_EQ(fetched.data, results.front().data);
    }
    EXPECT_TRUE(results.front().Bytes() == MediaContent(8192));
    EXPECT_EQ(TimesOnWire(ItemRequestLine(MC_ITEM_MEDIA_CENTER, 5, "Blue.thm")), 1u);
    for (const Fetched& fetched : results) EXPECT_EQ(cache_->Release(fetched.data), MCCACHE_OK);
}

TEST_F(CacheWithSimulatedPhone, Fetch_AnotherHandsetOnTheSamePort_GetsItsOwnBytes) {
    struct Case {
        const char* what;
        int32_t kind;
        int32_t category;
        const char* name;
        std::string firstContent;
        // Options of the second handset and a store request that gives it other bytes.
        std::string secondOptions;
        std::string secondRequest;
        std::string secondContent;
    };
    const Case cases[] = {
        {"media-centre item", MC_ITEM_MEDIA_CENTER, 0, "Sunset.jpg", MediaContent(20480),
         "--mc-item 0:1:Sunset.jpg:100", "", MediaContent(100)},
        {"file", MC_ITEM_FILE_0, 0, "/Documents/Notes.txt", "Buy milk\r\nCall Anna\r\n", "",
         "fs-put 0 /Documents/Notes.txt " + ravelin::test::ToHex("Other phone"), "Other phone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        phone_->Reset(PhoneOptions(kImei));
        ASSERT_TRUE(ConnectedTo(kImei));
        Fetched first = Fetch(c.kind, c.category, c.name);
        ASSERT_EQ(first.result, MCCACHE_OK);
        ASSERT_TRUE(first.Bytes() == c.firstContent);

        // Another phone is plugged into the same port; the first one's bytes stay held.
        phone_->Reset(PhoneOptions(kOtherImei, c.secondOptions));
        if (!c.secondRequest.empty()) phone_->Request(c.secondRequest);
        ASSERT_TRUE(ConnectedTo(kOtherImei));
        EXPECT_EQ(detector_->GetCurConnectPort(), phone_->ComPort());

        Fetched second = Fetch(c.kind, c.category, c.name);
        ASSERT_EQ(second.result, MCCACHE_OK);
        EXPECT_NE(second.data, first.data);
        EXPECT_TRUE(second.Bytes() == c.secondContent) << "length " << second.length;
        EXPECT_EQ(TimesOnWire(ItemRequestLine(c.kind, c.category, c.name)), 1u);
        EXPECT_TRUE(first.Bytes() == c.firstContent);

        EXPECT_EQ(cache_->Release(first.data), MCCACHE_OK);
        EXPECT_EQ(cache_->Release(second.data), MCCACHE_OK);
    }
}

TEST_F(CacheWithSimulatedPhone, Fetch_HandsetRefusesItem_FailsAndKeepsNothing) {
    struct Case {
        const char* what;
        std::string faultOptions;
        int32_t kind;
        int32_t category;
        const char* name;
        int32_t result;
    };
    const Case cases[] = {
        {"no such media-centre item", "", MC_ITEM_MEDIA_CENTER, 0, "Nothing.jpg", MEXTAL_HANDSET_ERROR},
        {"empty category", "", MC_ITEM_MEDIA_CENTER, 7, "Sunset.jpg", MEXTAL_HANDSET_ERROR},
        {"media-centre read fails", "--fail AT$QKMCR=3", MC_ITEM_MEDIA_CENTER, 0, "Sunset.jpg", MEXTAL_HANDSET_ERROR},
        {"answer names another item", "--mc-fault other-name", MC_ITEM_MEDIA_CENTER, 0, "Sunset.jpg",
         MEXTAL_UNEXPECTED_ANSWER},
        {"impossible length", "--bad-length AT$QKMCR", MC_ITEM_MEDIA_CENTER, 0, "Sunset.jpg", MEXTAL_UNEXPECTED_ANSWER},
        {"no such file", "", MC_ITEM_FILE_0, 0, "/Documents/Nothing.txt", -1},
        {"directory as file", "", MC_ITEM_FILE_0, 0, "/Documents", -3},
        {"no memory card", "--no-card", MC_ITEM_FILE_1, 0, "/Music/Song.mp3", -8},
        {"file read fails", "--fail AT$FSRF=5", MC_ITEM_FILE_4, 0, "/Themes/Default.thm", -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        phone_->Reset(PhoneOptions(kImei, c.faultOptions));
        const std::string request = ItemRequestLine(c.kind, c.category, c.name);

        for (size_t attempt = 1; attempt <= 2; ++attempt) {
            Fetched fetched = Fetch(c.kind, c.category, c.name);
            EXPECT_EQ(fetched.result, c.result);
            EXPECT_EQ(fetched.data, nullptr);
            EXPECT_EQ(fetched.length, 0u);
            // Nothing was kept: the next attempt asks the handset again.
            EXPECT_EQ(TimesOnWire(request), attempt);
        }
        EXPECT_TRUE(detector_->GetCurConnectStatus());
    }
}

TEST_F(CacheWithSimulatedPhone, Fetch_CablePulledMidTransfer_FailsCleanlyAndRecovers) {
    struct Case {
        const char* what;
        std::string cutOption;
        int32_t kind;
        int32_t category;
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"media-centre item", "--cut-raw AT$QKMCR=1000", MC_ITEM_MEDIA_CENTER, 2, "Clip.3gp", MediaContent(65536)},
        {"file", "--cut-raw AT$FSRF=1000", MC_ITEM_FILE_1, 0, "/Music/Song.mp3", PatternContent(65536)},
    };
    // The cache makes its handle of the named lock on its first exchange.
    Fetched warmUp = Fetch(MC_ITEM_FILE_0, 0, "/Documents/Notes.txt");
    ASSERT_EQ(warmUp.result, MCCACHE_OK);
    ASSERT_EQ(cache_->Release(warmUp.data), MCCACHE_OK);
    const ProcessResources before = CountProcessResources();
    ASSERT_GT(before.threads, 0);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        phone_->Reset(PhoneOptions(kImei, c.cutOption));

        Fetched cut = Fetch(c.kind, c.category, c.name);
        EXPECT_NE(cut.result, MCCACHE_OK);
        EXPECT_EQ(cut.data, nullptr);
        EXPECT_EQ(cut.length, 0u);
        // The lock was given back: the detector takes it for its check and
        // finds the handset gone.
        ASSERT_TRUE(WaitUntil([&] { return !detector_->GetCurConnectStatus(); }, kConnectBound));

        phone_->Reset(PhoneOptions(kImei));
        phone_->Plug();
        ASSERT_TRUE(ConnectedTo(kImei));
        const ProcessResources after = CountProcessResources();
        EXPECT_TRUE(HoldsNoMoreThan(after, before)) << Describe(after) << " after, " << Describe(before) << " before";

        Fetched again = Fetch(c.kind, c.category, c.name);
        ASSERT_EQ(again.result, MCCACHE_OK);
        EXPECT_TRUE(again.Bytes() == c.content) << "length " << again.length;
        EXPECT_EQ(TimesOnWire(ItemRequestLine(c.kind, c.category, c.name)), 1u);
        EXPECT_EQ(cache_->Release(again.data), MCCACHE_OK);
    }
}

}  // namespace
}  // namespace porvesk::test

// The media-centre data cache: one exchange per item while the item is kept,
// each exchange under "AccessHandsetMutex".
#include "porvesk/mc_data_cache.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <tuple>
#include <utility>

#include "cache_setup.h"
#include "release_on_exit.h"

namespace porvesk {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBaudRate = 115200;
constexpr uint32_t kImeiBufferSize = 128;
constexpr uint32_t kFileReserved = 0;
constexpr int32_t kMediaCenterReserved = 0;
// Files are known by kind and path alone.
constexpr int32_t kFileCategory = 0;

enum class ItemRoute { kFile, kMediaCenter, kNone };

ItemRoute RouteOf(MediaCenterItemTypeTag kind) {
    switch (kind) {
        case MC_ITEM_FILE_0:
        case MC_ITEM_FILE_1:
        case MC_ITEM_FILE_4:
            return ItemRoute::kFile;
        case MC_ITEM_MEDIA_CENTER:
            return ItemRoute::kMediaCenter;
        default:
            return ItemRoute::kNone;
    }
}

// What was asked for, and from which handset: another phone on the same port
// has other items under the same names.
struct ItemKey {
    std::string imei;
    int32_t kind = 0;
    int32_t category = 0;
    std::string name;

    bool operator<(const ItemKey& other) const {
        return std::tie(imei, kind, category, name) < std::tie(other.imei, other.kind, other.category, other.name);
    }
};

struct KeptItem {
    uint8_t* data = nullptr;  // handed out by the handset library
    uint32_t length = 0;
    uint32_t holds = 0;  // Fetches not yet given back
};

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Lets one exchange of this process run at a time (a lock file handle does not
// exclude two threads that share it); the wait for a turn is bounded.
class ExchangeTurns {
public:
    bool Take(Clock::time_point deadline) {
        std::unique_lock<std::mutex> hold(lock_);
        if (!given_.wait_until(hold, deadline, [&] { return !taken_; })) return false;
        taken_ = true;
        return true;
    }

    void Release() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            taken_ = false;
        }
        given_.notify_one();
    }

private:
    std::mutex lock_;
    std::condition_variable given_;
    bool taken_ = false;
};

}  // namespace

struct CacheState {
    explicit CacheState(const CacheSetup& setup)
        : handsetMutexWaitMs(setup.handsetMutexWaitMs),
          link(setup.link),
          handset(setup.handset),
          platform(setup.platform) {}

    bool TakeKept(const ItemKey& key, const uint8_t** data, uint32_t* length);
    int32_t Keep(const ItemKey& key, uint8_t* bytes, uint32_t size, const uint8_t** data, uint32_t* length);
    int32_t LockHandset(Clock::time_point deadline);
    int32_t ConfirmHandset(const std::string& imei, SerloxIDTag& port);
    int32_t Exchange(ItemRoute route, SerloxIDTag port, const ItemKey& key, uint8_t** bytes, uint32_t* size);
    void Free(uint8_t* bytes);

    const int handsetMutexWaitMs;
    const std::shared_ptr<ItemLink> link;
    const std::shared_ptr<HandsetConnection> handset;
    const std::shared_ptr<DetectorPlatform> platform;

    // The turn to exchange also guards handsetMutex.
    ExchangeTurns exchangeTurns;
    std::unique_ptr<NamedMutex> handsetMutex;

    std::mutex itemsLock;
    std::map<ItemKey, KeptItem> items;
};

bool CacheState::TakeKept(const ItemKey& key, const uint8_t** data, uint32_t* length) {
    std::lock_guard<std::mutex> hold(itemsLock);
    auto kept = items.find(key);
    if (kept == items.end()) return false;
    ++kept->second.holds;
    *data = kept->second.data;
    *length = kept->second.length;
    return true;
}

int32_t CacheState::Keep(const ItemKey& key, uint8_t* bytes, uint32_t size, const uint8_t** data, uint32_t* length) {
    {
        std::lock_guard<std::mutex> hold(itemsLock);
        try {
            items.emplace(key, KeptItem{bytes, size, 1});
            *data = bytes;
            *length = size;
            return MCCACHE_OK;
        } catch (const std::bad_alloc&) {
        }
    }
    Free(bytes);
    return MCCACHE_OUT_OF_MEMORY;
}

// The lock is made on first use, so that a store that could not be reached when
// the library was loaded is tried again.
int32_t CacheState::LockHandset(Clock::time_point deadline) {
    if (handsetMutex == nullptr) handsetMutex = platform->CreateNamedMutex(kHandsetMutexName);
    if (handsetMutex == nullptr) return MCCACHE_LOCK_FAILED;
    switch (handsetMutex->Wait(RemainingMs(deadline))) {
        case LockResult::kAcquired:
            return MCCACHE_OK;
        case LockResult::kTimedOut:
            return MCCACHE_HANDSET_BUSY;
        default:
            return MCCACHE_LOCK_FAILED;
    }
}

// Under the handset lock: the handset the fetch was asked for may have been
// lost, or replaced by another one, while the fetch waited. It must still be the
// one the detector reports, and say so itself, before bytes are read that will be
// kept under its IMEI. The port is the one reported now.
int32_t CacheState::ConfirmHandset(const std::string& imei, SerloxIDTag& port) {
    std::string reportedImei;
    if (!handset->Current(port, reportedImei) || reportedImei != imei) return MCCACHE_NOT_CONNECTED;
    const PortSettings settings{static_cast<uint32_t>(port), kBaudRate, 0};
    char answer[kImeiBufferSize] = {};
    const int32_t result = link->QueryImei(settings, answer, kImeiBufferSize);
    if (result != MEXTAL_OK) return result;
    answer[kImeiBufferSize - 1] = '\0';
    return imei == answer ? MCCACHE_OK : MCCACHE_NOT_CONNECTED;
}

int32_t CacheState::Exchange(ItemRoute route, SerloxIDTag port, const ItemKey& key, uint8_t** bytes, uint32_t* size) {
    const PortSettings settings{static_cast<uint32_t>(port), kBaudRate, 0};
    if (route == ItemRoute::kFile) {
        return link->ReadMsFile(settings, key.kind, key.name.c_str(), bytes, size, kFileReserved);
    }
    return link->ReadMediaCenter(settings, key.category, key.kind, kMediaCenterReserved, key.name.c_str(), bytes, size);
}

void CacheState::Free(uint8_t* bytes) {
    if (bytes != nullptr) link->FreeRecvMem(&bytes);
}

}  // namespace porvesk

using porvesk::CacheState;

CMCDataCache::CMCDataCache(CConDetect& detector) : CMCDataCache(porvesk::SystemCacheSetup(detector)) {}

CMCDataCache::CMCDataCache(const porvesk::CacheSetup& setup) : state_(std::make_unique<CacheState>(setup)) {}

CMCDataCache::~CMCDataCache() { ReleaseAll(); }

int32_t CMCDataCache::Fetch(MediaCenterItemTypeTag kind, int32_t category, const char* name, const uint8_t** data,
                            uint32_t* length) {
    try {
        return FetchItem(kind, category, name, data, length);
    } catch (const std::bad_alloc&) {
        return MCCACHE_OUT_OF_MEMORY;
    } catch (const std::system_error&) {  // from the locks of this process
        return MCCACHE_LOCK_FAILED;
    }
}

int32_t CMCDataCache::FetchItem(MediaCenterItemTypeTag kind, int32_t category, const char* name, const uint8_t** data,
                                uint32_t* length) {
    if (data == nullptr || length == nullptr) return MCCACHE_BAD_ARGUMENT;
    *data = nullptr;
    *length = 0;
    if (name == nullptr) return MCCACHE_BAD_ARGUMENT;
    const porvesk::ItemRoute route = porvesk::RouteOf(kind);
    if (route == porvesk::ItemRoute::kNone) return MCCACHE_UNKNOWN_KIND;

    CacheState& s = *state_;
    porvesk::ItemKey key;
    key.kind = kind;
    key.category = route == porvesk::ItemRoute::kFile ? porvesk::kFileCategory : category;
    key.name = name;
    SerloxIDTag port = SERLOX_NO_PORT;
    if (!s.handset->Current(port, key.imei)) return MCCACHE_NOT_CONNECTED;
    if (s.TakeKept(key, data, length)) return MCCACHE_OK;

    const auto deadline = porvesk::Clock::now() + std::chrono::milliseconds(s.handsetMutexWaitMs);
    if (!s.exchangeTurns.Take(deadline)) return MCCACHE_HANDSET_BUSY;
    porvesk::ReleaseOnExit<porvesk::ExchangeTurns> turn(&s.exchangeTurns);
    // Another thread may have fetched the item while this one waited.
    if (s.TakeKept(key, data, length)) return MCCACHE_OK;
    const int32_t locked = s.LockHandset(deadline);
    if (locked != MCCACHE_OK) return locked;

    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    int32_t result;
    {
        porvesk::ReleaseOnExit<porvesk::NamedMutex> hold(s.handsetMutex.get());
        result = s.ConfirmHandset(key.imei, port);
        if (result == MCCACHE_OK) result = s.Exchange(route, port, key, &bytes, &size);
    }
    if (result != MEXTAL_OK) {
        s.Free(bytes);
        return result;
    }
    if (bytes == nullptr) return MCCACHE_NO_CONTENT;
    return s.Keep(key, bytes, size, data, length);
}

int32_t CMCDataCache::Release(const uint8_t* data) {
    CacheState& s = *state_;
    uint8_t* freed = nullptr;
    {
        std::lock_guard<std::mutex> hold(s.itemsLock);
        auto kept =
            std::find_if(s.items.begin(), s.items.end(), [&](const auto& item) { return item.second.data == data; });
        if (kept == s.items.end()) return MCCACHE_NOT_KEPT;
        if (--kept->second.holds > 0) return MCCACHE_OK;
        freed = kept->second.data;
        s.items.erase(kept);
    }
    s.Free(freed);
    return MCCACHE_OK;
}

void CMCDataCache::ReleaseAll() {
    CacheState& s = *state_;
    std::map<porvesk::ItemKey, porvesk::KeptItem> freed;
    {
        std::lock_guard<std::mutex> hold(s.itemsLock);
        freed.swap(s.items);
    }
    for (auto& item : freed) s.Free(item.second.data);
}

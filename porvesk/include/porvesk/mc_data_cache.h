#pragma once
// The media-centre data cache: fetches items from the connected handset through
// the handset command library and keeps their bytes until they are released.
#include <cstdint>
#include <memory>

#include "mextal/mextal.h"
#include "porvesk/porvesk.h"

// Result codes of the cache. Codes of the handset command library and of the
// serial link (0, 4096 to 4110, 20002 to 20115, negative handset error numbers)
// pass through Fetch unchanged; the cache's own codes lie from 30001 up.
constexpr int32_t MCCACHE_OK = 0;
constexpr int32_t MCCACHE_BAD_ARGUMENT = 30001;   // a null name or output pointer
constexpr int32_t MCCACHE_UNKNOWN_KIND = 30002;   // not a fetchable MediaCenterItemTypeTag
constexpr int32_t MCCACHE_NOT_CONNECTED = 30003;  // no handset is connected, or not the one asked for
constexpr int32_t MCCACHE_HANDSET_BUSY = 30004;   // "AccessHandsetMutex" not had in time
constexpr int32_t MCCACHE_LOCK_FAILED = 30005;    // "AccessHandsetMutex" cannot be made or waited for
constexpr int32_t MCCACHE_NO_CONTENT = 30006;     // the handset library reported success without a buffer
constexpr int32_t MCCACHE_OUT_OF_MEMORY = 30007;
constexpr int32_t MCCACHE_NOT_KEPT = 30008;  // Release of bytes the cache does not hold

// Longest wait for "AccessHandsetMutex" (and for another fetch of this process
// that is exchanging commands) before Fetch gives up with MCCACHE_HANDSET_BUSY.
constexpr int kCacheHandsetMutexWaitMs = 5000;

namespace porvesk {
struct CacheSetup;
struct CacheState;
}  // namespace porvesk

// The library holds exactly one cache (MCDataCacheGetObj), made after the
// detector and destroyed before it; callers never delete it. All members may be
// called from any thread.
class CMCDataCache {
public:
    // The library's cache, on the library's detector (not exported).
    explicit CMCDataCache(CConDetect& detector);
    // Builds a cache on other collaborators (tests only; not exported).
    explicit CMCDataCache(const porvesk::CacheSetup& setup);
    // Frees every kept item.
    virtual ~CMCDataCache();
    CMCDataCache(const CMCDataCache&) = delete;
    CMCDataCache& operator=(const CMCDataCache&) = delete;

    // Fetches an item of the connected handset:
    //   kinds 0, 1 and 4: the file `name` (a path) of that storage area, through
    //                     ReadMsFile; `category` plays no part;
    //   kind 255:         the media-centre item `name` of `category`, through
    //                     ReadMediaCenter.
    // On MCCACHE_OK *data points to *length bytes that the cache owns until they
    // are released; on failure *data is null and *length 0 (when given). An item
    // fetched before from the same handset (same IMEI), and not yet released, is
    // handed out again without an exchange; each successful Fetch must be matched
    // by one Release. The exchange holds "AccessHandsetMutex"; within that hold
    // the handset must still be the one the detector reported when Fetch began,
    // and must answer that IMEI itself, or Fetch fails with MCCACHE_NOT_CONNECTED
    // (a failed IMEI query passes its code through) without reading the item.
    PORVESK_API int32_t Fetch(MediaCenterItemTypeTag kind, int32_t category, const char* name, const uint8_t** data,
                              uint32_t* length);
    // Gives back one Fetch of the item whose bytes start at `data`; the bytes are
    // freed when the last one is given back. MCCACHE_NOT_KEPT for other pointers.
    PORVESK_API int32_t Release(const uint8_t* data);
    // Frees every kept item at once; pointers handed out before become invalid.
    PORVESK_API void ReleaseAll();

private:
    int32_t FetchItem(MediaCenterItemTypeTag kind, int32_t category, const char* name, const uint8_t** data,
                      uint32_t* length);

    std::unique_ptr<porvesk::CacheState> state_;
};

// The library's cache: the same object on every call, never null while the
// library is loaded.
extern "C" PORVESK_API CMCDataCache* MCDataCacheGetObj();

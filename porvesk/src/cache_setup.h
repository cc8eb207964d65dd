#pragma once
// What a media-centre data cache is built on. The library always uses
// SystemCacheSetup(); tests build their own and pass it to the CMCDataCache
// constructor that is not exported.
#include <cstdint>
#include <memory>
#include <string>

#include "mextal/mextal.h"
#include "platform.h"
#include "porvesk/mc_data_cache.h"

namespace porvesk {

// The handset command library's exports that the cache calls.
class ItemLink {
public:
    virtual ~ItemLink() = default;
    virtual int32_t ReadMsFile(const PortSettings& settings, int32_t kind, const char* path, uint8_t** data,
                               uint32_t* length, uint32_t reserved) = 0;
    virtual int32_t ReadMediaCenter(const PortSettings& settings, int32_t category, int32_t kind, int32_t reserved,
                                    const char* name, uint8_t** data, uint32_t* length) = 0;
    // Frees a buffer that one of the reads handed out; takes the pointer's address.
    virtual int32_t FreeRecvMem(uint8_t** pointer) = 0;
    // Asks the handset on the port for its IMEI.
    virtual int32_t QueryImei(const PortSettings& settings, char* imei, uint32_t size) = 0;
};

// The handset the cache talks to.
class HandsetConnection {
public:
    virtual ~HandsetConnection() = default;
    // Port and IMEI of the connected handset; false when none is connected.
    virtual bool Current(SerloxIDTag& port, std::string& imei) = 0;
};

struct CacheSetup {
    int handsetMutexWaitMs = kCacheHandsetMutexWaitMs;
    std::shared_ptr<ItemLink> link;
    std::shared_ptr<HandsetConnection> handset;
    // Makes the named lock "AccessHandsetMutex".
    std::shared_ptr<DetectorPlatform> platform;
};

// The handset command library (bound by ordinal on Windows), `detector`'s
// connection and the system's named lock, with the shipped waiting time.
CacheSetup SystemCacheSetup(CConDetect& detector);

}  // namespace porvesk

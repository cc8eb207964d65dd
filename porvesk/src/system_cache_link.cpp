// The cache's collaborators in the library: the handset command library's read
// and IMEI exports and the library's detector.
#include "cache_setup.h"

namespace porvesk {
namespace {

class SystemItemLink : public ItemLink {
public:
    int32_t ReadMsFile(const PortSettings& settings, int32_t kind, const char* path, uint8_t** data, uint32_t* length,
                       uint32_t reserved) override {
        return ::ReadMsFile(&settings, kind, path, data, length, reserved);
    }

    int32_t ReadMediaCenter(const PortSettings& settings, int32_t category, int32_t kind, int32_t reserved,
                            const char* name, uint8_t** data, uint32_t* length) override {
        return ::ReadMediaCenter(&settings, category, kind, reserved, name, data, length);
    }

    int32_t FreeRecvMem(uint8_t** pointer) override { return ::FreeRecvMem(pointer); }

    int32_t QueryImei(const PortSettings& settings, char* imei, uint32_t size) override {
        return ::QueryImei(&settings, imei, size);
    }
};

class DetectorConnection : public HandsetConnection {
public:
    explicit DetectorConnection(CConDetect& detector) : detector_(detector) {}

    bool Current(SerloxIDTag& port, std::string& imei) override {
        if (!detector_.GetCurConnectStatus()) return false;
        port = detector_.GetCurConnectPort();
        imei = detector_.GetCurConnectImei();
        return port != SERLOX_NO_PORT;
    }

private:
    CConDetect& detector_;
};

}  // namespace

CacheSetup SystemCacheSetup(CConDetect& detector) {
    CacheSetup setup;
    setup.link = std::make_shared<SystemItemLink>();
    setup.handset = std::make_shared<DetectorConnection>(detector);
    setup.platform = MakeSystemPlatform();
    return setup;
}

}  // namespace porvesk

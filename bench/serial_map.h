#pragma once
// The serial device map the bench's detector reads: the phone's port alone,
// under a phone driver's device name, so that a scan pass probes that one port.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"

namespace bench {

class SerialMap {
public:
    explicit SerialMap(int comPort);
    ~SerialMap();
    SerialMap(const SerialMap&) = delete;
    SerialMap& operator=(const SerialMap&) = delete;

    std::shared_ptr<porvesk::DetectorPlatform> Platform();

private:
    // Natively the store folder; on Windows the values taken out of the map,
    // put back at the end.
    std::string folder_;
    struct SavedValue {
        std::string name;
        unsigned long type;
        std::string data;
    };
    std::vector<SavedValue> saved_;
};

}  // namespace bench

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "serial_map.h"

namespace bench {

SerialMap::SerialMap(int comPort) {
    char pattern[] = "/tmp/ravelin-bench-XXXXXX";
    if (mkdtemp(pattern) != nullptr) folder_ = pattern;
    std::ofstream(folder_ + "/serialcomm") << "\\Device\\USBSER000\tREG_SZ\tCOM" << comPort << "\n";
}

SerialMap::~SerialMap() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::shared_ptr<porvesk::DetectorPlatform> SerialMap::Platform() { return porvesk::MakeFileStorePlatform(folder_); }

}  // namespace bench

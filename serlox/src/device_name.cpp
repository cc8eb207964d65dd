#include "device_name.h"

namespace serlox {

std::string WindowsDeviceName(int port) {
    const std::string name = "COM" + std::to_string(port);
    return port < 10 ? name : "\\\\.\\" + name;
}

std::string DeviceMapFolder(const char* deviceDirVariable, const char* homeVariable) {
    if (deviceDirVariable != nullptr && *deviceDirVariable != '\0') return deviceDirVariable;
    if (homeVariable != nullptr && *homeVariable != '\0') return std::string(homeVariable) + "/.serlox/devices";
    return std::string();
}

std::string DeviceMapEntry(const std::string& folder, int port) {
    if (folder.empty()) return std::string();
    return folder + "/com" + std::to_string(port);
}

}  // namespace serlox

#pragma once
// Where the device of a COM port number is found.
#include <string>

namespace serlox {

// The Windows device name: "COM9" below 10, the device-namespace form
// "\\.\COM10" from 10 on (the short form only exists for COM1..COM9).
std::string WindowsDeviceName(int port);

// Linux: the port map is a folder with one entry "com<n>" per port, a symlink
// to the device. The folder is $SERLOX_DEVICE_DIR, else $HOME/.serlox/devices.
std::string DeviceMapFolder(const char* deviceDirVariable, const char* homeVariable);
std::string DeviceMapEntry(const std::string& folder, int port);

}  // namespace serlox

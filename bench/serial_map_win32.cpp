#include <ravelin/win32.h>

#include "serial_map.h"

namespace bench {
namespace {

using ravelin::win32::UniqueRegKey;

constexpr char kMapKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr char kPhoneDevice[] = "\\Device\\USBSER000";
constexpr DWORD kValueBytes = 256;

UniqueRegKey OpenMap() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMapKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    nullptr, &key, nullptr);
    return UniqueRegKey(key);
}

}  // namespace

// Every value is taken out and kept; the phone's port goes in alone.
SerialMap::SerialMap(int comPort) {
    const UniqueRegKey map = OpenMap();
    const HKEY key = map.get();
    char name[kValueBytes];
    BYTE data[kValueBytes];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        saved_.push_back({name, type, std::string(reinterpret_cast<char*>(data), dataSize)});
    }
    for (const SavedValue& value : saved_) RegDeleteValueA(key, value.name.c_str());
    const std::string port = "COM" + std::to_string(comPort);
    RegSetValueExA(key, kPhoneDevice, 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                   static_cast<DWORD>(port.size() + 1));
}

SerialMap::~SerialMap() {
    const UniqueRegKey map = OpenMap();
    const HKEY key = map.get();
    RegDeleteValueA(key, kPhoneDevice);
    for (const SavedValue& value : saved_) {
        RegSetValueExA(key, value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
    }
}

std::shared_ptr<porvesk::DetectorPlatform> SerialMap::Platform() { return porvesk::MakeSystemPlatform(); }

}  // namespace bench

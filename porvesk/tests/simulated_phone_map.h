#pragma once
// What the detector tests against the handset simulator share: the phone's port
// listed alone in a serial device map and detector waits shorter than the
// shipped ones.
#include <memory>
#include <string>

#include "detector_setup.h"
#include "porvesk/porvesk.h"
#include "process_resources.h"

#if defined(_WIN32)
#include <ravelin/win32.h>
#else
#include <fstream>

#include "temp_folder.h"
#endif

namespace porvesk::test {

inline constexpr char kPhoneDeviceName[] = "\\Device\\USBSER000";

// Shorter waits than the shipped ones; the handset answer time-out stays.
inline DetectorTimings QuickTimings() {
    DetectorTimings timings;
    timings.rescanWaitMs = 100;
    timings.settleMs = 100;
    timings.betweenPortsWaitMs = 100;
    timings.aliveWaitMs = 200;
    return timings;
}

using ravelin::test::WaitUntil;

#if defined(_WIN32)
// Lists the phone's port in the system's serial device map.
class SerialMapEntry {
public:
    explicit SerialMapEntry(int comPort) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
        key_.reset(key);
        std::string data = "COM" + std::to_string(comPort);
        RegSetValueExA(key_.get(), kPhoneDeviceName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    }
    ~SerialMapEntry() { RegDeleteValueA(key_.get(), kPhoneDeviceName); }
    std::shared_ptr<DetectorPlatform> Platform() { return MakeSystemPlatform(); }

private:
    ravelin::win32::UniqueRegKey key_;
};
#else
// A store folder whose serial device map lists only the phone's port; it also
// holds the "AccessHandsetMutex" lock file of the detector and the cache.
class SerialMapEntry {
public:
    explicit SerialMapEntry(int comPort) {
        std::ofstream(folder_.Entry("serialcomm")) << kPhoneDeviceName << "\tREG_SZ\tCOM" << comPort << "\n";
    }
    std::shared_ptr<DetectorPlatform> Platform() { return MakeFileStorePlatform(folder_.Path()); }

private:
    ravelin::test::TempFolder folder_{"porvesk-sim"};
};
#endif

}  // namespace porvesk::test

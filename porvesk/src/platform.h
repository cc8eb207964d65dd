#pragma once
// The operating-system services of the detector: the serial device map, the
// per-user profile, a named system-wide lock and window messages. Windows uses
// the registry, a named mutex and SendMessage; Linux a small file store (see
// docs/connection-detection.md).
#include <cstdint>
#include <memory>
#include <string>

#include "port_order.h"
#include "porvesk/porvesk.h"

#if !defined(_WIN32)
#include <sys/types.h>
#endif

namespace porvesk {

// The system-wide lock held by whoever exchanges commands with a connected handset.
constexpr char kHandsetMutexName[] = "AccessHandsetMutex";

// An open serial device map.
class SerialMap {
public:
    virtual ~SerialMap() = default;
    // Number of values; false when the map cannot be queried.
    virtual bool CountValues(uint32_t& count) = 0;
    // Reads value `index` into buffers of kValueNameBufferSize and
    // kValueDataBufferSize bytes; a value that does not fit still gives what
    // the buffers hold. False when the read failed.
    virtual bool ReadValue(uint32_t index, SerialMapValue& value) = 0;
};

enum class LockResult { kAcquired, kTimedOut, kFailed };

// A lock shared by every process of the machine.
class NamedMutex {
public:
    virtual ~NamedMutex() = default;
    virtual LockResult Wait(int timeoutMs) = 0;
    virtual void Release() = 0;
};

class DetectorPlatform {
public:
    virtual ~DetectorPlatform() = default;
    // Null when the machine has no serial device map.
    virtual std::unique_ptr<SerialMap> OpenSerialMap() = 0;
    // False when the entry does not exist.
    virtual bool ReadProfileEntry(const std::string& section, const std::string& entry, std::string& value) = 0;
    virtual bool WriteProfileEntry(const std::string& section, const std::string& entry, const std::string& value) = 0;
    // Creates or opens the named lock, not owned; null on failure.
    virtual std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name) = 0;
    // Delivers a message to the window and returns once it was handled.
    virtual void SendWindowMessage(ConDetectWindow window, uint32_t message) = 0;
};

// The registry (Windows) or the file store named by PORVESK_STORE_DIR (Linux).
std::shared_ptr<DetectorPlatform> MakeSystemPlatform();

#if !defined(_WIN32)
// The file store in `folder`.
std::shared_ptr<DetectorPlatform> MakeFileStorePlatform(const std::string& folder);

// Whether a store folder may be used. The port list, the last port and the named
// locks all lie in it, so it must be the user's own folder, closed to everyone
// else; the store refuses every operation on any other.
enum class StoreFolderState { kUsable, kMissing, kNotAFolder, kOtherOwner, kOpenToOthers, kUnreadable };
// The state of `folder` for the user `owner`; a symbolic link is not a folder.
StoreFolderState CheckStoreFolder(const std::string& folder, uid_t owner);
// "porvesk" in the user's runtime folder when there is one (an absolute path),
// else "/tmp/porvesk-<user>".
std::string DefaultStoreFolder(const char* runtimeFolder, uid_t user);
#endif

// Keeps the module holding the detector loaded until the process ends, so that a
// running detector thread never loses its code; waiting for the thread while the
// module is being unloaded could dead-lock on the loader lock.
void KeepModuleLoaded();

}  // namespace porvesk

// Windows services of the detector: the registry's serial device map and the
// per-user application profile, a named mutex and SendMessage.
#include "platform.h"

#include <ravelin/win32.h>

#include <cstring>
#include <utility>
#include <vector>

namespace porvesk {
namespace {

using ravelin::win32::UniqueHandle;
using ravelin::win32::UniqueRegKey;

constexpr const char* kSerialMapPath[] = {"HARDWARE", "DEVICEMAP", "SERIALCOMM"};
constexpr char kProfileKey[] = "Software\\Tavo\\Pelliton";

class RegistrySerialMap : public SerialMap {
public:
    explicit RegistrySerialMap(UniqueRegKey key) : key_(std::move(key)) {}

    bool CountValues(uint32_t& count) override {
        DWORD values = 0;
        if (RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        count = values;
        return true;
    }

    // A value too long for the buffers reports its full length: only the bytes
    // the buffer holds are handed on.
    bool ReadValue(uint32_t index, SerialMapValue& value) override {
        char name[kValueNameBufferSize + 1] = {};
        char data[kValueDataBufferSize] = {};
        DWORD nameLength = kValueNameBufferSize;
        DWORD dataLength = kValueDataBufferSize;
        DWORD type = 0;
        LONG result = RegEnumValueA(key_.get(), index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                    &dataLength);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return false;
        value.name.assign(name, strnlen(name, kValueNameBufferSize));
        value.type = type;
        value.data.assign(data, data + (result == ERROR_SUCCESS ? dataLength : kValueDataBufferSize));
        value.reportedLength = dataLength;
        return true;
    }

private:
    UniqueRegKey key_;
};

class WindowsMutex : public NamedMutex {
public:
    explicit WindowsMutex(UniqueHandle handle) : handle_(std::move(handle)) {}

    LockResult Wait(int timeoutMs) override {
        switch (WaitForSingleObject(handle_.get(), static_cast<DWORD>(timeoutMs))) {
            case WAIT_OBJECT_0:
            case WAIT_ABANDONED:  // the holder died; the lock is ours now
                return LockResult::kAcquired;
            case WAIT_TIMEOUT:
                return LockResult::kTimedOut;
            default:
                return LockResult::kFailed;
        }
    }

    void Release() override { ReleaseMutex(handle_.get()); }

private:
    UniqueHandle handle_;
};

std::string ProfilePath(const std::string& section) { return std::string(kProfileKey) + "\\" + section; }

class WindowsPlatform : public DetectorPlatform {
public:
    // One level at a time; each parent is closed once its child is open.
    std::unique_ptr<SerialMap> OpenSerialMap() override {
        UniqueRegKey key;
        for (const char* subkey : kSerialMapPath) {
            HKEY next = nullptr;
            const HKEY parent = key ? key.get() : HKEY_LOCAL_MACHINE;
            const LONG result = RegOpenKeyExA(parent, subkey, 0, KEY_QUERY_VALUE, &next);
            key.reset(result == ERROR_SUCCESS ? next : nullptr);
            if (!key) return nullptr;
        }
        return std::make_unique<RegistrySerialMap>(std::move(key));
    }

    bool ReadProfileEntry(const std::string& section, const std::string& entry, std::string& value) override {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, ProfilePath(section).c_str(), 0, KEY_QUERY_VALUE, &opened) !=
            ERROR_SUCCESS) {
            return false;
        }
        const UniqueRegKey key(opened);
        return ReadString(key.get(), entry, value);
    }

    bool WriteProfileEntry(const std::string& section, const std::string& entry, const std::string& value) override {
        HKEY created = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, ProfilePath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const UniqueRegKey key(created);
        LONG result = RegSetValueExA(key.get(), entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1));
        return result == ERROR_SUCCESS;
    }

    std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name) override {
        UniqueHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
        if (!mutex) return nullptr;
        return std::make_unique<WindowsMutex>(std::move(mutex));
    }

    void SendWindowMessage(ConDetectWindow window, uint32_t message) override {
        SendMessageA(static_cast<HWND>(window), message, 0, 0);
    }

private:
    // A string value; its stored bytes need not end with a zero.
    static bool ReadString(HKEY key, const std::string& entry, std::string& value) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key, entry.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
            return false;
        }
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueExA(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ) {
            return false;
        }
        value.assign(buffer.data(), strnlen(buffer.data(), size));
        return true;
    }
};

}  // namespace

std::shared_ptr<DetectorPlatform> MakeSystemPlatform() { return std::make_shared<WindowsPlatform>(); }

void KeepModuleLoaded() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&KeepModuleLoaded), &module);
}

}  // namespace porvesk

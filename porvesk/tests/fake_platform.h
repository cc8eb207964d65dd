#pragma once
// An in-memory stand-in for the serial device map, the profile, the named lock
// and the window messages.
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform.h"

namespace porvesk::test {

// A string value as the registry gives it: the data ends with a counted zero.
SerialMapValue StringValue(const std::string& name, const std::string& data);
// A value of another type, its data without a terminating zero.
SerialMapValue TypedValue(const std::string& name, uint32_t type, const std::string& data);

class FakePlatform : public DetectorPlatform {
public:
    // Replaces the serial device map's values (also for maps opened earlier).
    void SetSerialMap(std::vector<SerialMapValue> values);
    // How many times the map's values were counted (one per list rebuild).
    size_t MapQueries();

    void SetProfile(const std::string& section, const std::string& entry, const std::string& value);
    bool Profile(const std::string& section, const std::string& entry, std::string& value);

    // While set, every wait for the named lock times out.
    void HoldHandsetLockElsewhere(bool held);
    // The next `failedCreations` attempts to make the named lock fail; with
    // `waitsFail`, every wait for it fails outright.
    void BreakLock(size_t failedCreations, bool waitsFail);
    size_t LockWaits();
    bool LockHeldByDetector();

    // Messages sent, in order.
    std::vector<uint32_t> Messages();
    // Waits (up to a generous bound) until `count` messages were sent.
    bool WaitForMessages(size_t count);
    // Runs on the detector thread while a message is being handled.
    void OnMessage(std::function<void(uint32_t)> hook);

    std::unique_ptr<SerialMap> OpenSerialMap() override;
    bool ReadProfileEntry(const std::string& section, const std::string& entry, std::string& value) override;
    bool WriteProfileEntry(const std::string& section, const std::string& entry, const std::string& value) override;
    std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name) override;
    void SendWindowMessage(ConDetectWindow window, uint32_t message) override;

private:
    friend class FakeSerialMap;
    friend class FakeMutex;

    std::mutex lock_;
    std::condition_variable sent_;
    bool mapPresent_ = false;
    std::vector<SerialMapValue> values_;
    size_t mapQueries_ = 0;
    std::map<std::string, std::string> profile_;
    bool lockElsewhere_ = false;
    size_t failedCreationsLeft_ = 0;
    bool lockWaitsFail_ = false;
    bool lockedByDetector_ = false;
    size_t lockWaits_ = 0;
    std::vector<uint32_t> messages_;
    std::function<void(uint32_t)> onMessage_;
};

}  // namespace porvesk::test

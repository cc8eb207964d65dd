#include "fake_platform.h"

#include <chrono>
#include <thread>

namespace porvesk::test {
namespace {

constexpr auto kMessageWaitBound = std::chrono::seconds(10);

std::string ProfileKey(const std::string& section, const std::string& entry) { return section + "/" + entry; }

}  // namespace

SerialMapValue StringValue(const std::string& name, const std::string& data) {
    SerialMapValue value;
    value.name = name;
    value.type = kValueTypeString;
    value.data.assign(data.begin(), data.end());
    value.data.push_back('\0');
    value.reportedLength = static_cast<uint32_t>(value.data.size());
    return value;
}

SerialMapValue TypedValue(const std::string& name, uint32_t type, const std::string& data) {
    SerialMapValue value;
    value.name = name;
    value.type = type;
    value.data.assign(data.begin(), data.end());
    value.reportedLength = static_cast<uint32_t>(value.data.size());
    return value;
}

class FakeSerialMap : public SerialMap {
public:
    explicit FakeSerialMap(FakePlatform& platform) : platform_(platform) {}

    bool CountValues(uint32_t& count) override {
        std::lock_guard<std::mutex> hold(platform_.lock_);
        ++platform_.mapQueries_;
        snapshot_ = platform_.values_;
        count = static_cast<uint32_t>(snapshot_.size());
        return true;
    }

    bool ReadValue(uint32_t index, SerialMapValue& value) override {
        if (index >= snapshot_.size()) return false;
        value = snapshot_[index];
        return true;
    }

private:
    FakePlatform& platform_;
    std::vector<SerialMapValue> snapshot_;
};

class FakeMutex : public NamedMutex {
public:
    explicit FakeMutex(FakePlatform& platform) : platform_(platform) {}

    LockResult Wait(int timeoutMs) override {
        {
            std::lock_guard<std::mutex> hold(platform_.lock_);
            ++platform_.lockWaits_;
            if (platform_.lockWaitsFail_) return LockResult::kFailed;
            if (!platform_.lockElsewhere_) {
                platform_.lockedByDetector_ = true;
                return LockResult::kAcquired;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return LockResult::kTimedOut;
    }

    void Release() override {
        std::lock_guard<std::mutex> hold(platform_.lock_);
        platform_.lockedByDetector_ = false;
    }

private:
    FakePlatform& platform_;
};

void FakePlatform::SetSerialMap(std::vector<SerialMapValue> values) {
    std::lock_guard<std::mutex> hold(lock_);
    mapPresent_ = true;
    values_ = std::move(values);
}

size_t FakePlatform::MapQueries() {
    std::lock_guard<std::mutex> hold(lock_);
    return mapQueries_;
}

void FakePlatform::SetProfile(const std::string& section, const std::string& entry, const std::string& value) {
    std::lock_guard<std::mutex> hold(lock_);
    profile_[ProfileKey(section, entry)] = value;
}

bool FakePlatform::Profile(const std::string& section, const std::string& entry, std::string& value) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = profile_.find(ProfileKey(section, entry));
    if (found == profile_.end()) return false;
    value = found->second;
    return true;
}

void FakePlatform::HoldHandsetLockElsewhere(bool held) {
    std::lock_guard<std::mutex> hold(lock_);
    lockElsewhere_ = held;
}

void FakePlatform::BreakLock(size_t failedCreations, bool waitsFail) {
    std::lock_guard<std::mutex> hold(lock_);
    failedCreationsLeft_ = failedCreations;
    lockWaitsFail_ = waitsFail;
}

size_t FakePlatform::LockWaits() {
    std::lock_guard<std::mutex> hold(lock_);
    return lockWaits_;
}

bool FakePlatform::LockHeldByDetector() {
    std::lock_guard<std::mutex> hold(lock_);
    return lockedByDetector_;
}

std::vector<uint32_t> FakePlatform::Messages() {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
}

bool FakePlatform::WaitForMessages(size_t count) {
    std::unique_lock<std::mutex> hold(lock_);
    return sent_.wait_for(hold, kMessageWaitBound, [&] { return messages_.size() >= count; });
}

void FakePlatform::OnMessage(std::function<void(uint32_t)> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    onMessage_ = std::move(hook);
}

std::unique_ptr<SerialMap> FakePlatform::OpenSerialMap() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!mapPresent_) return nullptr;
    return std::make_unique<FakeSerialMap>(*this);
}

bool FakePlatform::ReadProfileEntry(const std::string& section, const std::string& entry, std::string& value) {
    return Profile(section, entry, value);
}

bool FakePlatform::WriteProfileEntry(const std::string& section, const std::string& entry, const std::string& value) {
    SetProfile(section, entry, value);
    return true;
}

std::unique_ptr<NamedMutex> FakePlatform::CreateNamedMutex(const std::string&) {
    std::lock_guard<std::mutex> hold(lock_);
    if (failedCreationsLeft_ > 0) {
        --failedCreationsLeft_;
        return nullptr;
    }
    return std::make_unique<FakeMutex>(*this);
}

void FakePlatform::SendWindowMessage(ConDetectWindow, uint32_t message) {
    std::function<void(uint32_t)> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        hook = onMessage_;
    }
    if (hook) hook(message);
    std::lock_guard<std::mutex> hold(lock_);
    messages_.push_back(message);
    sent_.notify_all();
}

}  // namespace porvesk::test

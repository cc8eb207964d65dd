// Linux store of the detector: a folder holding the serial device map file, the
// profile file and two files per named lock (see docs/connection-detection.md).
#include "platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "store_text.h"

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace porvesk {
namespace {

constexpr char kStoreFolderVariable[] = "PORVESK_STORE_DIR";
constexpr char kRuntimeFolderVariable[] = "XDG_RUNTIME_DIR";
constexpr char kRuntimeSubfolder[] = "/porvesk";
constexpr char kSharedFolderPrefix[] = "/tmp/porvesk-";
constexpr char kSerialMapFile[] = "serialcomm";
constexpr char kProfileFile[] = "profile.ini";
constexpr char kTemporarySuffix[] = ".XXXXXX";
constexpr char kLockSuffix[] = ".lock";
constexpr char kGateSuffix[] = ".gate";
constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kPrivateFileMode = 0600;
constexpr mode_t kOthersRights = 0077;
constexpr auto kLockPollInterval = std::chrono::milliseconds(5);

using Clock = std::chrono::steady_clock;

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        ssize_t result = write(fd, text.data() + written, text.size() - written);
        if (result < 0 && errno == EINTR) continue;
        if (result <= 0) return false;
        written += static_cast<size_t>(result);
    }
    return true;
}

// Writes `text` to a fresh file, made exclusively beside `path`, and renames it
// over `path`: a reader never sees half a file, and nothing put there before is
// written through.
bool ReplaceFile(const std::string& path, const std::string& text) {
    std::string temporary = path + kTemporarySuffix;
    int fd = mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0) return false;
    bool written = WriteAll(fd, text);
    written = close(fd) == 0 && written;
    if (written && rename(temporary.c_str(), path.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

// Creates the folder and its missing parents.
bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

class FileSerialMap : public SerialMap {
public:
    explicit FileSerialMap(std::string path) : path_(std::move(path)) {}

    // Reads the file afresh, so that ports added or removed since are seen.
    bool CountValues(uint32_t& count) override {
        std::string text;
        if (!ReadWholeFile(path_, text)) return false;
        values_ = ParseSerialMapText(text);
        count = static_cast<uint32_t>(values_.size());
        return true;
    }

    bool ReadValue(uint32_t index, SerialMapValue& value) override {
        if (index >= values_.size()) return false;
        value = FitIntoBuffers(values_[index]);
        return true;
    }

private:
    std::string path_;
    std::vector<StoredValue> values_;
};

#if defined(__SANITIZE_THREAD__)
// The thread sanitizer cannot see the exclusion that flock gives: without these
// marks, what two holders of a lock do in turn would be reported as a race.
char g_lockHandOver;
void MarkLockTaken() { __tsan_acquire(&g_lockHandOver); }
void MarkLockGivenBack() { __tsan_release(&g_lockHandOver); }
#else
void MarkLockTaken() {}
void MarkLockGivenBack() {}
#endif

// Takes an exclusive flock, trying again every few milliseconds until `deadline`.
LockResult LockBefore(int fd, Clock::time_point deadline) {
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return LockResult::kAcquired;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return LockResult::kFailed;
        if (Clock::now() >= deadline) return LockResult::kTimedOut;
        std::this_thread::sleep_for(kLockPollInterval);
    }
}

// The lock is an exclusive flock on the lock file. flock locks belong to an open
// file description, so two of these exclude each other within one process as well
// as across processes. A released flock goes to whoever asks next, so a holder
// that takes it back at once would starve a waiter for ever; every taker therefore
// first passes a gate (a flock on the gate file) and holds it only while it waits
// for the lock. A holder that gave the lock back finds the gate held by the waiter
// and lets the waiter have the lock first.
class FileLock : public NamedMutex {
public:
    FileLock(int lockFd, int gateFd) : lockFd_(lockFd), gateFd_(gateFd) {}
    ~FileLock() override {
        close(gateFd_);
        close(lockFd_);
    }

    LockResult Wait(int timeoutMs) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        LockResult result = LockBefore(gateFd_, deadline);
        if (result != LockResult::kAcquired) return result;
        result = LockBefore(lockFd_, deadline);
        flock(gateFd_, LOCK_UN);
        if (result == LockResult::kAcquired) MarkLockTaken();
        return result;
    }

    void Release() override {
        MarkLockGivenBack();
        flock(lockFd_, LOCK_UN);
    }

private:
    int lockFd_;
    int gateFd_;
};

int OpenLockFile(const std::string& path) {
    return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode);
}

class FileStorePlatform : public DetectorPlatform {
public:
    explicit FileStorePlatform(std::string folder) : folder_(std::move(folder)) {}

    std::unique_ptr<SerialMap> OpenSerialMap() override {
        if (!FolderUsable()) return nullptr;
        std::string path = PathOf(kSerialMapFile);
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
        return std::make_unique<FileSerialMap>(path);
    }

    bool ReadProfileEntry(const std::string& section, const std::string& entry, std::string& value) override {
        std::string text;
        return FolderUsable() && ReadWholeFile(PathOf(kProfileFile), text) &&
               FindProfileEntry(text, section, entry, value);
    }

    bool WriteProfileEntry(const std::string& section, const std::string& entry, const std::string& value) override {
        if (!MakeFolderUsable()) return false;
        std::string path = PathOf(kProfileFile);
        std::string text;
        ReadWholeFile(path, text);
        return ReplaceFile(path, SetProfileEntry(text, section, entry, value));
    }

    std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name) override {
        if (!MakeFolderUsable()) return nullptr;
        int lockFd = OpenLockFile(PathOf(name + kLockSuffix));
        if (lockFd < 0) return nullptr;
        int gateFd = OpenLockFile(PathOf(name + kGateSuffix));
        if (gateFd < 0) {
            close(lockFd);
            return nullptr;
        }
        return std::make_unique<FileLock>(lockFd, gateFd);
    }

    void SendWindowMessage(ConDetectWindow window, uint32_t message) override {
        auto* target = static_cast<ConDetectNativeWindow*>(window);
        if (target->receive != nullptr) target->receive(target->context, message);
    }

private:
    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

    bool FolderUsable() const { return CheckStoreFolder(folder_, geteuid()) == StoreFolderState::kUsable; }

    // A missing folder is made (mode 0700), with its missing parents.
    bool MakeFolderUsable() const {
        StoreFolderState state = CheckStoreFolder(folder_, geteuid());
        if (state == StoreFolderState::kMissing && MakeFolders(folder_)) state = CheckStoreFolder(folder_, geteuid());
        return state == StoreFolderState::kUsable;
    }

    std::string folder_;
};

}  // namespace

StoreFolderState CheckStoreFolder(const std::string& folder, uid_t owner) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        return errno == ENOENT ? StoreFolderState::kMissing : StoreFolderState::kUnreadable;
    }
    if (!S_ISDIR(info.st_mode)) return StoreFolderState::kNotAFolder;
    if (info.st_uid != owner) return StoreFolderState::kOtherOwner;
    if ((info.st_mode & kOthersRights) != 0) return StoreFolderState::kOpenToOthers;
    return StoreFolderState::kUsable;
}

std::string DefaultStoreFolder(const char* runtimeFolder, uid_t user) {
    if (runtimeFolder != nullptr && runtimeFolder[0] == '/') return runtimeFolder + std::string(kRuntimeSubfolder);
    return kSharedFolderPrefix + std::to_string(user);
}

std::shared_ptr<DetectorPlatform> MakeFileStorePlatform(const std::string& folder) {
    return std::make_shared<FileStorePlatform>(folder);
}

std::shared_ptr<DetectorPlatform> MakeSystemPlatform() {
    const char* folder = std::getenv(kStoreFolderVariable);
    if (folder != nullptr && *folder != '\0') return MakeFileStorePlatform(folder);
    return MakeFileStorePlatform(DefaultStoreFolder(std::getenv(kRuntimeFolderVariable), getuid()));
}

void KeepModuleLoaded() {}

}  // namespace porvesk

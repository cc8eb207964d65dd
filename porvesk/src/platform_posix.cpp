// Linux store of the detector: a folder holding the serial device map file, the
// profile file and one lock file per named lock (see docs/connection-detection.md).
#include "platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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
constexpr char kSerialMapFile[] = "serialcomm";
constexpr char kProfileFile[] = "profile.ini";
constexpr char kLockSuffix[] = ".lock";
constexpr auto kLockPollInterval = std::chrono::milliseconds(5);

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

// Creates the folder and its missing parents.
bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
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

// flock locks belong to an open file description, so two of these exclude each
// other within one process as well as across processes.
class FileLock : public NamedMutex {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { close(fd_); }

    LockResult Wait(int timeoutMs) override {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                MarkLockTaken();
                return LockResult::kAcquired;
            }
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) return LockResult::kFailed;
            if (std::chrono::steady_clock::now() >= deadline) return LockResult::kTimedOut;
            std::this_thread::sleep_for(kLockPollInterval);
        }
    }

    void Release() override {
        MarkLockGivenBack();
        flock(fd_, LOCK_UN);
    }

private:
    int fd_;
};

class FileStorePlatform : public DetectorPlatform {
public:
    explicit FileStorePlatform(std::string folder) : folder_(std::move(folder)) {}

    std::unique_ptr<SerialMap> OpenSerialMap() override {
        std::string path = PathOf(kSerialMapFile);
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
        return std::make_unique<FileSerialMap>(path);
    }

    bool ReadProfileEntry(const std::string& section, const std::string& entry, std::string& value) override {
        std::string text;
        return ReadWholeFile(PathOf(kProfileFile), text) && FindProfileEntry(text, section, entry, value);
    }

    // Written to a fresh file that then replaces the old one, so a reader never
    // sees half a profile.
    bool WriteProfileEntry(const std::string& section, const std::string& entry,
                            const std::string& value) override {
        if (!MakeFolders(folder_)) return false;
        std::string path = PathOf(kProfileFile);
        std::string text;
        ReadWholeFile(path, text);
        std::string temporary = path + "." + std::to_string(getpid()) + ".new";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out << SetProfileEntry(text, section, entry, value);
            if (!out.flush()) return false;
        }
        return rename(temporary.c_str(), path.c_str()) == 0;
    }

    std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name) override {
        if (!MakeFolders(folder_)) return nullptr;
        int fd = open(PathOf(name + kLockSuffix).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return nullptr;
        return std::make_unique<FileLock>(fd);
    }

    void SendWindowMessage(ConDetectWindow window, uint32_t message) override {
        auto* target = static_cast<ConDetectNativeWindow*>(window);
        if (target->receive != nullptr) target->receive(target->context, message);
    }

private:
    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
};

std::string DefaultStoreFolder() { return "/tmp/porvesk-" + std::to_string(getuid()); }

}  // namespace

std::shared_ptr<DetectorPlatform> MakeFileStorePlatform(const std::string& folder) {
    return std::make_shared<FileStorePlatform>(folder);
}

std::shared_ptr<DetectorPlatform> MakeSystemPlatform() {
    const char* folder = std::getenv(kStoreFolderVariable);
    return MakeFileStorePlatform(folder != nullptr && *folder != '\0' ? folder : DefaultStoreFolder());
}

void KeepModuleLoaded() {}

}  // namespace porvesk

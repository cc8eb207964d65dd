// The Linux file store: its text formats and the store folder itself.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform.h"
#include "store_text.h"
#include "temp_folder.h"

namespace porvesk::test {
namespace {

TEST(ParseSerialMapText, ReadsNameTypeAndDataPerLine) {
    std::vector<StoredValue> values = ParseSerialMapText(
        "\\Device\\Serial0\tREG_SZ\tCOM1\n"
        "\\Device\\USBSER000\t1\tCOM5\r\n"
        "COM4\tREG_DWORD\tCOM4\n"
        "\n"
        "no tabs here\n"
        "\\Device\\Serial1\tREG_WHATEVER\tCOM2\n"
        "\\Device\\Serial2\tREG_BINARY\tCOM\t3\n"
        "\\Device\\Serial3\tREG_SZ\t");
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0].name, "\\Device\\Serial0");
    EXPECT_EQ(values[0].type, 1u);
    EXPECT_EQ(values[0].data, "COM1");
    EXPECT_EQ(values[1].data, "COM5");
    EXPECT_EQ(values[2].type, 4u);
    EXPECT_EQ(values[3].data, "COM\t3");
    EXPECT_EQ(values[4].data, "");
}

TEST(FitIntoBuffers, StringTypesGainCountedZeroAndLongDataIsCut) {
    SerialMapValue text = FitIntoBuffers({"\\Device\\Serial0", 1, "COM1"});
    EXPECT_EQ(std::string(text.data.begin(), text.data.end()), std::string("COM1\0", 5));
    EXPECT_EQ(text.reportedLength, 5u);

    SerialMapValue binary = FitIntoBuffers({"COM4", 3, "COM4"});
    EXPECT_EQ(std::string(binary.data.begin(), binary.data.end()), "COM4");
    EXPECT_EQ(binary.reportedLength, 4u);

    SerialMapValue longValue = FitIntoBuffers({std::string(300, 'n'), 1, "COM7" + std::string(296, ' ')});
    EXPECT_EQ(longValue.data.size(), kValueDataBufferSize);
    EXPECT_EQ(longValue.data.back(), ' ');
    EXPECT_EQ(longValue.reportedLength, 301u);
    EXPECT_EQ(longValue.name.size(), kValueNameBufferSize - 1);
}

TEST(ProfileText, FindsEntryOnlyInItsSection) {
    const std::string text = "[Other]\nLastCommport=9\n[SerialPort]\nLastCommportX=8\nLastCommport=3\n";
    std::string value;
    ASSERT_TRUE(FindProfileEntry(text, "SerialPort", "LastCommport", value));
    EXPECT_EQ(value, "3");
    EXPECT_FALSE(FindProfileEntry(text, "SerialPort", "Missing", value));
    EXPECT_FALSE(FindProfileEntry("", "SerialPort", "LastCommport", value));
}

TEST(ProfileText, SetReplacesOrAddsAndKeepsTheRest) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"", "[SerialPort]\nLastCommport=5\n"},
        {"[SerialPort]\nLastCommport=3\n", "[SerialPort]\nLastCommport=5\n"},
        {"[SerialPort]\nOther=1\n[Next]\nA=2\n", "[SerialPort]\nOther=1\nLastCommport=5\n[Next]\nA=2\n"},
        {"[Next]\nLastCommport=1\n", "[Next]\nLastCommport=1\n[SerialPort]\nLastCommport=5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        EXPECT_EQ(SetProfileEntry(c.before, "SerialPort", "LastCommport", "5"), c.after);
    }
}

class FileStoreTest : public ::testing::Test {
protected:
    void WriteSerialMap(const std::string& text) {
        std::filesystem::create_directories(folder_ + "/nested");
        std::filesystem::permissions(folder_ + "/nested", std::filesystem::perms::owner_all);
        std::ofstream(folder_ + "/nested/serialcomm") << text;
    }

    const ravelin::test::TempFolder scratch_{"porvesk-store"};
    const std::string folder_ = scratch_.Path();
    std::shared_ptr<DetectorPlatform> platform_ = MakeFileStorePlatform(folder_ + "/nested");
};

TEST_F(FileStoreTest, MissingSerialMapFile_MeansNoMap) { EXPECT_EQ(platform_->OpenSerialMap(), nullptr); }

TEST_F(FileStoreTest, SerialMap_IsReadAfreshOnEveryCount) {
    WriteSerialMap("\\Device\\USBSER000\tREG_SZ\tCOM5\n");
    std::unique_ptr<SerialMap> map = platform_->OpenSerialMap();
    ASSERT_NE(map, nullptr);
    uint32_t count = 0;
    ASSERT_TRUE(map->CountValues(count));
    EXPECT_EQ(count, 1u);

    WriteSerialMap("\\Device\\Serial0\tREG_SZ\tCOM1\n\\Device\\Serial1\tREG_SZ\tCOM2\n");
    ASSERT_TRUE(map->CountValues(count));
    ASSERT_EQ(count, 2u);
    SerialMapValue value;
    ASSERT_TRUE(map->ReadValue(1, value));
    EXPECT_EQ(value.name, "\\Device\\Serial1");
    EXPECT_FALSE(map->ReadValue(2, value));
}

TEST_F(FileStoreTest, Profile_WrittenValueIsReadBackAndNoLinkLeftThereIsFollowed) {
    std::string value;
    EXPECT_FALSE(platform_->ReadProfileEntry("SerialPort", "LastCommport", value));
    ASSERT_TRUE(platform_->WriteProfileEntry("SerialPort", "LastCommport", "7"));
    // Planted where a temporary file of a fixed name would be written.
    std::ofstream(folder_ + "/victim") << "precious";
    const std::string planted = folder_ + "/nested/profile.ini." + std::to_string(getpid()) + ".new";
    ASSERT_EQ(symlink((folder_ + "/victim").c_str(), planted.c_str()), 0);
    ASSERT_TRUE(platform_->WriteProfileEntry("SerialPort", "LastCommport", "12"));
    ASSERT_TRUE(MakeFileStorePlatform(folder_ + "/nested")->ReadProfileEntry("SerialPort", "LastCommport", value));
    EXPECT_EQ(value, "12");
    std::ifstream(folder_ + "/victim") >> value;
    EXPECT_EQ(value, "precious");
}

TEST_F(FileStoreTest, NamedLock_ExcludesAnotherHolderUntilReleased) {
    std::unique_ptr<NamedMutex> first = platform_->CreateNamedMutex("AccessHandsetMutex");
    std::unique_ptr<NamedMutex> second =
        MakeFileStorePlatform(folder_ + "/nested")->CreateNamedMutex("AccessHandsetMutex");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    ASSERT_EQ(first->Wait(0), LockResult::kAcquired);
    EXPECT_EQ(second->Wait(20), LockResult::kTimedOut);
    first->Release();
    EXPECT_EQ(second->Wait(0), LockResult::kAcquired);
    second->Release();
}

TEST_F(FileStoreTest, NamedLock_WaiterGetsItBetweenBackToBackHolds) {
    constexpr int kWaitMs = 1000;  // the detector's wait for the handset lock
    std::unique_ptr<NamedMutex> holder = platform_->CreateNamedMutex("AccessHandsetMutex");
    std::unique_ptr<NamedMutex> waiter =
        MakeFileStorePlatform(folder_ + "/nested")->CreateNamedMutex("AccessHandsetMutex");
    ASSERT_TRUE(holder && waiter);
    ASSERT_EQ(holder->Wait(0), LockResult::kAcquired);
    std::atomic<bool> stop{false};
    // Holds the lock for an exchange, gives it back and takes it again at once, over and over.
    std::thread backToBack([&] {
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            holder->Release();
            if (holder->Wait(kWaitMs) != LockResult::kAcquired) break;
        }
        holder->Release();
    });
    LockResult waited = waiter->Wait(kWaitMs);
    if (waited == LockResult::kAcquired) waiter->Release();
    stop = true;
    backToBack.join();
    EXPECT_EQ(waited, LockResult::kAcquired);
}

TEST_F(FileStoreTest, NamedLock_HeldByAnotherProcessTimesOut) {
    std::unique_ptr<NamedMutex> lock = platform_->CreateNamedMutex("AccessHandsetMutex");
    ASSERT_NE(lock, nullptr);
    std::string path = folder_ + "/nested/AccessHandsetMutex.lock";
    std::string ready = folder_ + "/ready";
    // A holder outside this process: flock(1) keeps the lock while it sleeps.
    std::string command = "flock '" + path + "' sh -c 'touch " + ready + "; sleep 1' &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (int i = 0; i < 500 && access(ready.c_str(), F_OK) != 0; ++i) usleep(10000);
    ASSERT_EQ(access(ready.c_str(), F_OK), 0);

    EXPECT_EQ(lock->Wait(20), LockResult::kTimedOut);
    EXPECT_EQ(lock->Wait(5000), LockResult::kAcquired);
    lock->Release();
}

TEST(DefaultStoreFolder, IsInTheRuntimeFolderOnlyWhenThatIsAnAbsolutePath) {
    EXPECT_EQ(DefaultStoreFolder("/run/user/1000", 1000), "/run/user/1000/porvesk");
    EXPECT_EQ(DefaultStoreFolder("relative/run", 1000), "/tmp/porvesk-1000");
}

// A folder that is not the user's own, closed to others, is neither read nor
// written; a missing one is made for the user alone.
TEST_F(FileStoreTest, StoreFolder_OnlyTheUsersOwnClosedFolderIsUsed) {
    enum class Make { kNothing, kFolder, kFile, kLinkToFolder };
    struct Case {
        const char* what;
        Make make;
        mode_t mode;     // of the folder made
        bool otherUser;  // checked as if for another user
        StoreFolderState state;
    };
    const Case cases[] = {
        {"own folder", Make::kFolder, 0700, false, StoreFolderState::kUsable},
        {"missing", Make::kNothing, 0, false, StoreFolderState::kMissing},
        {"another user's folder", Make::kFolder, 0700, true, StoreFolderState::kOtherOwner},
        {"group may read", Make::kFolder, 0740, false, StoreFolderState::kOpenToOthers},
        {"others may enter", Make::kFolder, 0701, false, StoreFolderState::kOpenToOthers},
        {"a plain file", Make::kFile, 0, false, StoreFolderState::kNotAFolder},
        {"link to an own folder", Make::kLinkToFolder, 0700, false, StoreFolderState::kNotAFolder},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string store = folder_ + "/store" + std::to_string(index++);
        const std::string made = c.make == Make::kLinkToFolder ? store + ".real" : store;
        if (c.make == Make::kFolder || c.make == Make::kLinkToFolder) {
            ASSERT_EQ(mkdir(made.c_str(), 0700), 0);
            std::ofstream(made + "/serialcomm") << "\\Device\\Serial0\tREG_SZ\tCOM1\n";
            std::ofstream(made + "/profile.ini") << "[SerialPort]\nLastCommport=3\n";
            ASSERT_EQ(chmod(made.c_str(), c.mode), 0);
        }
        if (c.make == Make::kFile) std::ofstream(store) << "x";
        if (c.make == Make::kLinkToFolder) {
            ASSERT_EQ(symlink(made.c_str(), store.c_str()), 0);
        }

        EXPECT_EQ(CheckStoreFolder(store, geteuid() + (c.otherUser ? 1 : 0)), c.state);
        if (c.otherUser) continue;
        const bool used = c.state == StoreFolderState::kUsable || c.state == StoreFolderState::kMissing;
        std::shared_ptr<DetectorPlatform> platform = MakeFileStorePlatform(store);
        std::string value;
        EXPECT_EQ(platform->OpenSerialMap() != nullptr, c.state == StoreFolderState::kUsable);
        EXPECT_EQ(platform->ReadProfileEntry("SerialPort", "LastCommport", value),
                  c.state == StoreFolderState::kUsable);
        const mode_t previous = umask(0);
        EXPECT_EQ(platform->WriteProfileEntry("SerialPort", "LastCommport", "5"), used);
        umask(previous);
        EXPECT_EQ(platform->CreateNamedMutex("AccessHandsetMutex") != nullptr, used);
        EXPECT_EQ(access((made + "/AccessHandsetMutex.lock").c_str(), F_OK) == 0, used);
        EXPECT_EQ(CheckStoreFolder(store, geteuid()), used ? StoreFolderState::kUsable : c.state);
    }
}

void Record(void* context, uint32_t message) { static_cast<std::atomic<uint32_t>*>(context)->store(message); }

TEST_F(FileStoreTest, WindowMessage_IsDeliveredToNativeWindow) {
    std::atomic<uint32_t> received{0};
    ConDetectNativeWindow window{&Record, &received};
    platform_->SendWindowMessage(&window, WM_CONDETECT_DISCONNECTED);
    EXPECT_EQ(received.load(), WM_CONDETECT_DISCONNECTED);
}

}  // namespace
}  // namespace porvesk::test

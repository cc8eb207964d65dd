// The Linux file store: its text formats and the store folder itself.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform.h"
#include "store_text.h"
#include "temp_folder.h"

namespace porvesk::test {
namespace {

// The detector's wait for the handset lock.
constexpr int kWaiterWaitMs = 1000;

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

TEST_F(FileStoreTest, Profile_WrittenValueIsReadBack) {
    std::string value;
    EXPECT_FALSE(platform_->ReadProfileEntry("SerialPort", "LastCommport", value));
    ASSERT_TRUE(platform_->WriteProfileEntry("SerialPort", "LastCommport", "7"));
    ASSERT_TRUE(platform_->WriteProfileEntry("SerialPort", "LastCommport", "12"));
    ASSERT_TRUE(MakeFileStorePlatform(folder_ + "/nested")->ReadProfileEntry("SerialPort", "LastCommport", value));
    EXPECT_EQ(value, "12");
}

TEST_F(FileStoreTest, NamedLock_ExcludesAnotherHolderUntilReleased) {
    std::unique_ptr<NamedMutex> first = platform_->CreateNamedMutex("AccessHandsetMutex");
    std::unique_ptr<NamedMutex> second = MakeFileStorePlatform(folder_ + "/nested")->CreateNamedMutex("AccessHandsetMutex");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    ASSERT_EQ(first->Wait(0), LockResult::kAcquired);
    EXPECT_EQ(second->Wait(20), LockResult::kTimedOut);
    first->Release();
    EXPECT_EQ(second->Wait(0), LockResult::kAcquired);
    second->Release();
}

TEST_F(FileStoreTest, NamedLock_WaiterGetsItBetweenBackToBackHolds) {
    std::unique_ptr<NamedMutex> holder = platform_->CreateNamedMutex("AccessHandsetMutex");
    std::unique_ptr<NamedMutex> waiter =
        MakeFileStorePlatform(folder_ + "/nested")->CreateNamedMutex("AccessHandsetMutex");
    ASSERT_NE(holder, nullptr);
    ASSERT_NE(waiter, nullptr);
    ASSERT_EQ(holder->Wait(0), LockResult::kAcquired);
    std::atomic<bool> stop{false};
    std::atomic<int> holds{1};
    // Holds the lock for an exchange, gives it back and takes it again at once,
    // over and over.
    std::thread backToBack([&] {
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            holder->Release();
            if (holder->Wait(kWaiterWaitMs) != LockResult::kAcquired) break;
            ++holds;
        }
        holder->Release();
        stop = true;
    });
    while (holds < 3 && !stop) std::this_thread::yield();

    LockResult waited = waiter->Wait(kWaiterWaitMs);
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

TEST(DefaultStoreFolder, IsInTheRuntimeFolderWhenThereIsOne) {
    struct Case {
        const char* runtimeFolder;
        const char* folder;
    };
    for (const Case& c : {Case{"/run/user/1000", "/run/user/1000/porvesk"}, Case{nullptr, "/tmp/porvesk-1000"},
                          Case{"", "/tmp/porvesk-1000"}, Case{"relative/run", "/tmp/porvesk-1000"}}) {
        SCOPED_TRACE(c.runtimeFolder != nullptr ? c.runtimeFolder : "none");
        EXPECT_EQ(DefaultStoreFolder(c.runtimeFolder, 1000), c.folder);
    }
}

TEST_F(FileStoreTest, StoreFolder_OnlyTheUsersOwnClosedFolderIsUsed) {
    struct Case {
        const char* what;
        const char* make;  // shell command making "$F"; empty: nothing is made
        bool otherUser;    // checked as if for another user
        StoreFolderState state;
    };
    const Case cases[] = {
        {"own folder, 0700", "mkdir -m 700 \"$F\"", false, StoreFolderState::kUsable},
        {"own folder, 0500", "mkdir -m 500 \"$F\"", false, StoreFolderState::kUsable},
        {"missing", "", false, StoreFolderState::kMissing},
        {"another user's folder", "mkdir -m 700 \"$F\"", true, StoreFolderState::kOtherOwner},
        {"group may read", "mkdir -m 740 \"$F\"", false, StoreFolderState::kOpenToOthers},
        {"others may enter", "mkdir -m 701 \"$F\"", false, StoreFolderState::kOpenToOthers},
        {"everyone may write, sticky", "mkdir -m 1777 \"$F\"", false, StoreFolderState::kOpenToOthers},
        {"a plain file", "touch \"$F\"; chmod 600 \"$F\"", false, StoreFolderState::kNotAFolder},
        {"link to an own folder", "mkdir -m 700 \"$F.real\"; ln -s \"$F.real\" \"$F\"", false,
         StoreFolderState::kNotAFolder},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string store = folder_ + "/store" + std::to_string(index++);
        if (*c.make != '\0') {
            ASSERT_EQ(std::system(("F='" + store + "'; " + c.make).c_str()), 0);
        }
        EXPECT_EQ(CheckStoreFolder(store, geteuid() + (c.otherUser ? 1 : 0)), c.state);
    }
}

TEST_F(FileStoreTest, RefusedStoreFolder_IsNeitherReadNorWritten) {
    for (mode_t mode : {0755, 0770, 01777}) {
        SCOPED_TRACE(mode);
        const std::string store = folder_ + "/open" + std::to_string(mode);
        ASSERT_EQ(mkdir(store.c_str(), 0700), 0);
        std::ofstream(store + "/serialcomm") << "\\Device\\Serial0\tREG_SZ\tCOM1\n";
        std::ofstream(store + "/profile.ini") << "[SerialPort]\nLastCommport=3\n";
        ASSERT_EQ(chmod(store.c_str(), mode), 0);
        std::shared_ptr<DetectorPlatform> refused = MakeFileStorePlatform(store);
        std::string value;

        EXPECT_EQ(refused->OpenSerialMap(), nullptr);
        EXPECT_FALSE(refused->ReadProfileEntry("SerialPort", "LastCommport", value));
        EXPECT_FALSE(refused->WriteProfileEntry("SerialPort", "LastCommport", "5"));
        EXPECT_EQ(refused->CreateNamedMutex("AccessHandsetMutex"), nullptr);
        EXPECT_NE(access((store + "/AccessHandsetMutex.lock").c_str(), F_OK), 0);
    }
}

TEST_F(FileStoreTest, Profile_IsWrittenThroughAFreshFileNotThroughALinkLeftThere) {
    ASSERT_TRUE(platform_->WriteProfileEntry("SerialPort", "LastCommport", "7"));
    const std::string victim = folder_ + "/victim";
    std::ofstream(victim) << "precious";
    // What the old fixed temporary name would have been.
    const std::string planted = folder_ + "/nested/profile.ini." + std::to_string(getpid()) + ".new";
    ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);

    ASSERT_TRUE(platform_->WriteProfileEntry("SerialPort", "LastCommport", "12"));

    std::ifstream in(victim);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "precious");
    std::string value;
    ASSERT_TRUE(platform_->ReadProfileEntry("SerialPort", "LastCommport", value));
    EXPECT_EQ(value, "12");
}

TEST_F(FileStoreTest, MissingStoreFolder_IsMadeForTheUserAlone) {
    ASSERT_EQ(CheckStoreFolder(folder_ + "/nested", geteuid()), StoreFolderState::kMissing);
    const mode_t previous = umask(0);
    bool written = platform_->WriteProfileEntry("SerialPort", "LastCommport", "7");
    umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(CheckStoreFolder(folder_ + "/nested", geteuid()), StoreFolderState::kUsable);
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

// The Linux file store: its text formats and the store folder itself.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>

#include "platform.h"
#include "store_text.h"

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
    void SetUp() override {
        char pattern[] = "/tmp/porvesk-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        platform_ = MakeFileStorePlatform(folder_ + "/nested");
    }
    void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

    void WriteSerialMap(const std::string& text) {
        std::system(("mkdir -p '" + folder_ + "/nested'").c_str());
        std::ofstream(folder_ + "/nested/serialcomm") << text;
    }

    std::string folder_;
    std::shared_ptr<DetectorPlatform> platform_;
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

void Record(void* context, uint32_t message) { static_cast<std::atomic<uint32_t>*>(context)->store(message); }

TEST_F(FileStoreTest, WindowMessage_IsDeliveredToNativeWindow) {
    std::atomic<uint32_t> received{0};
    ConDetectNativeWindow window{&Record, &received};
    platform_->SendWindowMessage(&window, WM_CONDETECT_DISCONNECTED);
    EXPECT_EQ(received.load(), WM_CONDETECT_DISCONNECTED);
}

}  // namespace
}  // namespace porvesk::test

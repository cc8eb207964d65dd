// The library as its callers see it: the exported functions bound through the
// import library (by ordinal on Windows) and the library's own handset object.
#include <gtest/gtest.h>

#include <cstdint>

#include "mextal/mextal.h"

namespace {

// No port object is ever opened by these tests.
const PortSettings kClosedPort{7, 115200, 0};
const PortSettings kNoSuchPort{31, 115200, 0};

class ExportsTest : public testing::Test {
protected:
    // The library object outlives each test: put its defaults back.
    void TearDown() override {
        SetRetryInfo(3, 2000);
        SetWaitResTime(10000);
        RegisterUI(nullptr);
    }
};

TEST_F(ExportsTest, SettingsStartAtDefaults) {
    int32_t count = 0;
    int32_t timeout = 0;
    ASSERT_EQ(MEXTAL_OK, GetRetryCnt(&count, &timeout));
    EXPECT_EQ(3, count);
    EXPECT_EQ(2000, timeout);
    ASSERT_EQ(MEXTAL_OK, GetWaitResTime(&timeout));
    EXPECT_EQ(10000, timeout);
}

TEST_F(ExportsTest, WriteWaitResTimeIsTheSameSetting) {
    int32_t timeout = 0;
    ASSERT_EQ(MEXTAL_OK, SetWriteWaitResTime(5000));
    ASSERT_EQ(MEXTAL_OK, GetWaitResTime(&timeout));
    EXPECT_EQ(5000, timeout);
    ASSERT_EQ(MEXTAL_OK, SetWaitResTime(6000));
    ASSERT_EQ(MEXTAL_OK, GetWriteWaitResTime(&timeout));
    EXPECT_EQ(6000, timeout);
}

TEST_F(ExportsTest, RetryInfoRoundTrips) {
    ASSERT_EQ(MEXTAL_OK, SetRetryInfo(5, 700));
    int32_t count = 0;
    int32_t timeout = 0;
    ASSERT_EQ(MEXTAL_OK, GetRetryCnt(&count, &timeout));
    EXPECT_EQ(5, count);
    EXPECT_EQ(700, timeout);
}

TEST_F(ExportsTest, GettersRefuseMissingOutputs) {
    int32_t value = 0;
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, GetRetryCnt(nullptr, &value));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, GetRetryCnt(&value, nullptr));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, GetWaitResTime(nullptr));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, GetWriteWaitResTime(nullptr));
}

TEST_F(ExportsTest, FreeRecvMemOnNullDoesNothing) {
    void* pointer = nullptr;
    EXPECT_EQ(MEXTAL_OK, FreeRecvMem(&pointer));
    EXPECT_EQ(nullptr, pointer);
    EXPECT_EQ(MEXTAL_OK, FreeRecvMem(nullptr));
}

TEST_F(ExportsTest, RegisterUiAcceptsWindowAndNone) {
    EXPECT_EQ(MEXTAL_OK, RegisterUI(reinterpret_cast<HandsetWindow>(0x10)));
    EXPECT_EQ(MEXTAL_OK, RegisterUI(nullptr));
}

TEST_F(ExportsTest, OperationsOnPortNeverOpenedFail) {
    for (const PortSettings& settings : {kClosedPort, kNoSuchPort}) {
        char model[128];
        char imei[128];
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, QueryModel(&settings, model, sizeof model));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, QueryImei(&settings, imei, sizeof imei));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE,
                  DetectHandSetModel(&settings, 1, 2000, model, sizeof model, imei, sizeof imei));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, SetMsFlowControl(&settings, 2));
        char* text = nullptr;
        uint8_t* data = nullptr;
        uint32_t length = 0;
        int32_t id = 0;
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, ListMediaCenter(&settings, 3, "a", &text, &length));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, ReadMediaCenter(&settings, 3, 255, 0, "a", &data, &length));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, GetMediaCenterId(&settings, 3, 255, "a", &id));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, GetMediaCenterPath(&settings, 3, 42, &id, model));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, QueryMediaCenterType(&settings, 3));
        EXPECT_EQ(nullptr, text);
        EXPECT_EQ(nullptr, data);
        uint32_t number = 0;
        const auto* bytes = reinterpret_cast<const uint8_t*>("f");
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, ReadMsFile(&settings, 0, "/a", &data, &length, 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, WriteMsFile(&settings, 0, "/a", bytes, 1, 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, AppendMsFile(&settings, 1, "/a", bytes, 1, 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, DeleteMsFile(&settings, 0, "/a"));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, RenameMsFile(&settings, 0, "/a", "/b"));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, QueryFlashSpace(&settings, 4, &number, &number, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, QueryMsFileAttr(&settings, 0, "/a", &number, &number, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, ListDir(&settings, 0, "/", &text, &length));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, NewDir(&settings, 0, "/d"));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, DeleteDir(&settings, 0, "/d"));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, RenameDir(&settings, 0, "/d", "/e"));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, DSCListDir(&settings, "", &text, &length));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, DSCRenameMsFile(&settings, "Camera/a.jpg", "Album/b.jpg", 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, DSCDelMsFile(&settings, "Camera/a.jpg", 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, DSCReadMsFile(&settings, "Camera/a.jpg", &data, &length));
        EXPECT_EQ(nullptr, text);
        EXPECT_EQ(nullptr, data);
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, RebootMs(&settings, 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, GetSIMCount(&settings, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, GetSIMTextLength(&settings, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSListMsgID(&settings, 0, &text, &length));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSRead(&settings, 1, &data, &length));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSWrite(&settings, 0, reinterpret_cast<const uint8_t*>("m"), 1, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSDelete(&settings, 1));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSSetAttr(&settings, 1));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSQueryAttr(&settings, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSSend(&settings, 1));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, MMSPhoneLockVerify(&settings, "1234"));
        int32_t first = 0;
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, GetCalIdRange(&settings, &first, &id));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, ReadCalGroup(&settings, 1, model, sizeof model, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, ReadCalGroupPath(&settings, 1, model, 33, imei, sizeof imei, &number));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, WriteCalGroup(&settings, 1, "a", 0, 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, WriteCalGroupPath(&settings, 1, "a", "", 0, 0, 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, JavaQueryTargetVer(&settings, model, sizeof model));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, JavaList(&settings, &text, &length));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, JavaInstall(&settings, reinterpret_cast<const uint8_t*>("j"), 1));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, JavaDelete(&settings, "a", 0));
        EXPECT_EQ(MEXTAL_PORT_UNAVAILABLE, JavaPrecheck(&settings, "d", 1));
        EXPECT_EQ(nullptr, text);
        EXPECT_EQ(nullptr, data);
    }
}

TEST_F(ExportsTest, IdentificationChecksArguments) {
    char buffer[8];
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, QueryModel(&kClosedPort, nullptr, sizeof buffer));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, QueryImei(&kClosedPort, buffer, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, DetectHandSetModel(&kClosedPort, 1, 2000, buffer, 8, nullptr, 8));
}

}  // namespace

// The library as its callers see it: the exported functions bound through the
// import library (by ordinal on Windows) and the library's own handset object.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mextal/mextal.h"

namespace {

// What the operations of families not built yet answer: no request builder.
constexpr int32_t kNotBuiltYet = 4096;

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
    }
}

TEST_F(ExportsTest, IdentificationChecksArguments) {
    char buffer[8];
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, QueryModel(&kClosedPort, nullptr, sizeof buffer));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, QueryImei(&kClosedPort, buffer, 0));
    EXPECT_EQ(MEXTAL_BAD_ARGUMENT, DetectHandSetModel(&kClosedPort, 1, 2000, buffer, 8, nullptr, 8));
}

// An export of a family whose commands are not built yet, called once with
// complete arguments and once with one of them missing or out of range.
struct PendingExport {
    const char* name;
    std::function<int32_t()> complete;
    std::function<int32_t()> incomplete;
};

std::vector<PendingExport> PendingExports() {
    static char text[16];
    static uint8_t bytes[16];
    static uint32_t number;
    static int32_t signedNumber;
    static char* textOut;
    static uint8_t* bytesOut;
    static uint32_t lengthOut;
    const PortSettings* s = &kClosedPort;
    auto reset = [] {
        textOut = nullptr;
        bytesOut = nullptr;
        lengthOut = 0;
        signedNumber = 0;
    };
    auto call = [reset](std::function<int32_t()> f) {
        return [reset, f] {
            reset();
            return f();
        };
    };
    return {
        {"ReadMsFile", call([=] { return ReadMsFile(s, 0, "a", &bytesOut, &lengthOut, 0); }),
         call([=] { return ReadMsFile(s, 0, nullptr, &bytesOut, &lengthOut, 0); })},
        {"WriteMsFile", call([=] { return WriteMsFile(s, 0, "a", bytes, 0, 0); }),
         call([=] { return WriteMsFile(s, 0, "a", nullptr, 4, 0); })},
        {"AppendMsFile", call([=] { return AppendMsFile(s, 0, "a", bytes, 4, 0); }),
         call([=] { return AppendMsFile(s, 0, "a", bytes, 0, 0); })},
        {"DeleteMsFile", call([=] { return DeleteMsFile(s, 0, "a"); }),
         call([=] { return DeleteMsFile(nullptr, 0, "a"); })},
        {"RenameMsFile", call([=] { return RenameMsFile(s, 0, "a", "b"); }),
         call([=] { return RenameMsFile(s, 0, "a", nullptr); })},
        {"QueryFlashSpace", call([=] { return QueryFlashSpace(s, 0, &number, &number, &number); }),
         call([=] { return QueryFlashSpace(s, 0, &number, nullptr, &number); })},
        {"QueryMsFileAttr", call([=] { return QueryMsFileAttr(s, 0, "a", &number, &number, &number); }),
         call([=] { return QueryMsFileAttr(s, 0, "a", &number, &number, nullptr); })},
        {"ListDir", call([=] { return ListDir(s, 0, "a", &textOut, &lengthOut); }),
         call([=] { return ListDir(s, 0, "a", nullptr, &lengthOut); })},
        {"NewDir", call([=] { return NewDir(s, 0, "a"); }), call([=] { return NewDir(s, 0, nullptr); })},
        {"DeleteDir", call([=] { return DeleteDir(s, 0, "a"); }), call([=] { return DeleteDir(s, 0, nullptr); })},
        {"RenameDir", call([=] { return RenameDir(s, 0, "a", "b"); }),
         call([=] { return RenameDir(s, 0, nullptr, "b"); })},
        {"DSCListDir", call([=] { return DSCListDir(s, "a", &textOut, &lengthOut); }),
         call([=] { return DSCListDir(s, "a", &textOut, nullptr); })},
        {"DSCRenameMsFile", call([=] { return DSCRenameMsFile(s, "a", "b", 0); }),
         call([=] { return DSCRenameMsFile(s, nullptr, "b", 0); })},
        {"DSCDelMsFile", call([=] { return DSCDelMsFile(s, "a", 0); }),
         call([=] { return DSCDelMsFile(s, nullptr, 0); })},
        {"DSCReadMsFile", call([=] { return DSCReadMsFile(s, "a", &bytesOut, &lengthOut); }),
         call([=] { return DSCReadMsFile(s, "a", nullptr, &lengthOut); })},
        {"GetCalIdRange", call([=] { return GetCalIdRange(s, &signedNumber, &signedNumber); }),
         call([=] { return GetCalIdRange(s, nullptr, &signedNumber); })},
        {"ReadCalGroup", call([=] { return ReadCalGroup(s, 1, text, sizeof text, &number); }),
         call([=] { return ReadCalGroup(s, 1, text, 0, &number); })},
        {"WriteCalGroup", call([=] { return WriteCalGroup(s, 1, "a", 0, 0); }),
         call([=] { return WriteCalGroup(s, 1, nullptr, 0, 0); })},
        {"ReadCalGroupPath", call([=] { return ReadCalGroupPath(s, 1, text, 8, text + 8, 8, &number); }),
         call([=] { return ReadCalGroupPath(s, 1, text, 8, text + 8, 0, &number); })},
        {"WriteCalGroupPath", call([=] { return WriteCalGroupPath(s, 1, "a", "b", 0, 0, 0); }),
         call([=] { return WriteCalGroupPath(s, 1, "a", nullptr, 0, 0, 0); })},
        {"ListMediaCenter", call([=] { return ListMediaCenter(s, 9, "a", &textOut, &lengthOut); }),
         call([=] { return ListMediaCenter(s, 10, "a", &textOut, &lengthOut); })},
        {"ReadMediaCenter", call([=] { return ReadMediaCenter(s, 0, 255, 0, "a", &bytesOut, &lengthOut); }),
         call([=] { return ReadMediaCenter(s, 0, 254, 0, "a", &bytesOut, &lengthOut); })},
        {"ReadMediaCenterReserved", call([=] { return ReadMediaCenter(s, 0, 255, 0, "a", &bytesOut, &lengthOut); }),
         call([=] { return ReadMediaCenter(s, 0, 255, 1, "a", &bytesOut, &lengthOut); })},
        {"GetMediaCenterId", call([=] { return GetMediaCenterId(s, 0, 255, "a", &signedNumber); }),
         call([=] { return GetMediaCenterId(s, 0, 10, "a", &signedNumber); })},
        {"GetMediaCenterPath", call([=] { return GetMediaCenterPath(s, 0, 3, &signedNumber, text); }),
         call([=] { return GetMediaCenterPath(s, 0, 0, &signedNumber, text); })},
        {"QueryMediaCenterType", call([=] { return QueryMediaCenterType(s, 9); }),
         call([=] { return QueryMediaCenterType(s, 10); })},
        {"RebootMs", call([=] { return RebootMs(s, 0); }), call([=] { return RebootMs(nullptr, 0); })},
        {"GetSIMCount", call([=] { return GetSIMCount(s, &number); }),
         call([=] { return GetSIMCount(s, nullptr); })},
        {"GetSIMTextLength", call([=] { return GetSIMTextLength(s, &number); }),
         call([=] { return GetSIMTextLength(s, nullptr); })},
        {"JavaQueryTargetVer", call([=] { return JavaQueryTargetVer(s, text, sizeof text); }),
         call([=] { return JavaQueryTargetVer(s, text, 0); })},
        {"JavaList", call([=] { return JavaList(s, &textOut, &lengthOut); }),
         call([=] { return JavaList(s, nullptr, &lengthOut); })},
        {"JavaInstall", call([=] { return JavaInstall(s, bytes, sizeof bytes); }),
         call([=] { return JavaInstall(s, nullptr, sizeof bytes); })},
        {"JavaDelete", call([=] { return JavaDelete(s, "a", 0); }), call([=] { return JavaDelete(s, nullptr, 0); })},
        {"JavaPrecheck", call([=] { return JavaPrecheck(s, "a", 1); }),
         call([=] { return JavaPrecheck(s, "a", 0); })},
        {"MMSListMsgID", call([=] { return MMSListMsgID(s, 0, &textOut, &lengthOut); }),
         call([=] { return MMSListMsgID(s, 0, &textOut, nullptr); })},
        {"MMSRead", call([=] { return MMSRead(s, 1, &bytesOut, &lengthOut); }),
         call([=] { return MMSRead(s, 1, nullptr, &lengthOut); })},
        {"MMSWrite", call([=] { return MMSWrite(s, 0, bytes, sizeof bytes, &number); }),
         call([=] { return MMSWrite(s, 0, bytes, sizeof bytes, nullptr); })},
        {"MMSDelete", call([=] { return MMSDelete(s, 1); }), call([=] { return MMSDelete(nullptr, 1); })},
        {"MMSSetAttr", call([=] { return MMSSetAttr(s, 1); }), call([=] { return MMSSetAttr(nullptr, 1); })},
        {"MMSQueryAttr", call([=] { return MMSQueryAttr(s, &number); }),
         call([=] { return MMSQueryAttr(s, nullptr); })},
        {"MMSSend", call([=] { return MMSSend(s, 1); }), call([=] { return MMSSend(nullptr, 1); })},
        {"MMSPhoneLockVerify", call([=] { return MMSPhoneLockVerify(s, "1234"); }),
         call([=] { return MMSPhoneLockVerify(s, nullptr); })},
    };
}

TEST_F(ExportsTest, FamiliesNotBuiltYetCheckArgumentsAndAnswerNoBuilder) {
    for (const PendingExport& e : PendingExports()) {
        EXPECT_EQ(kNotBuiltYet, e.complete()) << e.name;
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, e.incomplete()) << e.name;
    }
}

}  // namespace

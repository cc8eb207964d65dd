// The Java-application operations, their command lines and answer parsers
// against a scripted handset.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "crc32.h"
#include "family_cases.h"
#include "family_records.h"
#include "handset_harness.h"
#include "java_applications.h"

namespace {

using namespace mextal::test;

constexpr const char* kAck = "\r\nACK\r\n";
const std::string kDescriptor = "MIDlet-Name: Chess\nMIDlet-Jar-Size: 3000\n";

std::string UploadLine(int operation, const std::string& bytes) {
    return "AT$TCKS=" + std::to_string(operation) + "," + std::to_string(bytes.size()) + "," +
           std::to_string(mextal::Crc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) + "\r";
}

// A polite handset and the outputs of the operations, which are released at
// the end. The version text is spoiled first: a failed query must clear it.
struct JavaPhone : HandsetHarness {
    JavaPhone() { ScriptPoliteHandshake(); }
    ~JavaPhone() { std::free(text); }
    int32_t Version(uint32_t size = sizeof version) {
        std::memset(version, 'V', sizeof version);
        return api.JavaQueryTargetVer(&settings, version, size);
    }
    int32_t List() { return api.JavaList(&settings, &text, &length); }
    int32_t Check(const std::string& descriptor = kDescriptor) {
        return api.JavaPrecheck(&settings, descriptor.data(), static_cast<uint32_t>(descriptor.size()));
    }
    int32_t Install(const std::string& package) {
        return api.JavaInstall(&settings, reinterpret_cast<const uint8_t*>(package.data()),
                               static_cast<uint32_t>(package.size()));
    }
    int32_t Delete(const char* name = "Chess") { return api.JavaDelete(&settings, name, 0); }
    bool OutputsCleared() const {
        return text == nullptr && length == 0 && version[0] == '\0' && version[sizeof version - 1] == '\0';
    }

    char version[64] = {};
    char* text = nullptr;
    uint32_t length = 0;
};

using Call = std::function<int32_t(JavaPhone&)>;

using Operation = FamilyOperation<JavaPhone>;

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> operations = {
        {"Version", "AT$TCKR=1\r", [](JavaPhone& p) { return p.Version(); }, {{Info("INFO: 2,0,1,1")}}},
        {"List", "AT$TCKR=2\r", [](JavaPhone& p) { return p.List(); }, {{Info("LIST: 3"), "a,b\r\n"}}},
        {"Check",
         UploadLine(1, kDescriptor),
         [](JavaPhone& p) { return p.Check(); },
         {{Info("$TCK: 1,41")}, {Info("$TCK: 1,41"), kAck}}},
        {"Install",
         UploadLine(2, "pkg"),
         [](JavaPhone& p) { return p.Install("pkg"); },
         {{Info("$TCK: 2,3")}, {Info("$TCK: 2,3"), kAck}}},
        {"Delete", "AT$TCKS=3,\"Chess\"\r", [](JavaPhone& p) { return p.Delete(); }, {{kAck}}},
    };
    return operations;
}

TEST(JavaApplications, RoundTripsSendTheirLinesAndHandOutResults) {
    const std::string listing =
        "48213,\"Sudoku\",\"Example Games\",\"1.0.2\"\r\n102400,\"Weather\",\"Example Labs\",\"2.1\"";
    const std::vector<FamilyRoundTrip<JavaPhone>> cases = {
        {"Version",
         "AT$TCKR=1\r",
         {Info("INFO: 2,0,1,1"), kOk},
         [](JavaPhone& p) { return p.Version(); },
         {10000, 10000},
         [](const JavaPhone& p) { EXPECT_STREQ("MIDP-2.0 CLDC-1.1", p.version); }},
        {"VersionCut",
         "AT$TCKR=1\r",
         {Info("INFO: 2,0,1,1"), kOk},
         [](JavaPhone& p) { return p.Version(5); },
         {10000, 10000},
         [](const JavaPhone& p) { EXPECT_STREQ("MIDP", p.version); }},
        {"VersionLargestParts",
         "AT$TCKR=1\r",
         {Info("INFO: 255,255,255,255"), kOk},
         [](JavaPhone& p) { return p.Version(26); },
         {10000, 10000},
         [](const JavaPhone& p) { EXPECT_STREQ("MIDP-255.255 CLDC-255.255", p.version); }},
        {"List",
         "AT$TCKR=2\r",
         {Info("LIST: " + std::to_string(listing.size())), listing + "\r\n", kOk},
         [](JavaPhone& p) { return p.List(); },
         {10000, 10000, 10000},
         [listing](const JavaPhone& p) {
             EXPECT_EQ(listing, p.text);
             EXPECT_EQ(listing.size() + 1, p.length);
         }},
        {"ListEmptyFinalGlued",
         "AT$TCKR=2\r",
         {Info("LIST: 0"), "\r\n\r\nOK\r\n"},
         [](JavaPhone& p) { return p.List(); },
         {10000, 10000},
         [](const JavaPhone& p) {
             EXPECT_STREQ("", p.text);
             EXPECT_EQ(1u, p.length);
         }},
        {"CheckWaitsLongAfterData",
         UploadLine(1, kDescriptor),
         {Info("$TCK: 1,41"), kAck, kOk},
         [](JavaPhone& p) { return p.Check(); },
         {10000, 60000, 10000},
         [](const JavaPhone& p) { EXPECT_EQ(kDescriptor, p.port.written.back()); }},
        {"Install",
         "AT$TCKS=2,9,3421780262\r",
         {Info("$TCK: 2,9"), kAck, kOk},
         [](JavaPhone& p) { return p.Install("123456789"); },
         {10000, 60000, 10000},
         [](const JavaPhone& p) { EXPECT_EQ("123456789", p.port.written.back()); }},
        {"Delete",
         "AT$TCKS=3,\"Chess, the game\"\r",
         {kAck, kOk},
         [](JavaPhone& p) { return p.Delete("Chess, the game"); },
         {10000, 10000},
         nullptr},
    };
    ExpectRoundTrips(cases);
}

TEST(JavaApplications, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    char* heldText = reinterpret_cast<char*>(0x1);
    const std::vector<std::pair<const char*, Call>> cases = {
        {"VersionEmptyBuffer", [](JavaPhone& p) { return p.Version(0); }},
        {"VersionNullBuffer", [](JavaPhone& p) { return p.api.JavaQueryTargetVer(&p.settings, nullptr, 8); }},
        {"ListHeldText", [&](JavaPhone& p) { return p.api.JavaList(&p.settings, &heldText, &p.length); }},
        {"ListHeldLength",
         [](JavaPhone& p) {
             p.length = 1;
             return p.List();
         }},
        {"CheckEmpty", [](JavaPhone& p) { return p.Check(""); }},
        {"CheckOver64KiB", [](JavaPhone& p) { return p.api.JavaPrecheck(&p.settings, "d", 65537); }},
        {"CheckNull", [](JavaPhone& p) { return p.api.JavaPrecheck(&p.settings, nullptr, 1); }},
        {"InstallEmpty", [](JavaPhone& p) { return p.Install(""); }},
        {"InstallOver16MiB",
         [](JavaPhone& p) { return p.api.JavaInstall(&p.settings, reinterpret_cast<const uint8_t*>("j"), 16777217); }},
        {"DeleteEmptyName", [](JavaPhone& p) { return p.Delete(""); }},
        {"DeleteQuote", [](JavaPhone& p) { return p.Delete("a\"b"); }},
        {"DeleteLf", [](JavaPhone& p) { return p.Delete("a\n"); }},
        {"DeleteNull", [](JavaPhone& p) { return p.Delete(nullptr); }},
        {"DeleteReserved", [](JavaPhone& p) { return p.api.JavaDelete(&p.settings, "a", 1); }},
        {"NoSettings", [](JavaPhone& p) { return p.api.JavaDelete(nullptr, "a", 0); }},
    };
    ExpectBadArgumentsWriteNothing(cases);
}

// Every operation, failing at its first answer and after each step at which the
// handset has accepted it, clears its outputs and gives the code of the failure.
TEST(JavaApplications, EveryFailureKindGivesItsCodeAndClearsOutputs) {
    const std::vector<FamilyFailure> failures = {
        {"Error", {kError}, MEXTAL_HANDSET_ERROR, MEXTAL_HANDSET_ERROR},
        {"Nack", {Info("NACK: 5")}, -5, -5},
        {"NackZero", {Info("NACK: 0")}, MEXTAL_UNEXPECTED_ANSWER, MEXTAL_UNEXPECTED_ANSWER},
        {"BareNack", {Info("NACK")}, MEXTAL_UNEXPECTED_ANSWER, MEXTAL_UNEXPECTED_ANSWER},
        {"OtherFamily", {Info("$QKCGR: (1-10)")}, MEXTAL_UNEXPECTED_ANSWER, MEXTAL_UNEXPECTED_ANSWER},
        {"AckWithText", {Info("ACK: 1")}, PARSE_UNRECOGNISED, MEXTAL_FINAL_ANSWER_FAILED},
        {"Silence", {}, LINK_TIMEOUT, MEXTAL_FINAL_ANSWER_FAILED},
    };
    ExpectEveryFailureClearsOutputs(Operations(), failures);
}

TEST(JavaApplications, AnswersThatDoNotMatchTheRequestAreRefused) {
    const std::vector<std::tuple<const char*, Strings, Call>> cases = {
        {"GoAheadOtherOperation", {Info("$TCK: 2,41"), kAck, kOk}, [](JavaPhone& p) { return p.Check(); }},
        {"GoAheadOtherLength", {Info("$TCK: 1,40"), kAck, kOk}, [](JavaPhone& p) { return p.Check(); }},
        {"AckInsteadOfGoAhead", {kAck, kOk}, [](JavaPhone& p) { return p.Install("pkg"); }},
        {"VersionPartOver255", {Info("INFO: 2,256,1,1"), kOk}, [](JavaPhone& p) { return p.Version(); }},
        {"ListOver1MiB", {Info("LIST: 1048577")}, [](JavaPhone& p) { return p.List(); }},
        {"ListLargestNumber", {Info("LIST: 4294967295")}, [](JavaPhone& p) { return p.List(); }},
        {"ListShort", {Info("LIST: 4"), "abc\r\n", kOk}, [](JavaPhone& p) { return p.List(); }},
        {"ListZeroByte", {Info("LIST: 3"), std::string("a\0b\r\n", 5), kOk}, [](JavaPhone& p) { return p.List(); }},
    };
    for (const auto& [name, answer, call] : cases) {
        JavaPhone p;
        for (const Operation& op : Operations()) p.port.On(op.line, answer);
        EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, call(p)) << name;
        EXPECT_TRUE(p.OutputsCleared()) << name;
    }
}

TEST(JavaApplications, RefusedGoAheadSendsNoDataAndBrokenUploadGivesLinkCode) {
    JavaPhone refused;
    refused.port.On(UploadLine(2, "pkg"), {Info("NACK: 7")});
    EXPECT_EQ(-7, refused.Install("pkg"));
    EXPECT_EQ(3u, refused.port.written.size());

    JavaPhone broken;
    broken.port.On(UploadLine(2, "pkg"), {Info("$TCK: 2,3")});
    broken.port.writeFailure = LINK_WRITE_FAILED;
    broken.port.failingWrite = 3;
    EXPECT_EQ(LINK_WRITE_FAILED, broken.Install("pkg"));
}

TEST(JavaAnswers, ParsersFillNumbersAndAckMustStandAlone) {
    struct Case {
        const char* name;
        std::string chunk;
        int32_t result;
        int32_t id;
        std::vector<uint32_t> numbers;
    };
    const std::vector<Case> cases = {
        {"GoAhead", "$TCK: 2,48213\r\n", PARSE_OK, AT_RSP_TCK, {2, 48213}},
        {"Info", "INFO: 2,0,1,1\r\n", PARSE_OK, AT_RSP_INFO, {2, 0, 1, 1}},
        {"List", "LIST:  311 \r\n", PARSE_OK, AT_RSP_LIST, {311}},
        {"Nack", "NACK: 4\r\n", PARSE_OK, AT_RSP_NACK, {4}},
        {"BareNackReadAsAck", "NACK\r\n", PARSE_OK, AT_RSP_ACK, {}},
        {"GoAheadOneField", "$TCK: 2\r\n", PARSE_BAD_FIELDS, AT_RSP_TCK, {}},
        {"InfoFiveFields", "INFO: 2,0,1,1,0\r\n", PARSE_BAD_FIELDS, AT_RSP_INFO, {}},
        {"ListSigned", "LIST: -1\r\n", PARSE_BAD_FIELDS, AT_RSP_LIST, {}},
        {"ListNoColon", "LIST 3\r\n", PARSE_NO_COLON, AT_RSP_LIST, {}},
        {"NackWithoutNumber", "NACK: x\r\n", PARSE_BAD_FIELDS, AT_RSP_NACK, {}},
    };
    CAtResponseParser parser;
    for (const Case& c : cases) {
        AtResponse response{};
        EXPECT_EQ(c.result, parser.ClassifyResponse(&response, c.chunk.data(), static_cast<uint32_t>(c.chunk.size())))
            << c.name;
        EXPECT_EQ(c.id, response.id) << c.name;
        FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
        for (size_t i = 0; i < c.numbers.size(); ++i) EXPECT_EQ(c.numbers[i], answer.numbers[i]) << c.name << i;
    }
    AtResponse ack{};
    ack.id = AT_RSP_ACK;
    EXPECT_TRUE(IsJavaAck(ack, "ACK"));
    EXPECT_FALSE(IsJavaAck(ack, "NACK"));
    ack.id = AT_RSP_OK;
    EXPECT_FALSE(IsJavaAck(ack, "ACK"));
}

}  // namespace

// The multimedia-message operations, their command lines and answer parsers
// against a scripted handset.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "family_cases.h"
#include "family_records.h"
#include "handset_harness.h"
#include "multimedia_messages.h"

namespace {

using namespace mextal::test;

const HandsetWindow kWindow = reinterpret_cast<HandsetWindow>(0x20);
const Strings kHandshake{"AT\r", "ATE0\r"};
// A line of another family where a message answer belongs.
const std::string kStrangeLine = "\r\n+CRSM: 144,0\r\n";

// A polite handset, the outputs of the operations, and their release at the end.
struct MessagePhone : HandsetHarness {
    MessagePhone() { ScriptPoliteHandshake(); }
    ~MessagePhone() {
        std::free(text);
        std::free(data);
    }
    int32_t List(uint32_t folder = 0) { return api.MMSListMsgID(&settings, folder, &text, &length); }
    int32_t Read(uint32_t message = 2) { return api.MMSRead(&settings, message, &data, &length); }
    // Write and Query start from a non-zero output that a failure must clear.
    int32_t Write(const std::string& content, uint32_t folder = 3) {
        id = 77;
        return api.MMSWrite(&settings, folder, reinterpret_cast<const uint8_t*>(content.data()),
                            static_cast<uint32_t>(content.size()), &id);
    }
    int32_t Query() {
        attributes = 77;
        return api.MMSQueryAttr(&settings, &attributes);
    }
    std::string Data() const { return std::string(reinterpret_cast<const char*>(data), length + 2); }
    bool OutputsCleared() const {
        return text == nullptr && data == nullptr && length == 0 && id == 0 && attributes == 0;
    }

    char* text = nullptr;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    uint32_t id = 0;
    uint32_t attributes = 0;
};

using Call = std::function<int32_t(MessagePhone&)>;

using Operation = FamilyOperation<MessagePhone>;

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> operations = {
        {"List", "AT$QKMMSL=0\r", [](MessagePhone& p) { return p.List(); }, {{Info("$QKMMSL: 0,1")}}},
        {"Read", "AT$QKMMSR=2\r", [](MessagePhone& p) { return p.Read(); }, {{Info("$QKMMSR: 2,3"), "abc\r\n"}}},
        {"Write",
         "AT$QKMMSW=3,3,891568578\r",
         [](MessagePhone& p) { return p.Write("abc"); },
         {{kOk}, {kOk, Info("$QKMMSW: 3,5")}}},
        {"Delete", "AT$QKMMSD=9\r", [](MessagePhone& p) { return p.api.MMSDelete(&p.settings, 9); }, {}},
        {"SetAttr", "AT$QKMMSA=3\r", [](MessagePhone& p) { return p.api.MMSSetAttr(&p.settings, 3); }, {}},
        {"QueryAttr", "AT$QKMMSA?\r", [](MessagePhone& p) { return p.Query(); }, {{Info("$QKMMSR: 5")}}},
        {"Send", "AT$QKMGS=4\r", [](MessagePhone& p) { return p.api.MMSSend(&p.settings, 4); }, {}},
        {"LockVerify",
         "AT$CHKPL=\"1234\"\r",
         [](MessagePhone& p) { return p.api.MMSPhoneLockVerify(&p.settings, "1234"); },
         {}},
    };
    return operations;
}

TEST(MultimediaMessages, RoundTripsSendTheirLinesAndHandOutResults) {
    const std::vector<FamilyRoundTrip<MessagePhone>> cases = {
        {"ListTwoIds",
         "AT$QKMMSL=0\r",
         {Info("$QKMMSL: 0,1"), Info("$QKMMSL: 0,2"), kOk},
         [](MessagePhone& p) { return p.List(); },
         {10000, 10000, 10000},
         [](const MessagePhone& p) {
             EXPECT_STREQ("1,2", p.text);
             EXPECT_EQ(4u, p.length);
         }},
        {"ListEmptyFolder",
         "AT$QKMMSL=1\r",
         {kOk},
         [](MessagePhone& p) { return p.List(1); },
         {10000},
         [](const MessagePhone& p) {
             EXPECT_STREQ("", p.text);
             EXPECT_EQ(1u, p.length);
         }},
        {"Read",
         "AT$QKMMSR=2\r",
         {Info("$QKMMSR: 2,5"), "he\r\no\r\n", kOk},
         [](MessagePhone& p) { return p.Read(); },
         {10000, 10000, 10000},
         [](const MessagePhone& p) { EXPECT_EQ("he\r\no\r\n", p.Data()); }},
        {"ReadEmptyWithFinalGlued",
         "AT$QKMMSR=2\r",
         {Info("$QKMMSR: 2,0"), "\r\n\r\nOK\r\n"},
         [](MessagePhone& p) { return p.Read(); },
         {10000, 10000},
         [](const MessagePhone& p) {
             EXPECT_EQ(0u, p.length);
             EXPECT_EQ("\r\n", p.Data());
         }},
        {"WriteWaitsLongForStoredAnswer",
         "AT$QKMMSW=3,9,3421780262\r",
         {kOk, Info("$QKMMSW: 3,5"), kOk},
         [](MessagePhone& p) { return p.Write("123456789"); },
         {10000, 60000, 10000},
         [](const MessagePhone& p) {
             EXPECT_EQ(5u, p.id);
             EXPECT_EQ("123456789", p.port.written.back());
         }},
        {"Delete",
         "AT$QKMMSD=9\r",
         {kOk},
         [](MessagePhone& p) { return p.api.MMSDelete(&p.settings, 9); },
         {10000},
         nullptr},
        {"SetAllSettingsBits",
         "AT$QKMMSA=15\r",
         {kOk},
         [](MessagePhone& p) { return p.api.MMSSetAttr(&p.settings, 15); },
         {10000},
         nullptr},
        {"QueryKeepsReservedBits",
         "AT$QKMMSA?\r",
         {Info("$QKMMSR: 4294967295"), kOk},
         [](MessagePhone& p) { return p.Query(); },
         {10000, 10000},
         [](const MessagePhone& p) { EXPECT_EQ(0xFFFFFFFFu, p.attributes); }},
        {"SendWaitsLong",
         "AT$QKMGS=4\r",
         {kOk},
         [](MessagePhone& p) { return p.api.MMSSend(&p.settings, 4); },
         {60000},
         nullptr},
        {"VerifyLongestCode",
         "AT$CHKPL=\"01234567\"\r",
         {kOk},
         [](MessagePhone& p) { return p.api.MMSPhoneLockVerify(&p.settings, "01234567"); },
         {10000},
         nullptr},
    };
    ExpectRoundTrips(cases);
}

TEST(MultimediaMessages, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    char* heldText = reinterpret_cast<char*>(0x1);
    const std::vector<std::pair<const char*, Call>> cases = {
        {"ListFolder4", [](MessagePhone& p) { return p.List(4); }},
        {"ListHeldText", [&](MessagePhone& p) { return p.api.MMSListMsgID(&p.settings, 0, &heldText, &p.length); }},
        {"ListNullLength", [](MessagePhone& p) { return p.api.MMSListMsgID(&p.settings, 0, &p.text, nullptr); }},
        {"ReadId0", [](MessagePhone& p) { return p.Read(0); }},
        {"ReadHeldLength",
         [](MessagePhone& p) {
             p.length = 1;
             return p.Read();
         }},
        {"WriteFolder4", [](MessagePhone& p) { return p.Write("abc", 4); }},
        {"WriteEmpty", [](MessagePhone& p) { return p.Write(""); }},
        {"WriteOver16MiB",
         [](MessagePhone& p) {
             return p.api.MMSWrite(&p.settings, 0, reinterpret_cast<const uint8_t*>("x"), 16777217, &p.id);
         }},
        {"WriteNullId",
         [](MessagePhone& p) {
             return p.api.MMSWrite(&p.settings, 0, reinterpret_cast<const uint8_t*>("x"), 1, nullptr);
         }},
        {"DeleteId0", [](MessagePhone& p) { return p.api.MMSDelete(&p.settings, 0); }},
        {"SetReservedBit", [](MessagePhone& p) { return p.api.MMSSetAttr(&p.settings, 16); }},
        {"QueryNull", [](MessagePhone& p) { return p.api.MMSQueryAttr(&p.settings, nullptr); }},
        {"SendId0", [](MessagePhone& p) { return p.api.MMSSend(&p.settings, 0); }},
    };
    ExpectBadArgumentsWriteNothing(cases);
    for (const char* code : {"12a4", "123", "123456789", "", "12\"4", static_cast<const char*>(nullptr)}) {
        MessagePhone p;
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, p.api.MMSPhoneLockVerify(&p.settings, code)) << (code ? code : "null");
        EXPECT_TRUE(p.port.written.empty());
    }
}

// Every operation, failing at its first answer and (where it has one) after
// the handset accepted it, clears its outputs and gives the code of the failure.
TEST(MultimediaMessages, EveryFailureKindGivesItsCodeAndClearsOutputs) {
    const std::vector<FamilyFailure> failures = {
        {"Error", {kError}, MEXTAL_HANDSET_ERROR, MEXTAL_HANDSET_ERROR},
        {"FamilyError", {Info("$QKMMSERR: 5")}, -5, -5},
        {"FamilyErrorZero", {Info("$QKMMSERR: 0")}, MEXTAL_UNEXPECTED_ANSWER, MEXTAL_UNEXPECTED_ANSWER},
        {"WrongKeyword", {kStrangeLine}, MEXTAL_UNEXPECTED_ANSWER, MEXTAL_UNEXPECTED_ANSWER},
        {"Garbled", {Info("$QKMMSERR 5")}, 4100, MEXTAL_FINAL_ANSWER_FAILED},
        {"Silence", {}, LINK_TIMEOUT, MEXTAL_FINAL_ANSWER_FAILED},
    };
    ExpectEveryFailureClearsOutputs(Operations(), failures);
}

TEST(MultimediaMessages, AnswersThatDoNotMatchTheRequestAreRefused) {
    const std::vector<std::tuple<const char*, Strings, Call>> cases = {
        {"ListOtherFolder",
         {Info("$QKMMSL: 0,1"), Info("$QKMMSL: 2,3"), kOk},
         [](MessagePhone& p) { return p.List(); }},
        {"ReadOtherId", {Info("$QKMMSR: 3,3"), "abc\r\n", kOk}, [](MessagePhone& p) { return p.Read(); }},
        {"ReadSettingsForm", {Info("$QKMMSR: 3"), kOk}, [](MessagePhone& p) { return p.Read(); }},
        {"ReadOverLimit", {Info("$QKMMSR: 2,16777217")}, [](MessagePhone& p) { return p.Read(); }},
        {"ReadLargestNumber", {Info("$QKMMSR: 2,4294967295")}, [](MessagePhone& p) { return p.Read(); }},
        {"ReadShort", {Info("$QKMMSR: 2,5"), "hell\r\n", "\r\n", "OK\r\n"}, [](MessagePhone& p) { return p.Read(); }},
        {"ReadLong", {Info("$QKMMSR: 2,3"), "abcd\r\n", kOk}, [](MessagePhone& p) { return p.Read(); }},
        {"WriteOtherFolder", {kOk, Info("$QKMMSW: 2,5"), kOk}, [](MessagePhone& p) { return p.Write("abc"); }},
        {"WriteIdZero", {kOk, Info("$QKMMSW: 3,0"), kOk}, [](MessagePhone& p) { return p.Write("abc"); }},
        {"QueryReadForm", {Info("$QKMMSR: 5,1"), kOk}, [](MessagePhone& p) { return p.Query(); }},
    };
    for (const auto& [name, answer, call] : cases) {
        MessagePhone p;
        for (const Operation& op : Operations()) p.port.On(op.line, answer);
        EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, call(p)) << name;
        EXPECT_TRUE(p.OutputsCleared()) << name;
    }
}

TEST(MultimediaMessages, ListTakesAThousandIdsAndRefusesMore) {
    for (int lines : {1000, 1001}) {
        MessagePhone p;
        Strings answer;
        std::string expected;
        for (int i = 1; i <= lines; ++i) {
            answer.push_back(Info("$QKMMSL: 0," + std::to_string(4000000000u + i)));
            expected += (i > 1 ? "," : "") + std::to_string(4000000000u + i);
        }
        answer.push_back(kOk);
        p.port.On("AT$QKMMSL=0\r", answer);
        if (lines == 1000) {
            ASSERT_EQ(MEXTAL_OK, p.List());
            EXPECT_EQ(expected, p.text);
            EXPECT_EQ(expected.size() + 1, p.length);
        } else {
            EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, p.List());
            EXPECT_TRUE(p.OutputsCleared());
        }
    }
}

TEST(MultimediaMessages, LineAfterContentDecidesTheRead) {
    const std::vector<std::tuple<const char*, Strings, int32_t>> cases = {
        {"OkGlued", {"abc\r\n\r\nOK\r\n"}, MEXTAL_OK},
        {"ErrorGlued", {"abc\r\n\r\nERROR\r\n"}, MEXTAL_HANDSET_ERROR},
        {"FamilyErrorGlued", {"abc\r\n\r\n$QKMMSERR: 8\r\n"}, -8},
        {"GarbageGlued", {"abc\r\n\r\nxyz\r\n"}, MEXTAL_FINAL_ANSWER_FAILED},
        {"CablePulledInContent", {"ab"}, MEXTAL_FINAL_ANSWER_FAILED},
    };
    for (const auto& [name, rest, result] : cases) {
        MessagePhone p;
        p.port.On("AT$QKMMSR=2\r", With(Strings{Info("$QKMMSR: 2,3")}, rest));
        EXPECT_EQ(result, p.Read()) << name;
        if (result == MEXTAL_OK) {
            EXPECT_EQ("abc\r\n", p.Data());
        } else {
            EXPECT_TRUE(p.OutputsCleared()) << name;
        }
    }
}

TEST(MultimediaMessages, LargeTransfersReportPiecesAddingUpToTheirBytes) {
    std::string content(1 << 20, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    MessagePhone reader;
    reader.api.RegisterUI(kWindow);
    Strings answer{Info("$QKMMSR: 2," + std::to_string(content.size()))};
    std::string wire = content + "\r\n";
    for (size_t at = 0; at < wire.size(); at += kReceiveBufferBytes)
        answer.push_back(wire.substr(at, kReceiveBufferBytes));
    answer.push_back(kOk);
    reader.port.On("AT$QKMMSR=2\r", answer);
    ASSERT_EQ(MEXTAL_OK, reader.Read());
    EXPECT_EQ(wire, reader.Data());
    uint64_t received = 0;
    for (const ProgressMessage& m : reader.progress) {
        EXPECT_EQ(MEXTAL_MSG_RECEIVED_PIECE, m.message);
        received += m.bytes;
    }
    EXPECT_EQ(wire.size(), received);

    MessagePhone writer;
    writer.api.RegisterUI(kWindow);
    writer.port.On("AT$QKMMSW=3,5000,3244323848\r", {kOk, Info("$QKMMSW: 3,9"), kOk});
    ASSERT_EQ(MEXTAL_OK, writer.Write(content.substr(0, 5000)));
    EXPECT_EQ(9u, writer.id);
    EXPECT_EQ((std::vector<ProgressMessage>{{kWindow, MEXTAL_MSG_SENT_PIECE, 2048},
                                            {kWindow, MEXTAL_MSG_SENT_PIECE, 2048},
                                            {kWindow, MEXTAL_MSG_SENT_PIECE, 904}}),
              writer.progress);
    EXPECT_EQ(content.substr(4096, 904), writer.port.written.back());
}

TEST(MultimediaMessages, WriteRefusedBeforeGoAheadSendsNoDataAndBrokenUploadGivesLinkCode) {
    MessagePhone refused;
    refused.port.On("AT$QKMMSW=3,3,891568578\r", {Info("$QKMMSERR: 4")});
    EXPECT_EQ(-4, refused.Write("abc"));
    EXPECT_EQ(3u, refused.port.written.size());

    MessagePhone broken;
    broken.port.On("AT$QKMMSW=3,3,891568578\r", {kOk});
    broken.port.writeFailure = LINK_WRITE_FAILED;
    broken.port.failingWrite = 3;
    EXPECT_EQ(LINK_WRITE_FAILED, broken.Write("abc"));
    EXPECT_TRUE(broken.OutputsCleared());
}

TEST(MultimediaMessageAnswers, ParsersFillNumbersAndForm) {
    struct Case {
        const char* name;
        std::string chunk;
        int32_t result;
        int32_t id;
        int32_t form;
        uint32_t r0;
        uint32_t r1;
    };
    const std::vector<Case> cases = {
        {"ReadForm", "$QKMMSR: 17,2048\r\n", PARSE_OK, AT_RSP_QKMMSR, kMessageReadForm, 17, 2048},
        {"SettingsForm", "$QKMMSR: 5\r\n", PARSE_OK, AT_RSP_QKMMSR, kMessageSettingsForm, 5, 0},
        {"BlanksAroundNumbers", "$QKMMSW:  3 , 18 \r\n", PARSE_OK, AT_RSP_QKMMSW, 0, 3, 18},
        {"List", "$QKMMSL: 0,4294967295\r\n", PARSE_OK, AT_RSP_QKMMSL, 0, 0, 4294967295u},
        {"ErrorLine", "$QKMMSERR: 6,1\r\n", PARSE_OK, AT_RSP_QKMMSERR, 0, 6, 0},
        {"ThreeFields", "$QKMMSR: 1,2,3\r\n", PARSE_BAD_FIELDS, AT_RSP_QKMMSR, 0, 0, 0},
        {"ListOneField", "$QKMMSL: 0\r\n", PARSE_BAD_FIELDS, AT_RSP_QKMMSL, 0, 0, 0},
        {"Signed", "$QKMMSW: -1,2\r\n", PARSE_BAD_FIELDS, AT_RSP_QKMMSW, 0, 0, 0},
        {"TooLarge", "$QKMMSR: 4294967296,1\r\n", PARSE_BAD_FIELDS, AT_RSP_QKMMSR, 0, 0, 0},
        {"EmptyField", "$QKMMSL: 0,\r\n", PARSE_BAD_FIELDS, AT_RSP_QKMMSL, 0, 0, 0},
        {"NoColon", "$QKMMSL 0,1\r\n", PARSE_NO_COLON, AT_RSP_QKMMSL, 0, 0, 0},
        {"ErrorWithoutNumber", "$QKMMSERR: x\r\n", PARSE_BAD_FIELDS, AT_RSP_QKMMSERR, 0, 0, 0},
    };
    CAtResponseParser parser;
    for (const Case& c : cases) {
        AtResponse response{};
        EXPECT_EQ(c.result, parser.ClassifyResponse(&response, c.chunk.data(), static_cast<uint32_t>(c.chunk.size())))
            << c.name;
        EXPECT_EQ(c.id, response.id) << c.name;
        if (c.result != PARSE_OK) continue;
        FamilyAnswerFields answer = FamilyAnswerFieldsOf(response);
        EXPECT_EQ(c.form, response.familyValue) << c.name;
        EXPECT_EQ(c.r0, answer.numbers[0]) << c.name;
        EXPECT_EQ(c.r1, answer.numbers[1]) << c.name;
    }
}

}  // namespace

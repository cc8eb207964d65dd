// The media-centre operations against a scripted handset.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "code_page_samples.h"
#include "handset_harness.h"
#include "media_records.h"

namespace {

using namespace mextal::test;
using Strings = std::vector<std::string>;

constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kError = "\r\nERROR\r\n";

std::string Info(const std::string& text) { return "\r\n" + text + "\r\n"; }
std::string Announce(const std::string& length, const std::string& name = "a b.mid") {
    return Info("$QKMCR: 2,255,0,\"" + name + "\"," + length);
}

enum class Op { List, Read, Id, Path, Query };

// A polite handset with the product's model agent; it runs one operation on
// fixed arguments and releases what the operation handed out.
struct MediaPhone : HandsetHarness {
    MediaPhone() : HandsetHarness(std::make_unique<CAtResponseParser>(), GetModelAgent()) { ScriptPoliteHandshake(); }
    ~MediaPhone() {
        std::free(text);
        std::free(data);
    }
    static std::string Line(Op op, const std::string& itemName = "a b.mid") {
        switch (op) {
            case Op::List:
                return "AT$QKMCL=3,\"" + itemName + "\"\r";
            case Op::Read:
                return "AT$QKMCR=2,255,0,\"" + itemName + "\"\r";
            case Op::Id:
                return "AT$QKMCPI=0,2,255,\"" + itemName + "\"\r";
            case Op::Path:
                return "AT$QKMCPI=1,2,42\r";
            default:
                return "AT$QKMCL=?\r";
        }
    }
    int32_t Run(Op op, const char* itemName = "a b.mid", char* buffer = nullptr) {
        switch (op) {
            case Op::List:
                return api.ListMediaCenter(&settings, 3, itemName, &text, &length);
            case Op::Read:
                return api.ReadMediaCenter(&settings, 2, 255, 0, itemName, &data, &length);
            case Op::Id:
                return api.GetMediaCenterId(&settings, 2, 255, itemName, &id);
            case Op::Path:
                return api.GetMediaCenterPath(&settings, 2, 42, &kind, buffer ? buffer : name);
            default:
                return api.QueryMediaCenterType(&settings, 3);
        }
    }
    int32_t Answer(Op op, Strings answer) {
        port.On(Line(op), std::move(answer));
        return Run(op);
    }
    char* text = nullptr;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    int32_t id = 0;
    int32_t kind = 0;
    char name[kMediaIdNameBytes] = "old";
};

class MediaCentre : public testing::Test {
protected:
    void SetUp() override { UseDefaultCodePage(); }
    void TearDown() override {
        UseDefaultCodePage();
        SetEnvironment("MODQUAR_AT_WAIT_TIMEOUT", nullptr);
    }
};

TEST_F(MediaCentre, ListWaitsModelTimeForFirstAnswerAndCountsTerminator) {
    for (const char* modelTimeout : {"777", static_cast<const char*>(nullptr)}) {
        SetEnvironment("MODQUAR_AT_WAIT_TIMEOUT", modelTimeout);
        MediaPhone p;
        ASSERT_EQ(MEXTAL_OK, p.Answer(Op::List, {Info("$QKMCL: 3,\"a\""), kOk, "a.mid;b c.mid\r\n", kOk}));
        EXPECT_EQ((Strings{"AT\r", "ATE0\r", MediaPhone::Line(Op::List)}), p.port.written);
        uint32_t first = modelTimeout ? 777 : 10000;
        EXPECT_EQ((std::vector<uint32_t>{2000, 10000, first, 10000, 60000, 10000}), p.port.readTimeouts);
        EXPECT_STREQ("a.mid;b c.mid", p.text);
        EXPECT_EQ(14u, p.length);
    }
}

TEST_F(MediaCentre, ReadTakesContentAndTwoMoreBytesAndReportsEachChunk) {
    std::string big(1 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) & 0x7F);
    const std::string wire = big + "\r\n";
    Strings bigAnswer{Announce(std::to_string(big.size()))};
    for (size_t at = 0; at < wire.size(); at += kReceiveBufferBytes)
        bigAnswer.push_back(wire.substr(at, kReceiveBufferBytes));
    bigAnswer.push_back(kOk);
    struct Case {
        std::string content;
        Strings answer;
        size_t chunks;
    };
    for (const Case& c :
         {Case{"abc", {Announce("3"), "abc\r\n", kOk}, 1},
          Case{"", {Announce("0"), "\r\n\r\nOK\r\n"}, 1},  // the final answer glued
          Case{"ab\r\ncd", {Announce("6"), "ab\r\n", "cd\r\n", kOk}, 2}, Case{big, bigAnswer, bigAnswer.size() - 2}}) {
        MediaPhone p;
        p.api.RegisterUI(reinterpret_cast<HandsetWindow>(0x10));
        ASSERT_EQ(MEXTAL_OK, p.Answer(Op::Read, c.answer)) << c.content.size();
        ASSERT_EQ(c.content.size(), p.length);
        EXPECT_EQ(c.content + "\r\n", std::string(reinterpret_cast<char*>(p.data), p.length + 2));
        uint64_t reported = 0;
        for (const ProgressMessage& m : p.progress) reported += m.message == MEXTAL_MSG_RECEIVED_PIECE ? m.bytes : 0;
        EXPECT_EQ(c.content.size() + 2, reported);
        EXPECT_EQ(c.chunks, p.progress.size());
    }
}

TEST_F(MediaCentre, IdPathAndQueryAnswers) {
    MediaPhone p;
    ASSERT_EQ(MEXTAL_OK, p.Answer(Op::Id, {Info("$QKMCPI: 0,2,255,\"a b.mid\",42"), kOk}));
    EXPECT_EQ(42, p.id);
    // The longest name the record holds fills a buffer of exactly its size.
    const std::string longest(kMediaIdNameCharacters, 'n');
    std::vector<char> buffer(kMediaIdNameBytes, 'x');
    p.port.On(MediaPhone::Line(Op::Path), {Info("$QKMCPI: 1,2,42,7,\"" + longest + "\""), kOk});
    ASSERT_EQ(MEXTAL_OK, p.Run(Op::Path, nullptr, buffer.data()));
    EXPECT_EQ(longest, buffer.data());
    EXPECT_EQ(7, p.kind);
    for (const char* group : {"(0-2,5)", "(0~2,5)"}) {
        p.port.On(MediaPhone::Line(Op::Query), {Info(std::string("$QKMCL: ") + group), kOk});
        for (uint32_t category = 0; category <= 9; ++category) {
            bool present = category <= 2 || category == 5;
            EXPECT_EQ(present ? MEXTAL_OK : MEXTAL_NO_SUCH_CATEGORY, p.api.QueryMediaCenterType(&p.settings, category))
                << group << category;
        }
    }
}

TEST_F(MediaCentre, NonAsciiNamesTravelInUtf8) {
    auto sample = UseLatinCodePage();
    if (!sample) GTEST_SKIP() << "no local code page with accented letters";
    MediaPhone p;
    const std::string quoted = "\"" + sample->utf8 + "\"";
    p.port.On(MediaPhone::Line(Op::List, sample->utf8), {Info("$QKMCL: 3"), kOk, sample->utf8 + "\r\n", kOk});
    p.port.On(MediaPhone::Line(Op::Id, sample->utf8), {Info("$QKMCPI: 0,2,255," + quoted + ",42"), kOk});
    p.port.On(MediaPhone::Line(Op::Path), {Info("$QKMCPI: 1,2,42,7," + quoted), kOk});
    ASSERT_EQ(MEXTAL_OK, p.Run(Op::List, sample->local.c_str()));
    EXPECT_EQ(sample->local, p.text);
    EXPECT_EQ(sample->local.size() + 1, p.length);
    ASSERT_EQ(MEXTAL_OK, p.Run(Op::Id, sample->local.c_str()));
    ASSERT_EQ(MEXTAL_OK, p.Run(Op::Path));
    EXPECT_EQ(sample->local, p.name);
}

TEST_F(MediaCentre, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    static char placedText = 'x';
    static uint8_t placedData = 1;
    const std::string tooLongForList(sizeof(MediaListFields::name), 'n');
    const std::string tooLongForId(kMediaIdNameBytes, 'n');
    using Call = std::function<int32_t(MediaPhone&)>;
    std::vector<Call> calls = {
        [](MediaPhone& p) { return p.api.ListMediaCenter(&p.settings, -1, "a", &p.text, &p.length); },
        [](MediaPhone& p) { return p.api.ListMediaCenter(&p.settings, 10, "a", &p.text, &p.length); },
        [](MediaPhone& p) { return p.Run(Op::List, nullptr); },
        [](MediaPhone& p) {
            char* given = &placedText;
            return p.api.ListMediaCenter(&p.settings, 3, "a", &given, &p.length);
        },
        [](MediaPhone& p) {
            p.length = 1;
            return p.Run(Op::List);
        },
        [](MediaPhone& p) { return p.Run(Op::List, "a\",\"b"); },
        [&](MediaPhone& p) { return p.Run(Op::List, tooLongForList.c_str()); },
        [](MediaPhone& p) { return p.api.ReadMediaCenter(&p.settings, 2, 254, 0, "a", &p.data, &p.length); },
        [](MediaPhone& p) { return p.api.ReadMediaCenter(&p.settings, 2, 255, 1, "a", &p.data, &p.length); },
        [](MediaPhone& p) { return p.api.ReadMediaCenter(&p.settings, 10, 255, 0, "a", &p.data, &p.length); },
        [](MediaPhone& p) {
            uint8_t* given = &placedData;
            return p.api.ReadMediaCenter(&p.settings, 2, 255, 0, "a", &given, &p.length);
        },
        [](MediaPhone& p) { return p.Run(Op::Read, "a\rAT+CFUN=0"); },
        [](MediaPhone& p) { return p.api.GetMediaCenterId(&p.settings, 2, 10, "a", &p.id); },
        [](MediaPhone& p) { return p.api.GetMediaCenterId(&p.settings, 2, -1, "a", &p.id); },
        [](MediaPhone& p) {
            p.id = 5;
            return p.Run(Op::Id);
        },
        [](MediaPhone& p) { return p.Run(Op::Id, "a\nb"); },
        [&](MediaPhone& p) { return p.Run(Op::Id, tooLongForId.c_str()); },
        [](MediaPhone& p) { return p.api.GetMediaCenterPath(&p.settings, 2, 0, &p.kind, p.name); },
        [](MediaPhone& p) {
            p.kind = 1;
            return p.Run(Op::Path);
        },
        [](MediaPhone& p) { return p.api.GetMediaCenterPath(&p.settings, 2, 42, &p.kind, nullptr); },
        [](MediaPhone& p) { return p.api.QueryMediaCenterType(&p.settings, 10); },
    };
    if (auto invalid = InvalidLocalName()) {
        calls.push_back([=](MediaPhone& p) { return p.Run(Op::List, invalid->c_str()); });
        calls.push_back([=](MediaPhone& p) { return p.Run(Op::Id, invalid->c_str()); });
    }
    for (size_t i = 0; i < calls.size(); ++i) {
        MediaPhone p;
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, calls[i](p)) << "call " << i;
        EXPECT_TRUE(p.port.written.empty()) << "call " << i;
    }
}

struct FailureCase {
    const char* name;
    Op op;
    Strings answer;
    int32_t result;
    int32_t id = 0;  // a named item's id is handed back even when the name is wrong
};

TEST_F(MediaCentre, FailuresGiveTheirCodeAndHandOutNothing) {
    const std::string listed = Info("$QKMCL: 3,\"a b.mid\"");
    const std::string named = Info("$QKMCPI: 0,2,255,\"a b.mid\",42");
    const std::string path = Info("$QKMCPI: 1,2,42,7,\"x\"");
    // Full chunks without a line end, twice the largest listing, then OK.
    Strings endlessListing{listed, kOk};
    endlessListing.resize(2 + 2 * kMostListingBytes / kReceiveBufferBytes, std::string(kReceiveBufferBytes, 'x'));
    endlessListing.push_back(kOk);
    const std::vector<FailureCase> cases = {
        {"ListRefused", Op::List, {kError}, MEXTAL_HANDSET_ERROR},
        {"ListOkOnly", Op::List, {kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"ListOtherCategory", Op::List, {Info("$QKMCL: 4"), kOk, "a\r\n", kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"ListNoColon", Op::List, {Info("$QKMCL 3")}, PARSE_NO_COLON},
        {"ListSilent", Op::List, {}, LINK_TIMEOUT},
        {"ListAnswerRefused", Op::List, {listed, kError}, MEXTAL_HANDSET_ERROR},
        {"ListingRefused", Op::List, {listed, kOk, "a.mid\r\n", kError}, MEXTAL_HANDSET_ERROR},
        {"ListingUnfinished", Op::List, {listed, kOk, "a.mid\r\n"}, LINK_TIMEOUT},
        {"ListingNeverEnds", Op::List, endlessListing, MEXTAL_UNEXPECTED_ANSWER},
        {"ListingNotLocal",
         Op::List,
         {listed, kOk, std::string(kUtf8WithoutLocalForm) + "\r\n", kOk},
         MEXTAL_UNEXPECTED_ANSWER},
        {"ReadRefused", Op::Read, {kError}, MEXTAL_HANDSET_ERROR},
        {"ReadOtherName", Op::Read, {Announce("3", "other"), "abc\r\n", kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"ReadNegativeLength", Op::Read, {Announce("-1"), "abc\r\n", kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"ReadLengthAboveLimit", Op::Read, {Announce("67108865")}, MEXTAL_UNEXPECTED_ANSWER},
        {"ReadLengthBeyond32Bits", Op::Read, {Announce("4294967295")}, MEXTAL_UNEXPECTED_ANSWER},
        {"ReadLengthAtLimitIsTaken", Op::Read, {Announce("67108864"), "abc\r\n"}, LINK_TIMEOUT},
        {"ReadCutShort", Op::Read, {Announce("10"), "abc\r\n"}, LINK_TIMEOUT},
        {"ReadFinalRefused", Op::Read, {Announce("3"), "abc\r\n", kError}, MEXTAL_HANDSET_ERROR},
        {"ReadRefusalGlued", Op::Read, {Announce("0"), "\r\n\r\nERROR\r\n"}, MEXTAL_HANDSET_ERROR},
        {"ReadFinalOdd", Op::Read, {Announce("3"), "abc\r\n", listed}, MEXTAL_UNEXPECTED_ANSWER},
        {"ReadUnfinished", Op::Read, {Announce("3"), "abc\r\n"}, LINK_TIMEOUT},
        {"IdRefused", Op::Id, {kError}, MEXTAL_HANDSET_ERROR},
        {"IdOtherName", Op::Id, {Info("$QKMCPI: 0,2,255,\"other\",42"), kOk}, MEXTAL_UNEXPECTED_ANSWER, 42},
        {"IdOtherForm", Op::Id, {Info("$QKMCPI: 1,2,42,7,\"a b.mid\""), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"IdFinalRefused", Op::Id, {named, kError}, MEXTAL_HANDSET_ERROR, 42},
        {"PathRefused", Op::Path, {kError}, MEXTAL_HANDSET_ERROR},
        {"PathOtherId", Op::Path, {Info("$QKMCPI: 1,2,43,7,\"x\""), kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"PathOtherForm", Op::Path, {named, kOk}, MEXTAL_UNEXPECTED_ANSWER},
        {"PathNameTooLong",
         Op::Path,
         {Info("$QKMCPI: 1,2,42,7,\"" + std::string(kMediaIdNameBytes, 'n') + "\"")},
         PARSE_BAD_FIELDS},
        {"PathNameNotLocal",
         Op::Path,
         {Info(std::string("$QKMCPI: 1,2,42,7,\"") + kUtf8WithoutLocalForm + "\""), kOk},
         MEXTAL_UNEXPECTED_ANSWER},
        {"PathFinalRefused", Op::Path, {path, kError}, MEXTAL_HANDSET_ERROR},
        {"QueryRefused", Op::Query, {kError}, MEXTAL_HANDSET_ERROR},
        {"QueryEmptyGroup", Op::Query, {Info("$QKMCL: ()"), kOk}, PARSE_BAD_FIELDS},
        {"QueryFinalRefused", Op::Query, {Info("$QKMCL: (0-9)"), kError}, MEXTAL_HANDSET_ERROR},
    };
    for (const FailureCase& c : cases) {
        MediaPhone p;
        EXPECT_EQ(c.result, p.Answer(c.op, c.answer)) << c.name;
        EXPECT_TRUE(p.text == nullptr && p.data == nullptr && p.length == 0) << c.name;
        EXPECT_TRUE(p.name[0] == '\0' || c.op != Op::Path) << c.name;
        EXPECT_EQ(0, p.kind) << c.name;
        EXPECT_EQ(c.id, p.id) << c.name;
    }
}

}  // namespace

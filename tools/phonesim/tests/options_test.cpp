#include "options.h"
#include "temp_folder.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace phonesim {
namespace {

struct SplitCase {
    std::string text;
    std::vector<std::string> words;
};

TEST(PhonesimSplitWords, BlanksSeparateAndQuotesGroup) {
    const SplitCase cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"--split", {"--split"}},
        {"  --delay\t200  ", {"--delay", "200"}},
        {"--model \"Big Phone\" --garbage", {"--model", "Big Phone", "--garbage"}},
        {"--sn \"\"", {"--sn", ""}},
        {"a\"b c\"d", {"ab cd"}},
    };
    for (const SplitCase& c : cases) {
        std::vector<std::string> words;
        std::string error;
        ASSERT_TRUE(SplitWords(c.text, words, error)) << c.text;
        EXPECT_EQ(words, c.words) << c.text;
    }
}

TEST(PhonesimSplitWords, UnterminatedQuote_IsRefused) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_FALSE(SplitWords("--model \"open", words, error));
    EXPECT_FALSE(error.empty());
}

ParsedOptions MustParse(const std::vector<std::string>& words, OptionScope scope = OptionScope::kCommandLine) {
    ParsedOptions options;
    std::string error;
    EXPECT_TRUE(ParseOptions(words, scope, options, error)) << error;
    return options;
}

struct OptionCase {
    std::vector<std::string> words;
    std::function<bool(const ParsedOptions&)> holds;
};

TEST(PhonesimOptions, EachOptionSetsItsSetting) {
    const OptionCase cases[] = {
        {{},
         [](const ParsedOptions& o) {
             return o.phone.model == "ZEKO6W" && o.phone.imei == "352099001761481" &&
                    o.phone.imeiFormat == ImeiFormat::kLabelled && !o.phone.garbage && !o.phone.split &&
                    o.phone.delayMs == 0 && o.phone.paceBaud == 0 && !o.phone.hangupAfter && o.start.linkPath.empty() &&
                    o.start.controlPort == 0;
         }},
        {{"--model", "K 750"}, [](const ParsedOptions& o) { return o.phone.model == "K 750"; }},
        {{"--model=A=B"}, [](const ParsedOptions& o) { return o.phone.model == "A=B"; }},
        {{"--imei", "490154203237518"}, [](const ParsedOptions& o) { return o.phone.imei == "490154203237518"; }},
        {{"--sn", "X1"}, [](const ParsedOptions& o) { return o.phone.serialNumber == "X1"; }},
        {{"--imei-format", "single"}, [](const ParsedOptions& o) { return o.phone.imeiFormat == ImeiFormat::kSingle; }},
        {{"--silent", "at+cgsn,ATZ"},
         [](const ParsedOptions& o) {
             return o.phone.silent == std::set<std::string>{"AT+CGSN", "ATZ"} && !o.phone.silentAll;
         }},
        {{"--silent", "AT", "--silent", "ATE0"},
         [](const ParsedOptions& o) {
             return o.phone.silent == std::set<std::string>{"AT", "ATE0"};
         }},
        {{"--silent", "all"}, [](const ParsedOptions& o) { return o.phone.silentAll; }},
        {{"--error", "AT+CGMM"}, [](const ParsedOptions& o) { return o.phone.error.count("AT+CGMM") == 1; }},
        {{"--garbage", "--split"}, [](const ParsedOptions& o) { return o.phone.garbage && o.phone.split; }},
        {{"--delay", "250"}, [](const ParsedOptions& o) { return o.phone.delayMs == 250; }},
        {{"--second-imei", "111", "--imei-change-after", "4"},
         [](const ParsedOptions& o) { return o.phone.secondImei == "111" && o.phone.imeiChangeAfter == 4L; }},
        {{"--hangup-after", "3"}, [](const ParsedOptions& o) { return o.phone.hangupAfter == 3L; }},
        {{"--pace", "9600"}, [](const ParsedOptions& o) { return o.phone.paceBaud == 9600; }},
        {{"--link", "/x/com5", "--control-port", "4000"},
         [](const ParsedOptions& o) { return o.start.linkPath == "/x/com5" && o.start.controlPort == 4000; }},
        {{"--model", "A", "--model", "B"}, [](const ParsedOptions& o) { return o.phone.model == "B"; }},
        {{"--fail", "at$fswf=5,AT$FSRF=0", "--fail", "AT+CRSM=37892", "--fail-after-data", "AT$TCKS=6", "--cut-raw",
          "AT$QKMCR=100"},
         [](const ParsedOptions& o) {
             return o.phone.fail ==
                        std::map<std::string, uint32_t>{{"AT$FSWF", 5}, {"AT$FSRF", 0}, {"AT+CRSM", 37892}} &&
                    o.phone.failAfterData == std::map<std::string, uint32_t>{{"AT$TCKS", 6}} &&
                    o.phone.cutRaw == std::map<std::string, uint32_t>{{"AT$QKMCR", 100}};
         }},
        {{"--stall", "at$fsrf", "--stall", "AT$TCKR", "--short-raw", "AT$QKMCR", "--bad-length", "AT$FSDIR,AT$FSRF"},
         [](const ParsedOptions& o) {
             return o.phone.stall == std::set<std::string>{"AT$FSRF", "AT$TCKR"} &&
                    o.phone.shortRaw == std::set<std::string>{"AT$QKMCR"} &&
                    o.phone.badLength == std::set<std::string>{"AT$FSDIR", "AT$FSRF"};
         }},
        {{"--no-card", "--no-sim", "--mc-clear", "--phone-lock", "12345678", "--reboot-delay", "0"},
         [](const ParsedOptions& o) {
             return o.phone.noCard && o.phone.noSim && o.phone.mcClear && o.phone.phoneLock == "12345678" &&
                    o.phone.rebootDelayMs == 0;
         }},
        {{"--sim-format", "usim", "--sim-records", "254", "--sim-record-length", "14"},
         [](const ParsedOptions& o) {
             return o.phone.simFormat == SimFormat::kUsim && o.phone.simRecords == 254 && o.phone.simRecordLength == 14;
         }},
        {{"--mc-categories", "(0~9)", "--mc-item", "3:7:a:b.mid:10", "--mc-item", "0:1:x:0", "--mc-fault",
          "other-name,form-2"},
         [](const ParsedOptions& o) {
             const std::vector<MediaItemOption>& items = o.phone.mcItems;
             return o.phone.mcCategories == std::string("(0~9)") && items.size() == 2 && items[0].category == 3 &&
                    items[0].id == 7 && items[0].name == "a:b.mid" && items[0].size == 10 &&
                    o.phone.mcFaults == std::set<MediaFault>{MediaFault::kOtherName, MediaFault::kForm2};
         }},
    };
    for (const OptionCase& c : cases) {
        ParsedOptions options = MustParse(c.words);
        EXPECT_TRUE(c.holds(options)) << ::testing::PrintToString(c.words);
    }
}

TEST(PhonesimOptions, BadWordsAreRefusedWithAMessage) {
    const std::vector<std::string> cases[] = {
        {"--bogus"},
        {"stray"},
        {"--model"},
        {"--delay", "-1"},
        {"--delay", "20ms"},
        {"--delay", "99999999999999999999"},
        {"--pace", "0"},
        {"--hangup-after", "0"},
        {"--imei-format", "short"},
        {"--silent", ""},
        {"--error", "AT,,ATZ"},
        {"--garbage=yes"},
        {"--second-imei", "111"},
        {"--imei-change-after", "2"},
        {"--control-port", "70000"},
        {"--link", ""},
        {"--fail", "AT$FSWF"},
        {"--fail", "=5"},
        {"--fail", "AT$FSWF=x"},
        {"--fail", "AT$FSWF=4294967296"},
        {"--fail", "AT$FSWF=1,"},
        {"--stall", "all"},
        {"--phone-lock", "123"},
        {"--phone-lock", "12a4"},
        {"--sim-format", "gsm"},
        {"--sim-records", "255"},
        {"--sim-record-length", "13"},
        {"--sim-state", "locked"},
        {"--imsi", "26201x"},
        {"--imsi", "12345"},
        {"--spn", "Name longer than 16"},
        {"--spn", "Caf\xC3\xA9"},
        {"--mc-item", "10:1:x:1"},
        {"--mc-item", "1:0:x:1"},
        {"--mc-item", "1:1::1"},
        {"--mc-item", "1:1:x"},
        {"--mc-item", "1:1:a\"b:1"},
        {"--mc-fault", "nonsense"},
        {"--no-card=1"},
    };
    for (const auto& words : cases) {
        ParsedOptions options;
        std::string error;
        EXPECT_FALSE(ParseOptions(words, OptionScope::kCommandLine, options, error)) << ::testing::PrintToString(words);
        EXPECT_FALSE(error.empty());
    }
}

TEST(PhonesimOptions, UnknownOption_IsNamedInTheMessage) {
    ParsedOptions options;
    std::string error;
    EXPECT_FALSE(ParseOptions({"--bogus", "1"}, OptionScope::kCommandLine, options, error));
    EXPECT_EQ(error, "unknown option --bogus");
}

TEST(PhonesimOptions, ResetRefusesStartOptions) {
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"--link", "/x/com5"}, std::vector<std::string>{"--control-port", "0"}}) {
        ParsedOptions options;
        std::string error;
        EXPECT_FALSE(ParseOptions(words, OptionScope::kReset, options, error));
        EXPECT_TRUE(ParseOptions(words, OptionScope::kCommandLine, options, error)) << error;
    }
}

// Each scenario file sits in a folder of its own, so tests running in parallel
// processes never share a path.
class ScenarioFile {
public:
    explicit ScenarioFile(const std::string& text) : path_(folder_.Entry("scenario.txt")) {
        std::ofstream(path_) << text;
    }
    const std::string& Path() const { return path_; }

private:
    ravelin::test::TempFolder folder_{"phonesim-scenario"};
    std::string path_;
};

TEST(PhonesimOptions, ScenarioFile_AppliesOneOptionPerLineAndSkipsComments) {
    ScenarioFile scenario(
        "# a slow phone that mumbles\r\n"
        "\n"
        "--model \"Slow One\"\r\n"
        "   # indented comment --split\n"
        "--garbage\n"
        "--delay 40\n");
    ParsedOptions options = MustParse({"--scenario", scenario.Path(), "--delay", "10"}, OptionScope::kReset);
    EXPECT_EQ(options.phone.model, "Slow One");
    EXPECT_TRUE(options.phone.garbage);
    EXPECT_FALSE(options.phone.split);
    EXPECT_EQ(options.phone.delayMs, 10) << "a later option overrides the scenario";
}

TEST(PhonesimOptions, ScenarioFile_MissingBadOrSelfIncludingIsRefused) {
    ScenarioFile badQuote("--model \"open\n");
    ScenarioFile badOption("--frobnicate\n");
    ScenarioFile startOption("--link /tmp/x\n");
    ScenarioFile selfIncluding("");
    std::ofstream(selfIncluding.Path()) << "--scenario " << selfIncluding.Path() << "\n";
    for (const std::string& path : {std::string("/nonexistent/scenario"), badQuote.Path(), badOption.Path(),
                                    startOption.Path(), selfIncluding.Path()}) {
        ParsedOptions options;
        std::string error;
        EXPECT_FALSE(ParseOptions({"--scenario", path}, OptionScope::kReset, options, error)) << path;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace phonesim

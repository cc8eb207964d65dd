#include "options.h"

#include <cstdio>
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
        {{}, [](const ParsedOptions& o) {
             return o.phone.model == "ZEKO6W" && o.phone.imei == "352099001761481" &&
                    o.phone.imeiFormat == ImeiFormat::kLabelled && !o.phone.garbage && !o.phone.split &&
                    o.phone.delayMs == 0 && o.phone.paceBaud == 0 && !o.phone.hangupAfter &&
                    o.start.linkPath.empty() && o.start.controlPort == 0;
         }},
        {{"--model", "K 750"}, [](const ParsedOptions& o) { return o.phone.model == "K 750"; }},
        {{"--model=A=B"}, [](const ParsedOptions& o) { return o.phone.model == "A=B"; }},
        {{"--imei", "490154203237518"}, [](const ParsedOptions& o) { return o.phone.imei == "490154203237518"; }},
        {{"--sn", "X1"}, [](const ParsedOptions& o) { return o.phone.serialNumber == "X1"; }},
        {{"--imei-format", "single"}, [](const ParsedOptions& o) { return o.phone.imeiFormat == ImeiFormat::kSingle; }},
        {{"--silent", "at+cgsn,ATZ"}, [](const ParsedOptions& o) {
             return o.phone.silent == std::set<std::string>{"AT+CGSN", "ATZ"} && !o.phone.silentAll;
         }},
        {{"--silent", "AT", "--silent", "ATE0"}, [](const ParsedOptions& o) {
             return o.phone.silent == std::set<std::string>{"AT", "ATE0"};
         }},
        {{"--silent", "all"}, [](const ParsedOptions& o) { return o.phone.silentAll; }},
        {{"--error", "AT+CGMM"}, [](const ParsedOptions& o) { return o.phone.error.count("AT+CGMM") == 1; }},
        {{"--garbage", "--split"}, [](const ParsedOptions& o) { return o.phone.garbage && o.phone.split; }},
        {{"--delay", "250"}, [](const ParsedOptions& o) { return o.phone.delayMs == 250; }},
        {{"--second-imei", "111", "--imei-change-after", "4"}, [](const ParsedOptions& o) {
             return o.phone.secondImei == "111" && o.phone.imeiChangeAfter == 4L;
         }},
        {{"--hangup-after", "3"}, [](const ParsedOptions& o) { return o.phone.hangupAfter == 3L; }},
        {{"--pace", "9600"}, [](const ParsedOptions& o) { return o.phone.paceBaud == 9600; }},
        {{"--link", "/x/com5", "--control-port", "4000"}, [](const ParsedOptions& o) {
             return o.start.linkPath == "/x/com5" && o.start.controlPort == 4000;
         }},
        {{"--model", "A", "--model", "B"}, [](const ParsedOptions& o) { return o.phone.model == "B"; }},
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

class ScenarioFile {
public:
    explicit ScenarioFile(const std::string& text) : path_(::testing::TempDir() + "phonesim_scenario_" +
                                                           std::to_string(counter_++) + ".txt") {
        std::ofstream(path_) << text;
    }
    ~ScenarioFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    static inline int counter_ = 0;
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

#include "apn_choice.h"

#include <gtest/gtest.h>

namespace ravelinwiz {
namespace {

// A two-digit and a three-digit network under one MCC, a network shared by a
// host and two virtual operators, an operator with several APNs, one without
// any and one listed twice on its network.
ApnTable TestTable() {
    return ApnTable({{"Host Mobile", {{"web.host", "web", "pw"}, {"fast.host", "", ""}, {"old.host", "", ""}}},
                     {"Virtual Talk", {{"virtual.net", "", ""}}},
                     {"Cheap Talk", {{"cheap.net", "c", "c"}}},
                     {"Three Digits", {{"three.net", "", ""}}},
                     {"Two Digits", {{"two.net", "", ""}}},
                     {"No Data", {}},
                     {"Twice", {{"twice.net", "", ""}}},
                     {"Twice", {{"twice.net", "", ""}}}},
                    {{262, 1, 2, 0},
                     {262, 1, 2, 1},
                     {262, 1, 2, 2},
                     {310, 10, 3, 3},
                     {310, 1, 2, 4},
                     {262, 9, 2, 5},
                     {262, 9, 2, 0},
                     {262, 2, 2, 0},
                     {262, 3, 2, 6},
                     {262, 3, 2, 7}});
}

TEST(ApnChoice, FollowsTheChoiceRules) {
    struct Case {
        const char* rule;
        SimOperator sim;
        std::vector<std::string> suggestions;  // "name: APN further APNs", in order
    };
    const std::string host = "Host Mobile: web.host fast.host old.host", talk = "Virtual Talk: virtual.net",
                      cheap = "Cheap Talk: cheap.net";
    const Case cases[] = {
        {"three digits where the table knows them", {"310", "010", ""}, {"Three Digits: three.net"}},
        {"two digits otherwise", {"310", "015", ""}, {"Two Digits: two.net"}},
        {"one operator", {"262", "020", "Host Mobile"}, {host}},
        {"SPN equal ignoring case and blanks", {"262", "015", "  virtual TALK "}, {talk}},
        {"SPN contained in the name", {"262", "015", "Cheap"}, {cheap}},
        {"no SPN: offer all", {"262", "015", ""}, {host, talk, cheap}},
        {"unmatched SPN: offer all", {"262", "015", "Elsewhere"}, {host, talk, cheap}},
        {"SPN matches several: offer those", {"262", "015", "Talk"}, {talk, cheap}},
        {"SPN names an operator without APN: nothing", {"262", "095", "No Data"}, {}},
        {"operator listed twice: offered once", {"262", "035", ""}, {"Twice: twice.net"}},
        {"unknown network", {"262", "555", ""}, {}},
    };
    const ApnTable table = TestTable();
    for (const Case& c : cases) {
        std::vector<std::string> described;
        for (const ApnSuggestion& suggestion : SuggestApns(table, c.sim)) {
            described.push_back(suggestion.operatorName + ": " + suggestion.setting.apn);
            for (const std::string& other : suggestion.otherApns) described.back() += " " + other;
        }
        EXPECT_EQ(described, c.suggestions) << c.rule;
    }
}

class CountingSim : public SimOperatorReader {
public:
    int reads = 0;
    bool Read(SimOperator& sim) override {
        ++reads;
        sim = {"310", "010", ""};
        return true;
    }
};

TEST(ApnChoice, SimAskedOnlyForAnEmptyApnFieldWithATable) {
    const ApnTable table = TestTable();
    CountingSim reader;
    EXPECT_TRUE(SuggestionsForEmptyApn("typed", &table, reader).empty());
    EXPECT_TRUE(SuggestionsForEmptyApn("", nullptr, reader).empty());
    EXPECT_EQ(reader.reads, 0);
    EXPECT_EQ(SuggestionsForEmptyApn("", &table, reader).size(), 1u);
    EXPECT_EQ(reader.reads, 1);
}

// Each empty field takes the kept suggestion's value, while its APN is the installed one.
TEST(ApnChoice, DialUpFieldsTakeTheKeptSuggestionsCredentialsWhenEmpty) {
    const ApnSuggestion kept{"Host Mobile", {"web.host", "web", "pw"}, {}};
    const auto filled = [](const std::optional<ApnSuggestion>& suggestion, const char* installedApn,
                           const Credentials& typed) {
        const Credentials result = PrefilledCredentials(suggestion, installedApn, typed);
        return result.userName + "/" + result.password;
    };
    EXPECT_EQ(filled(kept, "web.host", {"me", ""}), "me/pw");
    EXPECT_EQ(filled(kept, "web.host", {"", "mine"}), "web/mine");
    EXPECT_EQ(filled(kept, "other.apn", {"", ""}), "/");
    EXPECT_EQ(filled(std::nullopt, "web.host", {"", ""}), "/");
}

}  // namespace
}  // namespace ravelinwiz

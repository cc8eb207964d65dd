#include "apn_choice.h"

#include <gtest/gtest.h>

namespace ravelinwiz {
namespace {

// A small operator table: a two-digit and a three-digit network under one MCC,
// a network shared by a host and two virtual operators, an operator with
// several APNs and one without any.
ApnTable TestTable() {
    std::vector<MobileOperator> operators = {
        {"Host Mobile", {{"web.host", "web", "pw"}, {"fast.host", "", ""}, {"old.host", "", ""}}},  // 0
        {"Virtual Talk", {{"virtual.net", "", ""}}},                                               // 1
        {"Cheap Talk", {{"cheap.net", "c", "c"}}},                                                 // 2
        {"Three Digits", {{"three.net", "", ""}}},                                                 // 3
        {"Two Digits", {{"two.net", "", ""}}},                                                     // 4
        {"No Data", {}},                                                                           // 5
        {"Twice", {{"twice.net", "", ""}}},                                                        // 6
        {"Twice", {{"twice.net", "", ""}}},                                                        // 7
    };
    std::vector<NetworkId> networks = {
        {262, 1, 2, 0}, {262, 1, 2, 1}, {262, 1, 2, 2},
        {310, 10, 3, 3}, {310, 1, 2, 4},
        {262, 9, 2, 5}, {262, 9, 2, 0},
        {262, 2, 2, 0},
        {262, 3, 2, 6}, {262, 3, 2, 7},
    };
    return ApnTable(std::move(operators), std::move(networks));
}

struct ChoiceCase {
    const char* rule;
    SimOperator sim;
    std::vector<std::string> operatorNames;  // suggestions, in order
    const char* firstApn;
    std::vector<std::string> otherApns;      // of the first suggestion
};

class ApnChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ApnChoice, FollowsTheChoiceRules) {
    const ChoiceCase& c = GetParam();
    const ApnTable table = TestTable();
    const std::vector<ApnSuggestion> suggestions = SuggestApns(table, c.sim);

    std::vector<std::string> names;
    for (const ApnSuggestion& suggestion : suggestions) names.push_back(suggestion.operatorName);
    EXPECT_EQ(names, c.operatorNames) << c.rule;
    if (suggestions.empty()) return;
    EXPECT_EQ(suggestions.front().setting.apn, c.firstApn) << c.rule;
    EXPECT_EQ(suggestions.front().otherApns, c.otherApns) << c.rule;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ApnChoice,
    ::testing::Values(
        ChoiceCase{"three digits where the table knows them", {"310", "010", ""}, {"Three Digits"}, "three.net", {}},
        ChoiceCase{"two digits otherwise", {"310", "015", ""}, {"Two Digits"}, "two.net", {}},
        ChoiceCase{"two digits only from the SIM", {"310", "01", ""}, {"Two Digits"}, "two.net", {}},
        ChoiceCase{"one operator, several APNs: first, others in the tip",
                   {"262", "020", "Host Mobile"}, {"Host Mobile"}, "web.host", {"fast.host", "old.host"}},
        ChoiceCase{"shared id, SPN equal ignoring case and blanks",
                   {"262", "015", "  virtual TALK "}, {"Virtual Talk"}, "virtual.net", {}},
        ChoiceCase{"shared id, SPN contained in the name", {"262", "015", "Cheap"}, {"Cheap Talk"}, "cheap.net", {}},
        ChoiceCase{"shared id, no SPN: offer all",
                   {"262", "015", ""}, {"Host Mobile", "Virtual Talk", "Cheap Talk"}, "web.host",
                   {"fast.host", "old.host"}},
        ChoiceCase{"shared id, unmatched SPN: offer all",
                   {"262", "015", "Elsewhere"}, {"Host Mobile", "Virtual Talk", "Cheap Talk"}, "web.host",
                   {"fast.host", "old.host"}},
        ChoiceCase{"shared id, SPN matches several: offer those", {"262", "015", "Talk"},
                   {"Virtual Talk", "Cheap Talk"}, "virtual.net", {}},
        ChoiceCase{"SPN names an operator without APN: nothing", {"262", "095", "No Data"}, {}, "", {}},
        ChoiceCase{"operator listed twice: offered once", {"262", "035", ""}, {"Twice"}, "twice.net", {}},
        ChoiceCase{"unknown network", {"262", "555", ""}, {}, "", {}},
        ChoiceCase{"unknown country", {"999", "010", ""}, {}, "", {}},
        ChoiceCase{"IMSI too short", {"262", "0", ""}, {}, "", {}},
        ChoiceCase{"not digits", {"26x", "010", ""}, {}, "", {}}));

class ScriptedSim : public SimOperatorReader {
public:
    explicit ScriptedSim(std::optional<SimOperator> sim) : sim_(std::move(sim)) {}
    bool Read(SimOperator& sim) override {
        ++reads;
        if (sim_) sim = *sim_;
        return sim_.has_value();
    }
    int reads = 0;

private:
    std::optional<SimOperator> sim_;
};

TEST(ApnChoice, SimAskedOnlyForAnEmptyApnFieldWithATable) {
    const ApnTable table = TestTable();
    const SimOperator known{"310", "010", ""};
    struct Case {
        const char* rule;
        const char* apnText;
        bool withTable;
        std::optional<SimOperator> sim;
        size_t suggestions;
        int reads;
    };
    const Case cases[] = {
        {"empty field, known operator", "", true, known, 1, 1},
        {"typed APN stays", "typed", true, known, 0, 0},
        {"no table", "", false, known, 0, 0},
        {"no answer", "", true, std::nullopt, 0, 1},
        {"unknown operator", "", true, SimOperator{"001", "010", ""}, 0, 1},
    };
    for (const Case& c : cases) {
        ScriptedSim reader(c.sim);
        EXPECT_EQ(SuggestionsForEmptyApn(c.apnText, c.withTable ? &table : nullptr, reader).size(), c.suggestions)
            << c.rule;
        EXPECT_EQ(reader.reads, c.reads) << c.rule;
    }
}

TEST(ApnChoice, DialUpFieldsTakeTheKeptSuggestionsCredentialsWhenEmpty) {
    const ApnSuggestion kept{"Host Mobile", {"web.host", "web", "pw"}, {}};
    struct Case {
        const char* rule;
        std::optional<ApnSuggestion> kept;
        const char* installedApn;
        Credentials typed;
        Credentials expected;
    };
    const Case cases[] = {
        {"both empty", kept, "web.host", {"", ""}, {"web", "pw"}},
        {"typed user kept", kept, "web.host", {"me", ""}, {"me", "pw"}},
        {"typed password kept", kept, "web.host", {"", "mine"}, {"web", "mine"}},
        {"another APN installed", kept, "other.apn", {"", ""}, {"", ""}},
        {"no suggestion", std::nullopt, "web.host", {"", ""}, {"", ""}},
    };
    for (const Case& c : cases) {
        const Credentials filled = PrefilledCredentials(c.kept, c.installedApn, c.typed);
        EXPECT_EQ(filled.userName, c.expected.userName) << c.rule;
        EXPECT_EQ(filled.password, c.expected.password) << c.rule;
    }
}

}  // namespace
}  // namespace ravelinwiz

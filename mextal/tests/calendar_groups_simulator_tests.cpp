// The calendar-group operations against the handset simulator over the real
// serial link. The simulated handset has the group ids 1 to 10: 1 "Work"
// (16711680, tone /Sounds/Ring1.mid), 2 "Personal" (255), 3 "Birthdays"
// (65280), the others unused.
#include <cstring>
#include <string>
#include <vector>

#include "code_page_samples.h"
#include "family_simulator_fixture.h"

namespace {

using mextal::test::FamilySimulatorTest;

constexpr int32_t kShortTimeoutMs = 300;
const std::string kOk = "\r\nOK\r\n";

class CalendarSimulatorTest : public FamilySimulatorTest {
protected:
    int32_t Read(int32_t id) {
        std::memset(name_, 'N', sizeof name_);
        std::memset(path_, 'P', sizeof path_);
        colour_ = 7;
        return api_.ReadCalGroupPath(&settings_, id, name_, sizeof name_, path_, sizeof path_, &colour_);
    }
    std::vector<std::string> Stored(int id) { return phone_->Request("cal-get " + std::to_string(id)); }
    bool OutputsCleared() const { return name_[0] == '\0' && path_[0] == '\0' && colour_ == 0; }

    char name_[33] = {};
    char path_[261] = {};
    uint32_t colour_ = 0;
};

TEST_F(CalendarSimulatorTest, RangeAndDefaultGroupsReadBack) {
    StartPhone();
    int32_t first = 0;
    int32_t last = 0;
    ASSERT_EQ(MEXTAL_OK, api_.GetCalIdRange(&settings_, &first, &last));
    EXPECT_EQ(1, first);
    EXPECT_EQ(10, last);
    ASSERT_EQ(MEXTAL_OK, Read(1));
    EXPECT_STREQ("Work", name_);
    EXPECT_STREQ("/Sounds/Ring1.mid", path_);
    EXPECT_EQ(16711680u, colour_);
    char shortName[3];
    ASSERT_EQ(MEXTAL_OK, api_.ReadCalGroup(&settings_, 1, shortName, sizeof shortName, &colour_));
    EXPECT_STREQ("Wo", shortName);
    EXPECT_EQ(-1, Read(11));
    EXPECT_TRUE(OutputsCleared());
}

TEST_F(CalendarSimulatorTest, WrittenGroupsAreStoredAndReadBack) {
    StartPhone();
    ASSERT_EQ(MEXTAL_OK, api_.WriteCalGroup(&settings_, 4, "NONE", 0x123456, 0));
    ASSERT_EQ(MEXTAL_OK, Read(4));
    EXPECT_STREQ("NONE", name_);
    EXPECT_EQ(0x123456u, colour_);
    ASSERT_EQ(MEXTAL_OK, api_.WriteCalGroupPath(&settings_, 1, "Office", "", 255, 0, 0));
    EXPECT_EQ(std::vector<std::string>{"1,255,\"Office\",\"\""}, Stored(1));
    ASSERT_EQ(MEXTAL_OK, api_.WriteCalGroupPath(&settings_, 2, "Home", "/Sounds/Ring1.mid", 1, 0, 0));
    EXPECT_EQ(std::vector<std::string>{"2,1,\"Home\",\"/Sounds/Ring1.mid\""}, Stored(2));
    EXPECT_EQ(-4, api_.WriteCalGroupPath(&settings_, 2, "Home", "/Sounds/none.mid", 1, 0, 0));
    EXPECT_EQ(-1, api_.WriteCalGroup(&settings_, 11, "x", 0, 0));
    EXPECT_EQ(std::vector<std::string>{"2,1,\"Home\",\"/Sounds/Ring1.mid\""}, Stored(2));
}

TEST_F(CalendarSimulatorTest, NameOutsideAsciiTravelsAsUtf8) {
    std::optional<mextal::test::LocalSample> sample = mextal::test::UseLatinCodePage();
    if (!sample) GTEST_SKIP() << "no Latin code page";
    StartPhone();
    ASSERT_EQ(MEXTAL_OK, api_.WriteCalGroup(&settings_, 5, sample->local.c_str(), 0, 0));
    EXPECT_EQ(std::vector<std::string>{"5,0,\"" + sample->utf8 + "\",\"\""}, Stored(5));
    ASSERT_EQ(MEXTAL_OK, Read(5));
    EXPECT_EQ(sample->local, name_);
    mextal::test::UseDefaultCodePage();
}

TEST_F(CalendarSimulatorTest, FailuresGiveTheirCodesAndClearOutputs) {
    struct Case {
        std::string options;
        int32_t read;
        int32_t write;
    };
    const std::vector<Case> cases = {
        {"--error AT$QKCGR,AT$QKCGW", MEXTAL_HANDSET_ERROR, MEXTAL_HANDSET_ERROR},
        {"--fail AT$QKCGR=3,AT$QKCGW=2", -3, -2},
        {"--silent AT$QKCGR,AT$QKCGW", LINK_TIMEOUT, LINK_TIMEOUT},
        {"--stall AT$QKCGR", MEXTAL_FINAL_ANSWER_FAILED, MEXTAL_OK},
    };
    StartPhone();
    api_.SetWaitResTime(kShortTimeoutMs);
    for (const Case& c : cases) {
        phone_->Reset(c.options);
        EXPECT_EQ(c.read, Read(1)) << c.options;
        EXPECT_TRUE(OutputsCleared()) << c.options;
        EXPECT_EQ(c.write, api_.WriteCalGroup(&settings_, 1, "x", 0, 0)) << c.options;
    }
}

TEST_F(CalendarSimulatorTest, AnswerOfAnotherKindIsRefused) {
    StartPhone();
    const std::string request = "AT$QKCGR=1\r";
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"\r\n$TCK: 1,3\r\n", MEXTAL_UNEXPECTED_ANSWER},
        // A plain name in the line is found as an earlier keyword of the table.
        {"\r\n$QKCGR: 1,0,\"NONE\",\"\"\r\n", PARSE_NO_HANDLER},
    };
    for (const auto& [answer, result] : cases) {
        EXPECT_EQ(result, RunScripted([this] { return Read(1); }, {{"AT\r", kOk}, {"ATE0\r", kOk}, {request, answer}}))
            << answer;
        EXPECT_TRUE(OutputsCleared()) << answer;
    }
}

}  // namespace

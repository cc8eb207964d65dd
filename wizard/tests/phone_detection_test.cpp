#include "phone_detection.h"

#include <gtest/gtest.h>

#include "wizard_doubles.h"

namespace ravelinwiz {
namespace {

using testing::FakeDetector;
using testing::FakeUi;
using testing::RecordingSleeper;

struct DetectionRun {
    FakeDetector detector;
    RecordingSleeper sleeper;
    FakeUi ui;
    DetectionResults results;

    bool Next() { return RunPhoneDetection(detector, sleeper, ui, results); }
};

TEST(PhoneDetection, NoPhoneWithinFifteenPolls_ShowsNoPhoneMessageAndStays) {
    DetectionRun run;
    run.detector.model = "";
    run.detector.imei = "";

    EXPECT_FALSE(run.Next());

    EXPECT_EQ(run.sleeper.sleeps, std::vector<uint32_t>(15, 1000));
    EXPECT_EQ(run.detector.portReads, 15);
    EXPECT_EQ(run.ui.messages, std::vector<StringId>{kStrNoPhoneDetected});
    EXPECT_EQ(run.ui.buttons, (std::vector<WizardButtons>{kButtonBack, kButtonBack | kButtonNext}));
    EXPECT_EQ(run.results.port, 0);
    EXPECT_TRUE(run.results.portText.empty());
    EXPECT_EQ(run.ui.waitCursorShown, 15);
    EXPECT_EQ(run.ui.waitCursorDepth, 0);
}

struct FoundCase {
    int portAfterPolls;  // polls that still see no port
    int port;
    size_t expectedSleeps;
    const char* expectedText;
};

class PhoneFound : public ::testing::TestWithParam<FoundCase> {};

TEST_P(PhoneFound, MovesOnWithPortTextModelAndImei) {
    const FoundCase& c = GetParam();
    DetectionRun run;
    run.detector.portAfterPolls = c.portAfterPolls;
    run.detector.port = c.port;
    run.detector.model = "ZEKO6W";
    run.detector.imei = "356938035643809";

    EXPECT_TRUE(run.Next());

    EXPECT_EQ(run.sleeper.sleeps, std::vector<uint32_t>(c.expectedSleeps, 1000));
    EXPECT_EQ(run.results.port, c.port);
    EXPECT_EQ(run.results.portText, c.expectedText);
    EXPECT_EQ(run.results.model, "ZEKO6W");
    EXPECT_EQ(run.results.imei, "356938035643809");
    EXPECT_TRUE(run.ui.messages.empty());
    EXPECT_EQ(run.ui.LastButtons(), kButtonBack | kButtonNext);
    EXPECT_EQ(run.ui.waitCursorDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(PollCounts, PhoneFound,
                         ::testing::Values(FoundCase{0, 5, 1, "COM5"}, FoundCase{1, 12, 2, "COM12"},
                                           FoundCase{14, 30, 15, "COM30"}, FoundCase{0, 1, 1, "COM1"}));

TEST(PhoneDetection, PortAppearingAfterTheLastPoll_IsNotSeen) {
    DetectionRun run;
    run.detector.portAfterPolls = 15;
    run.detector.port = 3;

    EXPECT_FALSE(run.Next());
    EXPECT_EQ(run.sleeper.sleeps.size(), 15u);
    EXPECT_EQ(run.ui.messages, std::vector<StringId>{kStrNoPhoneDetected});
}

TEST(PhoneDetection, ModelAndImeiAreCopiedEvenWithoutPort) {
    DetectionRun run;
    run.detector.model = "X9";
    run.detector.imei = "12345";

    EXPECT_FALSE(run.Next());
    EXPECT_EQ(run.results.model, "X9");
    EXPECT_EQ(run.results.imei, "12345");
}

TEST(PhoneDetection, NegativePort_EndsPollingAndCountsAsNoPhone) {
    DetectionRun run;
    run.detector.portAfterPolls = 0;
    run.detector.port = -1;

    EXPECT_FALSE(run.Next());
    EXPECT_EQ(run.sleeper.sleeps.size(), 1u);
    EXPECT_EQ(run.ui.messages, std::vector<StringId>{kStrNoPhoneDetected});
    EXPECT_TRUE(run.results.portText.empty());
}

TEST(PhoneDetection, SecondNext_FindsPortOfRunningDetectorAtFirstPoll) {
    DetectionRun run;
    run.detector.portAfterPolls = 15;
    run.detector.port = 7;
    EXPECT_FALSE(run.Next());

    run.sleeper.sleeps.clear();
    EXPECT_TRUE(run.Next());
    EXPECT_EQ(run.detector.startCalls, 2);
    EXPECT_EQ(run.sleeper.sleeps, std::vector<uint32_t>{1000});
    EXPECT_EQ(run.results.portText, "COM7");
}

}  // namespace
}  // namespace ravelinwiz

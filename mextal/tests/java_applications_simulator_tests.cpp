// The Java-application operations against the handset simulator over the real
// serial link. The simulated handset runs MIDP 2.0 on CLDC 1.1 with 2 MiB for
// packages and has two suites installed: "Sudoku" 1.0.2 (48213 bytes) and
// "Weather" 2.1 (102400 bytes).
#include <cstdlib>
#include <string>
#include <vector>

#include "family_simulator_fixture.h"

namespace {

using mextal::test::FamilySimulatorTest;

constexpr int32_t kShortTimeoutMs = 300;
const std::string kOk = "\r\nOK\r\n";
const std::string kDefaultListing =
    "48213,\"Sudoku\",\"Example Games\",\"1.0.2\"\r\n102400,\"Weather\",\"Example Labs\",\"2.1\"";

std::string Descriptor(const std::string& name, const std::string& version, size_t jarSize,
                       const std::string& more = "MIDlet-Vendor: Example Games\r\n") {
    return "MIDlet-Name: " + name + "\r\nMIDlet-Version: " + version +
           "\r\nMIDlet-Jar-Size: " + std::to_string(jarSize) + "\r\n" + more;
}

class JavaSimulatorTest : public FamilySimulatorTest {
protected:
    void TearDown() override {
        api_.FreeRecvMem(&text_);
        FamilySimulatorTest::TearDown();
    }
    int32_t List() {
        api_.FreeRecvMem(&text_);
        length_ = 0;
        return api_.JavaList(&settings_, &text_, &length_);
    }
    int32_t Check(const std::string& descriptor) {
        return api_.JavaPrecheck(&settings_, descriptor.data(), static_cast<uint32_t>(descriptor.size()));
    }
    int32_t Install(const std::string& package) {
        return api_.JavaInstall(&settings_, reinterpret_cast<const uint8_t*>(package.data()),
                                static_cast<uint32_t>(package.size()));
    }
    std::string Listed() const { return text_ != nullptr ? std::string(text_) : "(none)"; }

    char* text_ = nullptr;
    uint32_t length_ = 0;
};

TEST_F(JavaSimulatorTest, TargetVersionAndDefaultSuites) {
    StartPhone();
    char version[64];
    ASSERT_EQ(MEXTAL_OK, api_.JavaQueryTargetVer(&settings_, version, sizeof version));
    EXPECT_STREQ("MIDP-2.0 CLDC-1.1", version);
    ASSERT_EQ(MEXTAL_OK, api_.JavaQueryTargetVer(&settings_, version, 5));
    EXPECT_STREQ("MIDP", version);
    ASSERT_EQ(MEXTAL_OK, List());
    EXPECT_EQ(kDefaultListing, Listed());
    EXPECT_EQ(kDefaultListing.size() + 1, length_);
    EXPECT_EQ(kDefaultListing.size() + 2, ProgressBytes(MEXTAL_MSG_RECEIVED_PIECE));
}

TEST_F(JavaSimulatorTest, CheckedSuiteInstallsListsAndDeletes) {
    StartPhone();
    std::string descriptor = Descriptor("Chess", "1.0", 3000);
    ASSERT_EQ(MEXTAL_OK, Check(descriptor));
    ASSERT_EQ(MEXTAL_OK, Install(std::string(3000, 'c')));
    const std::vector<std::pair<uint32_t, uint32_t>> sent = {
        {MEXTAL_MSG_SENT_PIECE, static_cast<uint32_t>(descriptor.size())},
        {MEXTAL_MSG_SENT_PIECE, 2048},
        {MEXTAL_MSG_SENT_PIECE, 952}};
    EXPECT_EQ(sent, progress_);
    ASSERT_EQ(MEXTAL_OK, List());
    EXPECT_EQ("3000,\"Chess\",\"Example Games\",\"1.0\"\r\n" + kDefaultListing, Listed());
    EXPECT_EQ(MEXTAL_OK, api_.JavaDelete(&settings_, "Chess", 0));
    EXPECT_EQ(-5, api_.JavaDelete(&settings_, "Chess", 0));
    EXPECT_EQ(std::vector<std::string>(
                  {"48213,\"Sudoku\",\"Example Games\",\"1.0.2\"", "102400,\"Weather\",\"Example Labs\",\"2.1\""}),
              phone_->Request("java-list"));
}

TEST_F(JavaSimulatorTest, LargePackageGoesInPiecesAddingUpToItsLength) {
    StartPhone();
    std::string package(102400, '\0');
    for (size_t i = 0; i < package.size(); ++i) package[i] = static_cast<char>(i % 251);
    ASSERT_EQ(MEXTAL_OK, Check(Descriptor("Atlas", "3.2.1", package.size())));
    progress_.clear();
    ASSERT_EQ(MEXTAL_OK, Install(package));
    EXPECT_EQ(package.size() / 2048, progress_.size());
    EXPECT_EQ(package.size(), ProgressBytes(MEXTAL_MSG_SENT_PIECE));
    ASSERT_EQ(MEXTAL_OK, List());
    EXPECT_EQ("102400,\"Atlas\",\"Example Games\",\"3.2.1\"\r\n" + kDefaultListing, Listed());
}

TEST_F(JavaSimulatorTest, HandsetRefusalsGiveMinusTheirNumber) {
    StartPhone();
    EXPECT_EQ(-7, Install(std::string(10, 'x')));
    ASSERT_EQ(MEXTAL_OK, Check(Descriptor("Chess", "1.0", 3000)));
    EXPECT_EQ(-2, Install(std::string(2999, 'x')));
    EXPECT_EQ(-4, Check(Descriptor("Sudoku", "1.0.2", 48213)));
    EXPECT_EQ(-3, Check(Descriptor("Chess", "1.0", 3000,
                                   "MIDlet-Vendor: Example Games\r\nMicroEdition-Profile: MIDP-3.0\r\n")));
    EXPECT_EQ(-2, Check(Descriptor("Chess", "1.0", 3000, "")));
    EXPECT_EQ(-1, Check(Descriptor("Huge", "1.0", 4000000)));
    EXPECT_EQ(-5, api_.JavaDelete(&settings_, "Chess", 0));
}

TEST_F(JavaSimulatorTest, FailuresGiveTheirCodesAndHandOutNothing) {
    struct Case {
        std::string options;
        int32_t list;
        int32_t check;
    };
    const std::vector<Case> cases = {
        {"--error AT$TCKR,AT$TCKS", MEXTAL_HANDSET_ERROR, MEXTAL_HANDSET_ERROR},
        {"--fail AT$TCKR=3,AT$TCKS=1", -3, -1},
        {"--fail-after-data AT$TCKS=6", MEXTAL_OK, -6},
        {"--silent AT$TCKR,AT$TCKS", LINK_TIMEOUT, LINK_TIMEOUT},
        {"--stall AT$TCKR,AT$TCKS", MEXTAL_FINAL_ANSWER_FAILED, MEXTAL_FINAL_ANSWER_FAILED},
        {"--short-raw AT$TCKR", MEXTAL_UNEXPECTED_ANSWER, MEXTAL_OK},
        {"--bad-length AT$TCKR", MEXTAL_UNEXPECTED_ANSWER, MEXTAL_OK},
    };
    StartPhone();
    api_.SetWaitResTime(kShortTimeoutMs);
    api_.SetLongTimeoutForTesting(kShortTimeoutMs);
    for (const Case& c : cases) {
        phone_->Reset(c.options);
        EXPECT_EQ(c.list, List()) << c.options;
        EXPECT_EQ(c.list == MEXTAL_OK, text_ != nullptr) << c.options;
        EXPECT_EQ(c.check, Check(Descriptor("Chess", "1.0", 3000))) << c.options;
    }
}

TEST_F(JavaSimulatorTest, CablePulledDuringListingGivesLostAnswer) {
    StartPhone("--cut-raw AT$TCKR=20");
    api_.SetWaitResTime(kShortTimeoutMs);
    EXPECT_EQ(MEXTAL_FINAL_ANSWER_FAILED, List());
    EXPECT_EQ(nullptr, text_);
    EXPECT_EQ(0u, length_);
}

TEST_F(JavaSimulatorTest, BareNackAndAnswersOfAnotherKindAreRefused) {
    StartPhone();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"AT$TCKS=3,\"Chess\"\r", "\r\nNACK\r\n"},
        {"AT$TCKR=2\r", "\r\nINFO: 2,0,1,1\r\n"},
    };
    for (const auto& [request, answer] : cases) {
        auto operation = [this, line = request] {
            return line == "AT$TCKR=2\r" ? List() : api_.JavaDelete(&settings_, "Chess", 0);
        };
        EXPECT_EQ(MEXTAL_UNEXPECTED_ANSWER, RunScripted(operation, {{"AT\r", kOk}, {"ATE0\r", kOk}, {request, answer}}))
            << answer;
        EXPECT_EQ(nullptr, text_);
    }
}

}  // namespace

// The identification and flow-control operations of the handset library over the
// real serial link, against a simulated phone that misbehaves in one way per case:
// every fault ends in its own result code within the waits the library was given,
// the phone gets exactly the command lines the fault allows, no handle or thread is
// left behind, and a well-behaved phone then answers the same operation correctly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "fault_support.h"
#include "mextal/mextal.h"
#include "serlox/serlox.h"
#include "support/simulated_phone.h"

namespace {

using namespace std::chrono_literals;
using ravelin::faults::HandsetWaits;
using ravelin::faults::Stopwatch;
using ravelin::test::CountProcessResources;
using ravelin::test::Describe;
using ravelin::test::HoldsNoMoreThan;
using ravelin::test::ProcessResources;
using ravelin::test::SimulatedPhone;
using ravelin::test::WaitUntil;
using testing::AnyOf;
using testing::Eq;

constexpr uint32_t kBaudRate = 115200;
constexpr char kModel[] = "QV-T410";
constexpr char kImei[] = "353918057226415";
constexpr uint32_t kTextSize = 128;
constexpr int32_t kFlowMode = 2;

// Waits given to the library, short so that a silent step costs little.
constexpr int32_t kRetries = 2;
constexpr int32_t kHandshakeMs = 250;
constexpr int32_t kResponseMs = 400;
constexpr int32_t kResetAttempts = 1;  // the library makes two "ATZ" tries
constexpr int32_t kResetTimeoutMs = 250;
// Scheduling allowance on top of the waits an operation may spend: a hang shows
// up as a run far beyond it.
constexpr long long kSlackMs = 2000;
// The simulator pulls the cable at the latest this long after its last answer.
constexpr long long kHangupGraceMs = 1000;

// Response parser codes that the operations pass on.
constexpr int32_t kUnrecognisedAnswer = 4097;
constexpr int32_t kWrongFieldCount = 4102;

constexpr size_t kLongLineBytes = 5000;
constexpr char kLongLineByte = 'M';  // no response keyword begins with it

struct Texts {
    char model[kTextSize] = {};
    char imei[kTextSize] = {};
};

struct Operation {
    std::string name;
    // The command lines the phone gets when nothing goes wrong.
    std::vector<std::string> commands;
    int32_t (*run)(const PortSettings* settings, Texts& texts);
    // Result and command lines when a garbage line precedes every answer. The
    // handshake meets the unknown line on every try, and the purge before the
    // next try drops the "OK" that came after it.
    int32_t garbageResult;
    std::vector<std::string> garbageCommands;
};

void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> operations = {
        {"QueryModel",
         {"AT", "ATE0", "AT+CGMM"},
         [](const PortSettings* settings, Texts& texts) { return QueryModel(settings, texts.model, kTextSize); },
         kUnrecognisedAnswer,
         {"AT", "AT"}},
        {"QueryImei",
         {"AT", "ATE0", "AT+CGSN"},
         [](const PortSettings* settings, Texts& texts) { return QueryImei(settings, texts.imei, kTextSize); },
         kUnrecognisedAnswer,
         {"AT", "AT"}},
        // Without a purge between the reset tries, the first try's late "OK"
        // answers the second, whose echo then stands where "ATE0" expects its answer.
        {"DetectHandSetModel",
         {"ATZ", "ATE0", "AT+CGMM", "AT+CGSN"},
         [](const PortSettings* settings, Texts& texts) {
             return DetectHandSetModel(settings, kResetAttempts, kResetTimeoutMs, texts.model, kTextSize, texts.imei,
                                       kTextSize);
         },
         MEXTAL_UNEXPECTED_ANSWER,
         {"ATZ", "ATZ", "ATE0"}},
        {"SetMsFlowControl",
         {"AT", "ATE0", "AT+IFC=2"},
         [](const PortSettings* settings, Texts&) { return SetMsFlowControl(settings, kFlowMode); },
         kUnrecognisedAnswer,
         {"AT", "AT"}},
    };
    return operations;
}

// The command keyword the simulator's --error and --silent lists take.
std::string Keyword(const std::string& command) { return command.substr(0, command.find('=')); }

bool Contains(const std::vector<std::string>& commands, const std::string& command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

bool Reads(const Operation& operation, const std::string& command) { return Contains(operation.commands, command); }

// How often a step is tried and how long each try waits for its answer.
struct StepWaits {
    int tries;
    long long waitMs;
};

StepWaits WaitsOf(const std::string& command) {
    if (command == "AT") return {kRetries, kHandshakeMs};
    if (command == "ATZ") return {kResetAttempts + 1, kResetTimeoutMs};
    return {1, kResponseMs};
}

long long AllWaitsMs(const Operation& operation) {
    long long total = 0;
    for (const std::string& command : operation.commands) {
        StepWaits waits = WaitsOf(command);
        total += waits.tries * waits.waitMs;
    }
    return total;
}

// The command lines up to a step that fails on every try.
std::vector<std::string> CommandsUpToFailing(const Operation& operation, size_t step) {
    std::vector<std::string> commands(operation.commands.begin(), operation.commands.begin() + step);
    commands.insert(commands.end(), WaitsOf(operation.commands[step]).tries, operation.commands[step]);
    return commands;
}

std::string WireBytes(const std::vector<std::string>& commands) {
    std::string bytes;
    for (const std::string& command : commands) bytes += command + "\r";
    return bytes;
}

// gtest names take letters, digits and underscores only.
std::string NamePart(const std::string& text) {
    std::string name;
    for (char c : text) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class HandsetFaultTest : public testing::Test {
protected:
    void StartPhone(const std::string& options) {
        phone_ = SimulatedPhone::Start(0, DefaultPhone() + " " + options);
        settings_ = PortSettings{static_cast<uint32_t>(phone_->ComPort()), kBaudRate, 0};
        port_ = SerloxGetObj(phone_->ComPort());
        ASSERT_NE(port_, nullptr);
        // A first open may set up the system's serial stack once; that is no leak.
        ASSERT_EQ(port_->Open(settings_), LINK_OK);
        port_->Close();
        baseline_ = CountProcessResources();
        ASSERT_EQ(port_->Open(settings_), LINK_OK);
    }

    void TearDown() override {
        if (port_ == nullptr) return;
        port_->Close();
        // Under Windows a failed assertion makes the test framework start a
        // thread of its own; only a test that passed so far is checked.
        if (HasFailure()) return;
        EXPECT_TRUE(WaitUntil([&] { return HoldsNoMoreThan(CountProcessResources(), baseline_); }, 2s))
            << "before: " << Describe(baseline_) << "; after: " << Describe(CountProcessResources());
    }

    static std::string DefaultPhone() { return std::string("--model ") + kModel + " --imei " + kImei; }

    // A well-behaved phone on the same open port: the operation succeeds, so the
    // fault left nothing behind that a purge does not clear.
    void ExpectCleanRun(const Operation& operation) {
        phone_->Reset(DefaultPhone());
        Texts texts;
        ASSERT_EQ(operation.run(&settings_, texts), MEXTAL_OK) << "after the fault";
        ExpectTextsRead(operation, texts, operation.commands.size());
        EXPECT_EQ(phone_->TakeReceived(), WireBytes(operation.commands));
    }

    // The texts whose command was answered before `step` hold the phone's texts,
    // the others stay empty.
    static void ExpectTextsRead(const Operation& operation, const Texts& texts, size_t step) {
        const std::vector<std::string> answered(operation.commands.begin(), operation.commands.begin() + step);
        EXPECT_STREQ(texts.model, Contains(answered, "AT+CGMM") ? kModel : "");
        EXPECT_STREQ(texts.imei, Contains(answered, "AT+CGSN") ? kImei : "");
    }

    HandsetWaits waits_{kRetries, kHandshakeMs, kResponseMs};
    std::unique_ptr<SimulatedPhone> phone_;
    PortSettings settings_{};
    CSerloxObj* port_ = nullptr;
    ProcessResources baseline_;
};

// Every byte of a long line comes on its own, so the port's reader waits for
// input once per byte: the line arrives whole and the port is never taken for lost.
TEST_F(HandsetFaultTest, LongLineSplitByteByByte_ArrivesWholeAndKeepsThePortOpen) {
    constexpr size_t kChunkBytes = 2048;
    constexpr uint32_t kLineWaitMs = 15000;
    StartPhone("--split");
    std::string line;
    for (size_t i = 0; line.size() < kLongLineBytes / 2; ++i) line += static_cast<char>('a' + i % 26);
    phone_->SendRaw(line + "\r\n");
    char chunk[kChunkBytes];
    uint32_t length = 0;
    ASSERT_EQ(port_->ReadChunk(chunk, kChunkBytes, &length, kLineWaitMs, 0, 0), LINK_OK);
    EXPECT_EQ(std::string(chunk, length), line.substr(0, kChunkBytes));
    ASSERT_EQ(port_->ReadChunk(chunk, kChunkBytes, &length, kLineWaitMs, 0, 0), LINK_OK);
    EXPECT_EQ(std::string(chunk, length), line.substr(kChunkBytes) + "\r\n");
    EXPECT_EQ(port_->IsOpen(), 1);
}

// ---------------------------------------------------------------------------
// One step of one operation fails: refused with "ERROR", or never answered.

struct StepCase {
    Operation operation;
    size_t step;
};

void PrintTo(const StepCase& step, std::ostream* out) {
    *out << step.operation.name << " at " << step.operation.commands[step.step];
}

std::vector<StepCase> EveryStep() {
    std::vector<StepCase> cases;
    for (const Operation& operation : Operations()) {
        for (size_t step = 0; step < operation.commands.size(); ++step) cases.push_back({operation, step});
    }
    return cases;
}

std::string StepName(const testing::TestParamInfo<StepCase>& info) {
    return info.param.operation.name + "_" + NamePart(Keyword(info.param.operation.commands[info.param.step]));
}

class FailingStepTest : public HandsetFaultTest, public testing::WithParamInterface<StepCase> {
protected:
    const Operation& operation() const { return GetParam().operation; }
    size_t step() const { return GetParam().step; }
    const std::string& command() const { return operation().commands[step()]; }
};

using RefusedStepTest = FailingStepTest;
using SilentStepTest = FailingStepTest;

TEST_P(RefusedStepTest, FailsWithHandsetErrorAfterEveryTry) {
    StartPhone("--error " + Keyword(command()));
    Texts texts;
    Stopwatch watch;
    EXPECT_EQ(operation().run(&settings_, texts), MEXTAL_HANDSET_ERROR);
    EXPECT_LT(watch.ElapsedMs(), kSlackMs);
    EXPECT_EQ(phone_->Commands(), CommandsUpToFailing(operation(), step()));
    ExpectTextsRead(operation(), texts, step());
    ExpectCleanRun(operation());
}

TEST_P(SilentStepTest, TimesOutAfterEveryTryHasWaited) {
    StartPhone("--silent " + Keyword(command()));
    const StepWaits waits = WaitsOf(command());
    Texts texts;
    Stopwatch watch;
    EXPECT_EQ(operation().run(&settings_, texts), LINK_TIMEOUT);
    const long long elapsed = watch.ElapsedMs();
    EXPECT_GE(elapsed, waits.tries * waits.waitMs * 9 / 10);
    EXPECT_LT(elapsed, waits.tries * waits.waitMs + kSlackMs);
    EXPECT_EQ(phone_->Commands(), CommandsUpToFailing(operation(), step()));
    ExpectTextsRead(operation(), texts, step());
    ExpectCleanRun(operation());
}

INSTANTIATE_TEST_SUITE_P(EveryStep, RefusedStepTest, testing::ValuesIn(EveryStep()), StepName);
INSTANTIATE_TEST_SUITE_P(EveryStep, SilentStepTest, testing::ValuesIn(EveryStep()), StepName);

// ---------------------------------------------------------------------------
// The cable is pulled once the phone has answered the n-th command line.

class CablePulledTest : public FailingStepTest {
protected:
    bool PhonePlugged() { return !phone_->Request("pty").front().empty(); }
};

TEST_P(CablePulledTest, FailsWithLinkLossAndWorksAgainAfterReplug) {
    const size_t answered = step() + 1;
    StartPhone("--hangup-after " + std::to_string(answered));
    Texts texts;
    Stopwatch watch;
    const int32_t result = operation().run(&settings_, texts);
    const long long elapsed = watch.ElapsedMs();
    RecordProperty("operation_result", result);
    RecordProperty("elapsed_ms", std::to_string(elapsed));
    if (answered == operation().commands.size()) {
        EXPECT_EQ(result, MEXTAL_OK);
    } else {
        // Which one depends on where the loss is met: a write, a configure, or a
        // read already waiting for an answer that never comes.
        EXPECT_THAT(result,
                    AnyOf(Eq(LINK_NOT_OPEN), Eq(LINK_WRITE_FAILED), Eq(LINK_TIMEOUT), Eq(MEXTAL_PORT_UNAVAILABLE)));
    }
    EXPECT_LT(elapsed, AllWaitsMs(operation()) + kHangupGraceMs + kSlackMs);
    ExpectTextsRead(operation(), texts, answered);
    ASSERT_TRUE(WaitUntil([&] { return !PhonePlugged(); }, 3s));
    EXPECT_TRUE(WaitUntil([&] { return port_->IsOpen() == 0; }, 3s)) << "the reader did not notice the loss";
    std::vector<std::string> sent(operation().commands.begin(), operation().commands.begin() + answered);
    EXPECT_EQ(phone_->Commands(), sent);

    phone_->Plug();
    ASSERT_EQ(port_->Open(settings_), LINK_OK);
    ExpectCleanRun(operation());
}

INSTANTIATE_TEST_SUITE_P(AfterEveryCommand, CablePulledTest, testing::ValuesIn(EveryStep()), StepName);

// ---------------------------------------------------------------------------
// The whole operation against one kind of misbehaviour.

class OperationFaultTest : public HandsetFaultTest, public testing::WithParamInterface<Operation> {
protected:
    const Operation& operation() const { return GetParam(); }

    // Runs the operation against a phone that behaves; checks the texts and that
    // the phone got exactly the operation's command bytes.
    void ExpectSuccess() {
        Texts texts;
        ASSERT_EQ(operation().run(&settings_, texts), MEXTAL_OK);
        ExpectTextsRead(operation(), texts, operation().commands.size());
        EXPECT_EQ(phone_->TakeReceived(), WireBytes(operation().commands));
    }

    // The commands up to and including `command`, or all of them when the
    // operation does not send it.
    std::vector<std::string> CommandsThrough(const std::string& command) const {
        std::vector<std::string> commands;
        for (const std::string& sent : operation().commands) {
            commands.push_back(sent);
            if (sent == command) break;
        }
        return commands;
    }
};

TEST_P(OperationFaultTest, GarbageLineBeforeEveryAnswer_IsNeverTakenForAnAnswer) {
    StartPhone("--garbage");
    Texts texts;
    EXPECT_EQ(operation().run(&settings_, texts), operation().garbageResult);
    EXPECT_STREQ(texts.model, "");
    EXPECT_STREQ(texts.imei, "");
    EXPECT_EQ(phone_->Commands(), operation().garbageCommands);
    ExpectCleanRun(operation());
}

TEST_P(OperationFaultTest, AnswersSplitByteByByte_AreReassembled) {
    StartPhone("--split");
    ExpectSuccess();
}

TEST_P(OperationFaultTest, AnswersPacedAt115200Baud_ArriveWhole) {
    StartPhone("--pace 115200");
    ExpectSuccess();
}

// A model line longer than two line chunks: the first chunk is the model, cut to
// the buffer; the second stands where the final "OK" belongs.
TEST_P(OperationFaultTest, ModelLineOf5000Bytes_IsCutAndItsRestRefused) {
    StartPhone("--model " + std::string(kLongLineBytes, kLongLineByte));
    Texts texts;
    const bool readsModel = Reads(operation(), "AT+CGMM");
    EXPECT_EQ(operation().run(&settings_, texts), readsModel ? kUnrecognisedAnswer : MEXTAL_OK);
    EXPECT_STREQ(texts.model, readsModel ? std::string(kTextSize - 1, kLongLineByte).c_str() : "");
    EXPECT_EQ(phone_->Commands(), CommandsThrough("AT+CGMM"));
    ExpectCleanRun(operation());
}

// An IMEI line longer than a line chunk: its first chunk holds no second field.
TEST_P(OperationFaultTest, ImeiLineOf5000Bytes_IsRefusedAsOneField) {
    StartPhone("--imei " + std::string(kLongLineBytes, '7'));
    Texts texts;
    const bool readsImei = Reads(operation(), "AT+CGSN");
    EXPECT_EQ(operation().run(&settings_, texts), readsImei ? kWrongFieldCount : MEXTAL_OK);
    EXPECT_STREQ(texts.imei, "");
    EXPECT_EQ(phone_->Commands(), CommandsThrough("AT+CGSN"));
    ExpectCleanRun(operation());
}

// Lines the phone sends on its own while the port is idle, among them final
// answers, a line longer than a chunk and a line still open: the purge before the
// operation drops all of them.
std::string UnsolicitedFlood() {
    constexpr int kRounds = 200;
    std::string flood;
    for (int round = 0; round < kRounds; ++round) {
        flood += "\r\nRING\r\n\r\n+CREG: 1,\"00C3\",\"0A2B\"\r\n\r\nOK\r\n\r\nERROR\r\n";
        flood += std::string("\r\n") + kImei + "\r\n";
    }
    flood += "\r\n" + std::string(kLongLineBytes, 'U') + "\r\n";
    flood += "\r\n+CMTI: \"SM\",3";
    return flood;
}

TEST_P(OperationFaultTest, UnsolicitedFloodWhileIdle_IsPurgedBeforeTheOperation) {
    StartPhone("");
    phone_->SendRaw(UnsolicitedFlood());
    // Idle long enough for every flooded byte to reach the port's queue.
    std::this_thread::sleep_for(500ms);
    ExpectSuccess();
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, OperationFaultTest, testing::ValuesIn(Operations()),
                         [](const testing::TestParamInfo<Operation>& info) { return info.param.name; });

}  // namespace

// The port objects over real pseudo-terminals: this test plays the phone on
// the far end of the line.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <new>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "port_checks.h"
#include "pty_peer.h"
#include "serlox/serlox.h"
#include "serlox_port.h"

namespace {

// While set, every allocation fails as when memory runs out: this program
// replaces the global allocation functions. g_refused counts the failures.
std::atomic<bool> g_noMemory{false};
std::atomic<int> g_refused{0};

struct NoMemory {
    NoMemory() { g_noMemory = true; }
    ~NoMemory() { g_noMemory = false; }
};

void* AllocateOrNull(std::size_t size) noexcept {
    if (!g_noMemory) return std::malloc(size != 0 ? size : 1);
    ++g_refused;
    return nullptr;
}

}  // namespace

// The single-object forms only: nothing here allocates arrays, and the array
// forms, left to the runtime, give their memory back to each other.
void* operator new(std::size_t size) {
    if (void* memory = AllocateOrNull(size)) return memory;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace serlox::test {
namespace {

using namespace std::chrono_literals;

constexpr int kPort = 5;
constexpr PortSettings kSettings{kPort, 115200, 0};

class PortTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetVariable("MODQUAR_FLOW_CONTROL_INDEX", nullptr);
        peer_ = std::make_unique<PtyPeer>(map_, kPort);
        port_ = SerloxGetObj(kPort);
        ASSERT_NE(port_, nullptr);
    }
    void TearDown() override {
        port_->Close();
        SetVariable("MODQUAR_FLOW_CONTROL_INDEX", nullptr);
    }
    void OpenPort() { ASSERT_EQ(port_->Open(kSettings), LINK_OK); }

    DeviceMapFolder map_;
    std::unique_ptr<PtyPeer> peer_;
    CSerloxObj* port_ = nullptr;
};

TEST_F(PortTest, Chunks_AreLinesWhateverWayTheyCrossTheWire) {
    OpenPort();
    ExpectLinesWhateverTheSplit(*port_, [this](const std::string& head, const std::string& tail) {
        peer_->Send(head);
        std::this_thread::sleep_for(2ms);
        peer_->Send(tail);
    });
}

TEST_F(PortTest, ReadChunk_TruncatesAndDropsRest) {
    OpenPort();
    peer_->Send("0123456789ABCDEFGH\r\nNEXT\r\n");
    ExpectTruncatedChunkThenNextLine(*port_);
}

TEST_F(PortTest, ReadChunk_ZeroesCallerBufferBeyondChunk) {
    OpenPort();
    peer_->Send("OK\r\n");
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    uint32_t length = 0;
    ASSERT_EQ(port_->ReadChunk(buffer, sizeof buffer, &length, kLongWaitMs, 0, 0), LINK_OK);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("OK\r\n\0\0\0\0", 8));
}

TEST_F(PortTest, ReadChunk_TimesOutWithLengthZero) {
    OpenPort();
    ExpectTimeOutsGiveLengthZero(*port_);
}

TEST_F(PortTest, ReadChunk_WithTimeOutZeroTakesWaitingChunk) {
    OpenPort();
    peer_->Send("A\r\nB\r\n");
    EXPECT_EQ(TakeChunk(*port_), "A\r\n");
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(TakeChunk(*port_, 0), "B\r\n");
}

TEST_F(PortTest, SecondOpen_ReportsAlreadyOpenAndKeepsReading) {
    OpenPort();
    EXPECT_EQ(port_->Open(kSettings), LINK_ALREADY_OPEN);
    EXPECT_EQ(port_->IsOpen(), 1);
    peer_->Send("OK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "OK\r\n");
    ExpectPromptClose(*port_);
}

TEST_F(PortTest, ClosedPort_RefusesEveryTransfer) {
    ExpectTransfersRefusedAsNotOpen(*port_, kSettings);
    EXPECT_EQ(port_->Close(), LINK_OK);
    EXPECT_EQ(port_->IsOpen(), 0);
}

TEST_F(PortTest, OpenCloseOpen_StartsOneFreshReader) {
    for (int round = 0; round < 3; ++round) {
        OpenPort();
        peer_->Send("R" + std::to_string(round) + "\r\n");
        EXPECT_EQ(TakeChunk(*port_), "R" + std::to_string(round) + "\r\n");
        EXPECT_EQ(port_->Close(), LINK_OK);
    }
}

TEST_F(PortTest, Open_FailsWithoutMapEntry) {
    CSerloxObj* unmapped = SerloxGetObj(kPort + 1);
    ASSERT_NE(unmapped, nullptr);
    EXPECT_EQ(unmapped->Open(PortSettings{kPort + 1, 115200, 0}), LINK_OPEN_FAILED);
    EXPECT_EQ(unmapped->IsOpen(), 0);
}

TEST_F(PortTest, Open_UnsupportedBaudRateClosesAgain) {
    EXPECT_EQ(port_->Open(PortSettings{kPort, 12345, 0}), LINK_CONFIG_FAILED);
    EXPECT_EQ(port_->IsOpen(), 0);
}

TEST_F(PortTest, PortNumbers_NineAndTen_UseTheirOwnMapEntries) {
    PtyPeer nine(map_, 9);
    PtyPeer ten(map_, 10);
    CSerloxObj* port9 = SerloxGetObj(9);
    CSerloxObj* port10 = SerloxGetObj(10);
    ASSERT_EQ(port9->Open(PortSettings{9, 115200, 0}), LINK_OK);
    ASSERT_EQ(port10->Open(PortSettings{10, 115200, 0}), LINK_OK);
    EXPECT_EQ(port9->Write("NINE\r", 5, 0, 0), LINK_OK);
    EXPECT_EQ(port10->Write("TEN\r", 4, 0, 0), LINK_OK);
    EXPECT_EQ(nine.Receive(5, kLongWaitMs), "NINE\r");
    EXPECT_EQ(ten.Receive(4, kLongWaitMs), "TEN\r");
    port9->Close();
    port10->Close();
}

TEST(SerloxGetObj, HasOneObjectForEachOfCom1ToCom30) {
    EXPECT_EQ(SerloxGetObj(0), nullptr);
    EXPECT_EQ(SerloxGetObj(31), nullptr);
    EXPECT_EQ(SerloxGetObj(-1), nullptr);
    std::set<CSerloxObj*> objects;
    for (int port = 1; port <= 30; ++port) {
        CSerloxObj* object = SerloxGetObj(port);
        ASSERT_NE(object, nullptr) << port;
        EXPECT_EQ(SerloxGetObj(port), object);
        objects.insert(object);
    }
    EXPECT_EQ(objects.size(), 30u);
}

struct FlowCase {
    const char* index;
    bool crtscts, ixon, ixoff;
};

class PortFlowMode : public PortTest, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(PortFlowMode, SetsLineFlagsOfAgentChoice) {
    SetVariable("MODQUAR_FLOW_CONTROL_INDEX", GetParam().index);
    OpenPort();
    const termios line = peer_->Line();
    EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, GetParam().crtscts);
    EXPECT_EQ((line.c_iflag & IXON) != 0, GetParam().ixon);
    EXPECT_EQ((line.c_iflag & IXOFF) != 0, GetParam().ixoff);
    EXPECT_EQ(line.c_cc[VSTART], 0x11);
    EXPECT_EQ(line.c_cc[VSTOP], 0x13);
    EXPECT_EQ(cfgetospeed(&line), speed_t{B115200});
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t{CS8});
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO), 0u);
}

INSTANTIATE_TEST_SUITE_P(AgentIndex, PortFlowMode,
                         ::testing::Values(FlowCase{"0", false, true, true}, FlowCase{"1", true, false, false},
                                           FlowCase{"5", false, false, false}));

TEST_F(PortTest, SoftwareFlow_EscapesOutputAndUnescapesInput) {
    SetVariable("MODQUAR_FLOW_CONTROL_INDEX", "0");
    OpenPort();
    EXPECT_EQ(port_->Write("\x11\x7D", 2, 0, 0), LINK_OK);
    EXPECT_EQ(peer_->Receive(4, kLongWaitMs), "}1}]");

    peer_->Send("A}");
    std::this_thread::sleep_for(50ms);
    peer_->Send("3B\r\n");
    EXPECT_EQ(TakeChunk(*port_),
              "A\x13"
              "B\r\n");
}

TEST_F(PortTest, NoFlowControl_SendsBytesUnchanged) {
    OpenPort();
    EXPECT_EQ(port_->Write("\x7D"
                           "1",
                           2, 0, 0),
              LINK_OK);
    EXPECT_EQ(peer_->Receive(2, kLongWaitMs), "}1");
    peer_->Send("}3\r\n");
    EXPECT_EQ(TakeChunk(*port_), "}3\r\n");
}

TEST_F(PortTest, PortWithoutAgent_FailsEveryOperation) {
    CSerloxPort port(kPort, nullptr);
    PortSettings settings = kSettings;
    EXPECT_EQ(port.Open(settings), LINK_OPEN_FAILED);
    EXPECT_EQ(port.IsOpen(), 0);
    ExpectTransfersRefusedAsNotOpen(port, settings);
    EXPECT_EQ(port.Close(), LINK_OK);
    EXPECT_EQ(port.Spare1(1, 2), 0);
    EXPECT_EQ(port.Spare2(1, 2, 3), 0);
}

TEST_F(PortTest, ConfigurePurge_DropsStaleLinesAndHalfLine) {
    OpenPort();
    peer_->Send("OLD\r\nSTALE");
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(port_->Configure(kSettings, 1), LINK_OK);
    peer_->Send("OK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "OK\r\n");
}

TEST_F(PortTest, ConfigureWithoutPurge_KeepsHalfLine) {
    OpenPort();
    peer_->Send("HAL");
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(port_->Configure(kSettings, 0), LINK_OK);
    peer_->Send("F\r\n");
    EXPECT_EQ(TakeChunk(*port_), "HALF\r\n");
}

TEST_F(PortTest, PeerHangUp_ClosesPort) {
    OpenPort();
    peer_->HangUp();
    ASSERT_TRUE(WaitUntilClosed(*port_));
    ExpectTransfersRefusedAsNotOpen(*port_, kSettings);

    // Plugged in again, the port opens with a fresh reader.
    peer_.reset();
    peer_ = std::make_unique<PtyPeer>(map_, kPort);
    OpenPort();
    peer_->Send("BACK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "BACK\r\n");
}

TEST_F(PortTest, Close_EndsWriteThatPeerDoesNotDrain) {
    OpenPort();
    ExpectCloseEndsBlockedWrite(*port_);
}

// Input during Configure's pause wakes the reader, which then finds the terminal
// emptied by the purge: an empty read, no hang-up. A line sent before the purge
// began is stale and must not come through; one sent after it may.
TEST_F(PortTest, ConfigurePurge_InputDuringPauseKeepsPortOpenAndIsDropped) {
    using Clock = std::chrono::steady_clock;
    OpenPort();
    int stale = 0;
    for (int attempt = 0; attempt < 50; ++attempt) {
        const Clock::time_point configuring = Clock::now();
        auto sent = std::async(std::launch::async, [this] {
            std::this_thread::sleep_for(3ms);
            peer_->Send("X\r\n");
            return Clock::now();
        });
        ASSERT_EQ(port_->Configure(kSettings, 1), LINK_OK);
        const bool beforePurge =
            sent.get() < configuring + std::chrono::milliseconds(CSerloxPort::kSettleBeforePurgeMs);
        ASSERT_EQ(port_->IsOpen(), 1) << "attempt " << attempt;
        peer_->Send("OK\r\n");
        std::string chunk = TakeChunk(*port_);
        if (!beforePurge && chunk == "X\r\n") chunk = TakeChunk(*port_);
        ASSERT_EQ(chunk, "OK\r\n") << "attempt " << attempt << (beforePurge ? ", line sent before the purge" : "");
        stale += beforePurge ? 1 : 0;
    }
    EXPECT_GT(stale, 0) << "no line arrived during the pause: the case was not exercised";
}

TEST_F(PortTest, ExclusiveWhileOpen_LiftedByClose) {
    OpenPort();
    EXPECT_TRUE(peer_->Exclusive());
    port_->Close();
    EXPECT_FALSE(peer_->Exclusive());
}

TEST_F(PortTest, HangUpRacingClose_EndsClosedEveryTime) {
    for (int round = 0; round < 30; ++round) {
        OpenPort();
        auto hangUp = std::async(std::launch::async, [this] { peer_->HangUp(); });
        ExpectPromptClose(*port_);
        hangUp.get();
        peer_.reset();
        peer_ = std::make_unique<PtyPeer>(map_, kPort);
    }
    OpenPort();
    peer_->Send("BACK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "BACK\r\n");
}

TEST_F(PortTest, Write_OutOfMemoryFailsAndPortGoesOn) {
    OpenPort();
    const std::string line(100, 'a');  // too long to be kept without memory of its own
    LinkResult outOfMemory;
    {
        NoMemory noMemory;
        outOfMemory = port_->Write(line.data(), static_cast<uint32_t>(line.size()), 0, 0);
    }
    EXPECT_GT(g_refused.exchange(0), 0);
    EXPECT_EQ(outOfMemory, LINK_WRITE_FAILED);
    EXPECT_EQ(port_->Write("AT\r", 3, 0, 0), LINK_OK);
    EXPECT_EQ(peer_->Receive(3, kLongWaitMs), "AT\r");
}

TEST_F(PortTest, Reader_OutOfMemoryClosesPortAndProcessGoesOn) {
    OpenPort();
    bool closed;
    {
        NoMemory noMemory;
        peer_->Send("LINE\r\n");  // short enough to need no memory of its own
        closed = WaitUntilClosed(*port_);
    }
    ASSERT_TRUE(closed);
    EXPECT_GT(g_refused.exchange(0), 0);
    OpenPort();
    peer_->Send("BACK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "BACK\r\n");
}

TEST_F(PortTest, Stress_EveryReceivedByteArrivesInOrderWhileWriting) {
    OpenPort();
    std::mt19937 random(11);
    const std::string incoming = RandomLines(1 << 20, 300, random);
    const std::string outgoing = RandomLines(64 << 10, 300, random);

    std::atomic<bool> writing{true};
    auto writer = std::async(std::launch::async, [&] {
        for (size_t at = 0; at < outgoing.size(); at += 200) {
            const std::string piece = outgoing.substr(at, 200);
            if (port_->Write(piece.data(), static_cast<uint32_t>(piece.size()), 0, 0) != LINK_OK) return false;
        }
        writing = false;
        return true;
    });
    auto echoed = std::async(std::launch::async, [&] { return peer_->Receive(outgoing.size(), 60000); });
    auto sender = std::async(std::launch::async, [&] {
        std::mt19937 sizes(3);
        for (size_t at = 0; at < incoming.size();) {
            const size_t piece = std::min<size_t>(1 + sizes() % 3000, incoming.size() - at);
            peer_->Send(incoming.substr(at, piece));
            at += piece;
        }
    });

    std::string received;
    while (received.size() < incoming.size()) {
        const std::string chunk = TakeChunk(*port_);
        ASSERT_EQ(chunk.substr(chunk.size() - 2), "\r\n") << "after " << received.size() << " bytes: " << chunk;
        received += chunk;
    }
    sender.get();
    EXPECT_TRUE(received == incoming) << "received stream differs from the sent one";
    EXPECT_TRUE(writer.get());
    EXPECT_TRUE(echoed.get() == outgoing) << "written stream differs on the wire";
}

}  // namespace
}  // namespace serlox::test

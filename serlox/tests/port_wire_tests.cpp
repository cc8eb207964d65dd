// The port objects against the handset simulator in raw mode, where it only
// records what it gets and sends exactly what it is told. Runs natively and
// under Wine alike.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "port_checks.h"
#include "serlox/serlox.h"
#include "simulated_phone.h"

namespace {

using namespace std::chrono_literals;
using ravelin::test::SimulatedPhone;
using namespace serlox::test;

constexpr int kReceiveWaitMs = 10000;

class WirePortTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetVariable("MODQUAR_FLOW_CONTROL_INDEX", nullptr);
        phone_ = SimulatedPhone::Start(0);
        phone_->SetRaw(true);
        port_ = SerloxGetObj(phone_->ComPort());
        ASSERT_NE(port_, nullptr);
    }
    void TearDown() override {
        if (port_ != nullptr) port_->Close();
        SetVariable("MODQUAR_FLOW_CONTROL_INDEX", nullptr);
    }
    PortSettings Settings() const { return PortSettings{static_cast<uint32_t>(phone_->ComPort()), 115200, 0}; }
    void OpenPort() { ASSERT_EQ(port_->Open(Settings()), LINK_OK); }
    // In software flow mode the phone holds the port's output with XOFF and
    // lets it go with XON; the driver obeys both, so a Write can be made to block.
    void OpenHeldPort() {
        SetVariable("MODQUAR_FLOW_CONTROL_INDEX", "0");
        OpenPort();
        phone_->SendRaw("\x13");             // XOFF
        std::this_thread::sleep_for(200ms);  // the XOFF must reach the driver before anything is written
    }

    std::unique_ptr<SimulatedPhone> phone_;
    CSerloxObj* port_ = nullptr;
};

TEST_F(WirePortTest, Chunks_AreLinesWhateverWayTheyCrossTheWire) {
    OpenPort();
    ExpectLinesWhateverTheSplit(*port_, [this](const std::string& head, const std::string& tail) {
        if (!head.empty()) phone_->SendRaw(head);
        phone_->SendRaw(tail);
    });
}

TEST_F(WirePortTest, ReadChunk_TruncatesAndDropsRest) {
    OpenPort();
    phone_->SendRaw("0123456789ABCDEFGH\r\nNEXT\r\n");
    ExpectTruncatedChunkThenNextLine(*port_);
}

TEST_F(WirePortTest, ReadChunk_TimesOutWithLengthZero) {
    OpenPort();
    ExpectTimeOutsGiveLengthZero(*port_);
}

TEST_F(WirePortTest, SecondOpen_ReportsAlreadyOpenAndKeepsReading) {
    OpenPort();
    EXPECT_EQ(port_->Open(Settings()), LINK_ALREADY_OPEN);
    EXPECT_EQ(port_->IsOpen(), 1);
    phone_->SendRaw("OK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "OK\r\n");
    ExpectPromptClose(*port_);
}

TEST_F(WirePortTest, ClosedPort_RefusesEveryTransfer) {
    ExpectTransfersRefusedAsNotOpen(*port_, Settings());
    EXPECT_EQ(port_->Close(), LINK_OK);
}

TEST_F(WirePortTest, Write_ReachesThePhone) {
    OpenPort();
    EXPECT_EQ(port_->Write("AT+CGMM\r", 8, 0, 0), LINK_OK);
    EXPECT_EQ(phone_->WaitReceived(8, kReceiveWaitMs), "AT+CGMM\r");
}

TEST(WirePortNumbers, PortFromTenOpensThroughDeviceNamespace) {
    auto phone = SimulatedPhone::Start(1);
    phone->SetRaw(true);
    ASSERT_GE(phone->ComPort(), 10);
    CSerloxObj* port = SerloxGetObj(phone->ComPort());
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(port->Open(PortSettings{static_cast<uint32_t>(phone->ComPort()), 115200, 0}), LINK_OK);
    EXPECT_EQ(port->Write("TEN\r", 4, 0, 0), LINK_OK);
    EXPECT_EQ(phone->WaitReceived(4, kReceiveWaitMs), "TEN\r");
    phone->SendRaw("OK\r\n");
    EXPECT_EQ(TakeChunk(*port), "OK\r\n");
    port->Close();
}

TEST(WireSerloxGetObj, HasOneObjectForEachOfCom1ToCom30) {
    EXPECT_EQ(SerloxGetObj(0), nullptr);
    EXPECT_EQ(SerloxGetObj(31), nullptr);
    EXPECT_NE(SerloxGetObj(1), nullptr);
    EXPECT_NE(SerloxGetObj(30), nullptr);
    EXPECT_NE(SerloxGetObj(1), SerloxGetObj(30));
}

TEST_F(WirePortTest, SoftwareFlow_EscapesOutputAndUnescapesInput) {
    SetVariable("MODQUAR_FLOW_CONTROL_INDEX", "0");
    OpenPort();
    EXPECT_EQ(port_->Write("\x11\x7D", 2, 0, 0), LINK_OK);
    EXPECT_EQ(phone_->WaitReceived(4, kReceiveWaitMs), "}1}]");

    phone_->SendRaw("A}");
    std::this_thread::sleep_for(50ms);
    phone_->SendRaw("3B\r\n");
    EXPECT_EQ(TakeChunk(*port_),
              "A\x13"
              "B\r\n");
}

TEST_F(WirePortTest, ConfigurePurge_DropsStaleLinesAndHalfLine) {
    OpenPort();
    phone_->SendRaw("OLD\r\nSTALE");
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(port_->Configure(Settings(), 1), LINK_OK);
    phone_->SendRaw("OK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "OK\r\n");
}

// The timed-out piece's request is cancelled and completed, so the next Write
// can use the same request record again.
TEST_F(WirePortTest, HeldWriteThatTimesOut_NextWriteSucceeds) {
    OpenHeldPort();
    EXPECT_EQ(port_->Write("HELD\r", 5, 0, 0), LINK_WRITE_FAILED);
    phone_->SendRaw("\x11");  // XON
    EXPECT_EQ(port_->Write("AT\r", 3, 0, 0), LINK_OK);
    EXPECT_EQ(phone_->WaitReceived(3, kReceiveWaitMs), "AT\r");
}

TEST_F(WirePortTest, Close_EndsHeldWrite) {
    OpenHeldPort();
    ExpectCloseEndsBlockedWrite(*port_);
}

TEST_F(WirePortTest, PhoneHangup_ClosesPort) {
    OpenPort();
    phone_->Hangup();
    ASSERT_TRUE(WaitUntilClosed(*port_));
    ExpectTransfersRefusedAsNotOpen(*port_, Settings());
    phone_->Plug();
}

TEST_F(WirePortTest, Stress_EveryReceivedByteArrivesInOrderWhileWriting) {
    OpenPort();
    std::mt19937 random(5);
    const std::string incoming = RandomLines(128 << 10, 200, random);
    const std::string outgoing = RandomLines(16 << 10, 200, random);

    auto writer = std::async(std::launch::async, [&] {
        for (size_t at = 0; at < outgoing.size(); at += 200) {
            const std::string piece = outgoing.substr(at, 200);
            if (port_->Write(piece.data(), static_cast<uint32_t>(piece.size()), 0, 0) != LINK_OK) return false;
        }
        return true;
    });
    for (size_t at = 0; at < incoming.size(); at += 8192) phone_->SendRaw(incoming.substr(at, 8192));

    std::string received;
    while (received.size() < incoming.size()) {
        const std::string chunk = TakeChunk(*port_);
        ASSERT_EQ(chunk.substr(chunk.size() - 2), "\r\n") << "after " << received.size() << " bytes: " << chunk;
        received += chunk;
    }
    EXPECT_TRUE(received == incoming) << "received stream differs from the sent one";
    ASSERT_TRUE(writer.get());
    EXPECT_TRUE(phone_->WaitReceived(outgoing.size(), kReceiveWaitMs) == outgoing)
        << "written stream differs on the wire";
}

}  // namespace

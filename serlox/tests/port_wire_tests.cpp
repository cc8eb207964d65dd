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

#include "serlox/serlox.h"
#include "simulated_phone.h"

namespace {

using namespace std::chrono_literals;
using ravelin::test::SimulatedPhone;

constexpr uint32_t kLongWaitMs = 10000;
constexpr int kReceiveWaitMs = 10000;

void SetVariable(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

std::string TakeChunk(CSerloxObj& port, uint32_t timeoutMs = kLongWaitMs) {
    char buffer[4096];
    uint32_t length = 0;
    const LinkResult result = port.ReadChunk(buffer, sizeof buffer, &length, timeoutMs, 0, 0);
    if (result != LINK_OK) return "<" + std::to_string(result) + ">";
    return std::string(buffer, length);
}

bool WaitUntilClosed(CSerloxObj& port) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (port.IsOpen() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    return port.IsOpen() == 0;
}

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

    std::unique_ptr<SimulatedPhone> phone_;
    CSerloxObj* port_ = nullptr;
};

TEST_F(WirePortTest, Chunks_AreLinesWhateverWayTheyCrossTheWire) {
    OpenPort();
    const std::string wire = "AT\r\r\nOK\r\n\r\nX\r\n";
    for (size_t split = 0; split <= wire.size(); ++split) {
        if (split > 0) phone_->SendRaw(wire.substr(0, split));
        phone_->SendRaw(wire.substr(split));
        EXPECT_EQ(TakeChunk(*port_), "AT\r\r\n") << "split at " << split;
        EXPECT_EQ(TakeChunk(*port_), "OK\r\n");
        EXPECT_EQ(TakeChunk(*port_), "\r\nX\r\n");
    }
}

TEST_F(WirePortTest, ReadChunk_TruncatesAndDropsRest) {
    OpenPort();
    phone_->SendRaw("0123456789ABCDEFGH\r\nNEXT\r\n");
    char buffer[10];
    uint32_t length = 0;
    ASSERT_EQ(port_->ReadChunk(buffer, sizeof buffer, &length, kLongWaitMs, 0, 0), LINK_TRUNCATED);
    EXPECT_EQ(length, 10u);
    EXPECT_EQ(std::string(buffer, length), "0123456789");
    EXPECT_EQ(TakeChunk(*port_), "NEXT\r\n");
}

TEST_F(WirePortTest, ReadChunk_TimesOutWithLengthZero) {
    OpenPort();
    for (uint32_t timeoutMs : {0u, 30u}) {
        char buffer[16];
        uint32_t length = 77;
        EXPECT_EQ(port_->ReadChunk(buffer, sizeof buffer, &length, timeoutMs, 0, 0), LINK_TIMEOUT);
        EXPECT_EQ(length, 0u);
    }
}

TEST_F(WirePortTest, SecondOpen_ReportsAlreadyOpenAndKeepsReading) {
    OpenPort();
    EXPECT_EQ(port_->Open(Settings()), LINK_ALREADY_OPEN);
    EXPECT_EQ(port_->IsOpen(), 1);
    phone_->SendRaw("OK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "OK\r\n");

    auto closed = std::async(std::launch::async, [this] { return port_->Close(); });
    ASSERT_EQ(closed.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(closed.get(), LINK_OK);
    EXPECT_EQ(port_->IsOpen(), 0);
}

TEST_F(WirePortTest, ClosedPort_RefusesEveryTransfer) {
    EXPECT_EQ(port_->Configure(Settings(), 1), LINK_NOT_OPEN);
    char buffer[8];
    uint32_t length = 0;
    EXPECT_EQ(port_->ReadChunk(buffer, sizeof buffer, &length, 0, 0, 0), LINK_NOT_OPEN);
    EXPECT_EQ(port_->Write("AT\r", 3, 0, 0), LINK_NOT_OPEN);
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
    EXPECT_EQ(TakeChunk(*port_), "A\x13" "B\r\n");
}

TEST_F(WirePortTest, ConfigurePurge_DropsStaleLinesAndHalfLine) {
    OpenPort();
    phone_->SendRaw("OLD\r\nSTALE");
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(port_->Configure(Settings(), 1), LINK_OK);
    phone_->SendRaw("OK\r\n");
    EXPECT_EQ(TakeChunk(*port_), "OK\r\n");
}

TEST_F(WirePortTest, PhoneHangup_ClosesPort) {
    OpenPort();
    phone_->Hangup();
    ASSERT_TRUE(WaitUntilClosed(*port_));
    char buffer[8];
    uint32_t length = 0;
    EXPECT_EQ(port_->ReadChunk(buffer, sizeof buffer, &length, 0, 0, 0), LINK_NOT_OPEN);
    EXPECT_EQ(port_->Write("AT\r", 3, 0, 0), LINK_NOT_OPEN);
    EXPECT_EQ(port_->Configure(Settings(), 1), LINK_NOT_OPEN);
    phone_->Plug();
}

TEST_F(WirePortTest, Stress_EveryReceivedByteArrivesInOrderWhileWriting) {
    OpenPort();
    std::mt19937 random(5);
    auto lines = [&random](size_t total) {
        std::string text;
        while (text.size() < total) {
            const size_t length = 1 + random() % 200;
            for (size_t i = 0; i < length; ++i) text += static_cast<char>(' ' + random() % 95);
            text += "\r\n";
        }
        return text;
    };
    const std::string incoming = lines(128 << 10);
    const std::string outgoing = lines(16 << 10);

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

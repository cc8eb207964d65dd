#pragma once
// A handset object of the test's own on the real serial link, against the
// handset simulator. Unlike the library's object it records the progress
// messages it sends on every platform, and tests may shorten its long time-out.
#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "handset_api.h"
#include "serlox/serlox.h"
#include "simulated_phone.h"
#include "simulated_port_fixture.h"

namespace mextal::test {

class FamilySimulatorTest : public SimulatedPortTest {
protected:
    using Exchange = std::pair<std::string, std::string>;  // a line the PC sends, and the handset's answer

    void StartPhone(const std::string& options = "") {
        ASSERT_NO_FATAL_FAILURE(SimulatedPortTest::StartPhone(options));
        api_.RegisterUI(kWindow);
    }

    void TearDown() override { ClosePort(); }

    // Runs `operation` while the test plays the handset: the simulator in raw
    // mode takes each line and the test sends the scripted answer to it.
    template <typename Operation>
    int32_t RunScripted(Operation operation, const std::vector<Exchange>& exchanges) {
        phone_->SetRaw(true);
        std::future<int32_t> result = std::async(std::launch::async, operation);
        for (const auto& [line, answer] : exchanges) {
            EXPECT_EQ(line, phone_->WaitReceived(line.size(), kScriptWaitMs));
            phone_->SendRaw(answer);
        }
        return result.get();
    }

    // The bytes that the progress messages of one kind report together.
    uint64_t ProgressBytes(uint32_t message) const {
        uint64_t bytes = 0;
        for (const auto& [kind, piece] : progress_) {
            if (kind == message) bytes += piece;
        }
        return bytes;
    }

    static constexpr int kScriptWaitMs = 5000;
    const HandsetWindow kWindow = reinterpret_cast<HandsetWindow>(0x40);

    std::vector<std::pair<uint32_t, uint32_t>> progress_;
    CHandsetApi api_{HandsetLinks{SerloxGetObj,
                                  [this](HandsetWindow, uint32_t message, uint32_t bytes) {
                                      progress_.emplace_back(message, bytes);
                                  },
                                  GetModelAgent()},
                     std::make_unique<CAtResponseParser>()};
};

}  // namespace mextal::test

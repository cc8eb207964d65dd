#pragma once
// A test that opens the serial link to a freshly started handset simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "serlox/serlox.h"
#include "simulated_phone.h"

namespace mextal::test {

class SimulatedPortTest : public testing::Test {
protected:
    // Starts the simulator with `options` and opens the port it answers on.
    void StartPhone(const std::string& options = "") {
        phone_ = ravelin::test::SimulatedPhone::Start(0, options);
        settings_ = PortSettings{static_cast<uint32_t>(phone_->ComPort()), 115200, 0};
        port_ = SerloxGetObj(phone_->ComPort());
        ASSERT_NE(nullptr, port_);
        ASSERT_EQ(LINK_OK, port_->Open(settings_));
    }

    void ClosePort() {
        if (port_ != nullptr) port_->Close();
    }

    // How many of the commands the simulator took start with `prefix`.
    size_t CountCommands(const std::string& prefix) {
        std::vector<std::string> commands = phone_->Commands();
        return std::count_if(commands.begin(), commands.end(),
                             [&](const std::string& c) { return c.compare(0, prefix.size(), prefix) == 0; });
    }

    std::unique_ptr<ravelin::test::SimulatedPhone> phone_;
    PortSettings settings_{};
    CSerloxObj* port_ = nullptr;
};

}  // namespace mextal::test

#include "line_settings.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "device_name.h"

namespace serlox {
namespace {

TEST(FlowModeFromIndex, MapsAgentIndex) {
    const struct {
        uint32_t index;
        FlowMode mode;
    } rows[] = {{0, FlowMode::Software},
                {1, FlowMode::Hardware},
                {2, FlowMode::None},
                {5, FlowMode::None},
                {0xFFFFFFFFu, FlowMode::None}};
    for (const auto& row : rows) EXPECT_EQ(FlowModeFromIndex(row.index), row.mode) << row.index;
}

struct FlowRow {
    FlowMode mode;
    bool ctsOut, dsrOut, dsrSensitive, xonXoffOut, xonXoffIn;
    RtsControl rts;
};

class LinkSettingsForMode : public ::testing::TestWithParam<FlowRow> {};

TEST_P(LinkSettingsForMode, SetsFlowSwitchesAndFraming) {
    const FlowRow& row = GetParam();
    LineSettings settings;
    settings.parity = Parity::Even;
    settings.stopBits = StopBits::Two;
    settings.parityCheck = true;
    settings.txContinueOnXoff = true;
    settings.ctsOutFlow = !row.ctsOut;
    settings.xonXoffIn = !row.xonXoffIn;
    ApplyLinkSettings(settings, 115200, row.mode);

    EXPECT_EQ(settings.baudRate, 115200u);
    EXPECT_EQ(settings.byteSize, 8);
    EXPECT_EQ(settings.parity, Parity::None);
    EXPECT_EQ(settings.stopBits, StopBits::One);
    EXPECT_EQ(settings.xonChar, 0x11);
    EXPECT_EQ(settings.xoffChar, 0x13);
    EXPECT_FALSE(settings.parityCheck);
    EXPECT_FALSE(settings.txContinueOnXoff);
    EXPECT_EQ(settings.ctsOutFlow, row.ctsOut);
    EXPECT_EQ(settings.dsrOutFlow, row.dsrOut);
    EXPECT_EQ(settings.dsrSensitivity, row.dsrSensitive);
    EXPECT_EQ(settings.xonXoffOut, row.xonXoffOut);
    EXPECT_EQ(settings.xonXoffIn, row.xonXoffIn);
    EXPECT_EQ(settings.dtrControl, DtrControl::Enable);
    EXPECT_EQ(settings.rtsControl, row.rts);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinkSettingsForMode,
    ::testing::Values(FlowRow{FlowMode::None, false, false, false, false, false, RtsControl::Enable},
                      FlowRow{FlowMode::Software, false, false, false, true, true, RtsControl::Enable},
                      FlowRow{FlowMode::Hardware, true, true, true, false, false, RtsControl::Handshake}));

TEST(WindowsDeviceName, UsesDeviceNamespaceFromPortTen) {
    EXPECT_EQ(WindowsDeviceName(1), "COM1");
    EXPECT_EQ(WindowsDeviceName(9), "COM9");
    EXPECT_EQ(WindowsDeviceName(10), "\\\\.\\COM10");
    EXPECT_EQ(WindowsDeviceName(30), "\\\\.\\COM30");
}

TEST(DeviceMap, FolderFromVariableElseHome) {
    EXPECT_EQ(DeviceMapFolder("/run/ports", "/home/u"), "/run/ports");
    EXPECT_EQ(DeviceMapFolder("", "/home/u"), "/home/u/.serlox/devices");
    EXPECT_EQ(DeviceMapFolder(nullptr, "/home/u"), "/home/u/.serlox/devices");
    EXPECT_EQ(DeviceMapFolder(nullptr, nullptr), "");
}

TEST(DeviceMap, OneEntryPerPortNumber) {
    EXPECT_EQ(DeviceMapEntry("/run/ports", 9), "/run/ports/com9");
    EXPECT_EQ(DeviceMapEntry("/run/ports", 10), "/run/ports/com10");
    EXPECT_EQ(DeviceMapEntry("", 9), "");
}

}  // namespace
}  // namespace serlox

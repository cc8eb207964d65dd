#include "termios_settings.h"

#include <gtest/gtest.h>

namespace serlox {
namespace {

termios LineFor(FlowMode mode, uint32_t baudRate = 115200) {
    termios line{};
    MakeRaw(line);
    LineSettings settings;
    ApplyLinkSettings(settings, baudRate, mode);
    EXPECT_TRUE(ApplyToTermios(settings, line));
    return line;
}

TEST(Termios, FlowModesSetTheirFlags) {
    const struct {
        FlowMode mode;
        bool crtscts, ixon, ixoff;
    } rows[] = {{FlowMode::None, false, false, false},
                {FlowMode::Software, false, true, true},
                {FlowMode::Hardware, true, false, false}};
    for (const auto& row : rows) {
        const termios line = LineFor(row.mode);
        EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, row.crtscts);
        EXPECT_EQ((line.c_iflag & IXON) != 0, row.ixon);
        EXPECT_EQ((line.c_iflag & IXOFF) != 0, row.ixoff);
        EXPECT_EQ(line.c_cc[VSTART], 0x11);
        EXPECT_EQ(line.c_cc[VSTOP], 0x13);
        EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t{CS8});
        EXPECT_EQ(cfgetospeed(&line), speed_t{B115200});
        EXPECT_EQ(cfgetispeed(&line), speed_t{B115200});
    }
}

TEST(Termios, ReadsBackWhatWasApplied) {
    for (FlowMode mode : {FlowMode::None, FlowMode::Software, FlowMode::Hardware}) {
        LineSettings applied;
        ApplyLinkSettings(applied, 57600, mode);
        const LineSettings back = FromTermios(LineFor(mode, 57600));
        EXPECT_EQ(back.baudRate, 57600u);
        EXPECT_EQ(back.byteSize, 8);
        EXPECT_EQ(back.parity, Parity::None);
        EXPECT_EQ(back.stopBits, StopBits::One);
        EXPECT_EQ(back.ctsOutFlow, applied.ctsOutFlow);
        EXPECT_EQ(back.rtsControl, applied.rtsControl);
        EXPECT_EQ(back.xonXoffOut, applied.xonXoffOut);
        EXPECT_EQ(back.xonXoffIn, applied.xonXoffIn);
        EXPECT_EQ(back.xonChar, applied.xonChar);
        EXPECT_EQ(back.xoffChar, applied.xoffChar);
    }
}

TEST(Termios, RejectsBaudRateWithoutSpeedConstant) {
    termios line{};
    LineSettings settings;
    ApplyLinkSettings(settings, 12345, FlowMode::None);
    EXPECT_FALSE(ApplyToTermios(settings, line));
}

TEST(Termios, RawLineHasNoProcessingAndNeverBlocks) {
    termios line{};
    line.c_iflag = ICRNL | IXON | ISTRIP;
    line.c_oflag = OPOST | ONLCR;
    line.c_lflag = ICANON | ECHO | ISIG;
    line.c_cflag = CS7 | PARENB;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 5;
    MakeRaw(line);
    EXPECT_EQ(line.c_iflag & (ICRNL | IXON | ISTRIP), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CLOCAL | CREAD), tcflag_t{CS8 | CLOCAL | CREAD});
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);
}

}  // namespace
}  // namespace serlox

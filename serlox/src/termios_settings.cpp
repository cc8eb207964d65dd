#include "termios_settings.h"

namespace serlox {
namespace {

struct Speed {
    uint32_t baudRate;
    speed_t constant;
};

constexpr Speed kSpeeds[] = {
    {1200, B1200},   {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedFor(uint32_t baudRate, speed_t& constant) {
    for (const Speed& speed : kSpeeds) {
        if (speed.baudRate == baudRate) {
            constant = speed.constant;
            return true;
        }
    }
    return false;
}

uint32_t BaudRateOf(speed_t constant) {
    for (const Speed& speed : kSpeeds) {
        if (speed.constant == constant) return speed.baudRate;
    }
    return 0;
}

tcflag_t CharacterSize(uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

uint8_t ByteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5:
            return 5;
        case CS6:
            return 6;
        case CS7:
            return 7;
        default:
            return 8;
    }
}

void SetFlag(tcflag_t& flags, tcflag_t flag, bool on) {
    if (on) {
        flags |= flag;
    } else {
        flags &= ~flag;
    }
}

}  // namespace

void MakeRaw(termios& line) {
    line.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    line.c_oflag &= ~OPOST;
    line.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~(CSIZE | PARENB);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
}

bool ApplyToTermios(const LineSettings& settings, termios& line) {
    speed_t speed;
    if (!SpeedFor(settings.baudRate, speed)) return false;
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);

    line.c_cflag = (line.c_cflag & ~CSIZE) | CharacterSize(settings.byteSize);
    SetFlag(line.c_cflag, PARENB, settings.parity != Parity::None);
    SetFlag(line.c_cflag, PARODD, settings.parity == Parity::Odd);
    SetFlag(line.c_cflag, CSTOPB, settings.stopBits != StopBits::One);
    SetFlag(line.c_iflag, INPCK, settings.parityCheck);
    SetFlag(line.c_cflag, CRTSCTS, settings.ctsOutFlow || settings.rtsControl == RtsControl::Handshake);
    SetFlag(line.c_iflag, IXON, settings.xonXoffOut);
    SetFlag(line.c_iflag, IXOFF, settings.xonXoffIn);
    line.c_cc[VSTART] = static_cast<cc_t>(settings.xonChar);
    line.c_cc[VSTOP] = static_cast<cc_t>(settings.xoffChar);
    return true;
}

LineSettings FromTermios(const termios& line) {
    LineSettings settings;
    settings.baudRate = BaudRateOf(cfgetospeed(&line));
    settings.byteSize = ByteSizeOf(line.c_cflag);
    if (line.c_cflag & PARENB) {
        settings.parity = (line.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    }
    settings.stopBits = (line.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    settings.parityCheck = (line.c_iflag & INPCK) != 0;
    const bool hardware = (line.c_cflag & CRTSCTS) != 0;
    settings.ctsOutFlow = hardware;
    settings.rtsControl = hardware ? RtsControl::Handshake : RtsControl::Enable;
    settings.dtrControl = DtrControl::Enable;
    settings.xonXoffOut = (line.c_iflag & IXON) != 0;
    settings.xonXoffIn = (line.c_iflag & IXOFF) != 0;
    settings.xonChar = static_cast<char>(line.c_cc[VSTART]);
    settings.xoffChar = static_cast<char>(line.c_cc[VSTOP]);
    return settings;
}

}  // namespace serlox

#pragma once
// The line settings of a serial device as a plain record, independent of the
// platform's control block, and the choice of flow control.
#include <cstdint>

namespace serlox {

enum class FlowMode : uint32_t {
    None = 0,
    Software = 1,  // XON/XOFF both ways; data bytes are escaped
    Hardware = 2,  // CTS/DSR out-flow, RTS handshake
};

enum class DtrControl : uint8_t { Disable, Enable, Handshake };
enum class RtsControl : uint8_t { Disable, Enable, Handshake, Toggle };
enum class Parity : uint8_t { None, Odd, Even, Mark, Space };
enum class StopBits : uint8_t { One, OneAndHalf, Two };

struct LineSettings {
    uint32_t baudRate = 0;
    uint8_t byteSize = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    char xonChar = 0;
    char xoffChar = 0;
    bool parityCheck = false;
    bool txContinueOnXoff = false;
    bool ctsOutFlow = false;
    bool dsrOutFlow = false;
    bool dsrSensitivity = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    DtrControl dtrControl = DtrControl::Disable;
    RtsControl rtsControl = RtsControl::Disable;
};

// The model agent's flow-control index: 0 software, 1 hardware, else none.
FlowMode FlowModeFromIndex(uint32_t index);

// Sets the framing of the link (8 data bits, no parity, one stop bit, the
// standard XON/XOFF characters) at `baudRate` and the switches of `mode`.
// Fields the link leaves to the driver are not touched.
void ApplyLinkSettings(LineSettings& settings, uint32_t baudRate, FlowMode mode);

}  // namespace serlox

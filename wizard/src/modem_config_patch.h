#pragma once
// The modem device configuration that Windows 95/98 keeps with a dial-up
// entry: a 12-byte header (size, version, two 16-bit option words) followed by
// the serial communication configuration (size, version, reserved, device
// control block, provider subtype, ...).
#include <cstddef>
#include <cstdint>

namespace ravelinwiz {

constexpr size_t kDevConfigSizeOffset = 0;
constexpr size_t kDcbFlagsOffset = 28;
constexpr size_t kProviderSubtypeOffset = 48;
constexpr uint32_t kMinDevConfigSize = 64;
constexpr uint32_t kProviderSubtypeModem = 6;
// CTS and DSR output flow control, DTR control, DSR sensitivity,
// transmit-continue-on-XOFF, XON/XOFF output and input, RTS control.
constexpr uint32_t kDcbFlowControlBits = 0x33FC;

// Turns flow control off in a modem configuration of `length` bytes (what the
// system actually returned). False, leaving the bytes alone, when the buffer
// is too short for the fields read, declares a size below the minimum, or is
// not a modem's configuration.
bool ClearModemFlowControl(uint8_t* config, size_t length);

}  // namespace ravelinwiz

#include "line_settings.h"

#include "flow_escape.h"

namespace serlox {

FlowMode FlowModeFromIndex(uint32_t index) {
    switch (index) {
        case 0:
            return FlowMode::Software;
        case 1:
            return FlowMode::Hardware;
        default:
            return FlowMode::None;
    }
}

void ApplyLinkSettings(LineSettings& settings, uint32_t baudRate, FlowMode mode) {
    settings.baudRate = baudRate;
    settings.byteSize = 8;
    settings.parity = Parity::None;
    settings.stopBits = StopBits::One;
    settings.xonChar = kXon;
    settings.xoffChar = kXoff;
    settings.parityCheck = false;
    settings.txContinueOnXoff = false;

    const bool hardware = mode == FlowMode::Hardware;
    const bool software = mode == FlowMode::Software;
    settings.ctsOutFlow = hardware;
    settings.dsrOutFlow = hardware;
    settings.dsrSensitivity = hardware;
    settings.xonXoffOut = software;
    settings.xonXoffIn = software;
    settings.dtrControl = DtrControl::Enable;
    settings.rtsControl = hardware ? RtsControl::Handshake : RtsControl::Enable;
}

}  // namespace serlox

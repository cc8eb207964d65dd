#pragma once
// What the detector needs from the serial link, the handset command library and
// the model information service.
#include <cstdint>
#include <memory>

#include "serlox/serlox.h"

namespace porvesk {

// Every exchange with a handset runs at this rate.
constexpr uint32_t kHandsetBaudRate = 115200;

class HandsetLink {
public:
    virtual ~HandsetLink() = default;

    // LINK_OK only when this call opened the port.
    virtual LinkResult OpenPort(const PortSettings& settings) = 0;
    virtual void ClosePort(SerloxIDTag port) = 0;
    // Resets the handset and reads its model and IMEI texts; 0 when both were read.
    virtual int32_t DetectHandSetModel(const PortSettings& settings, int32_t attempts, int32_t timeoutMs, char* model,
                                       uint32_t modelSize, char* imei, uint32_t imeiSize) = 0;
    virtual int32_t QueryImei(const PortSettings& settings, char* imei, uint32_t size) = 0;
    virtual int32_t SetMsFlowControl(const PortSettings& settings, int32_t selector) = 0;
    // The SIM's IMSI and its service provider name as texts.
    virtual int32_t QueryImsi(const PortSettings& settings, char* imsi, uint32_t size) = 0;
    virtual int32_t QuerySpn(const PortSettings& settings, char* spn, uint32_t size) = 0;
    // The model information service's flow-control index.
    virtual uint32_t GetFlowControlIndex() = 0;
};

// The serial link's port objects, the handset command library's exports and the
// model agent (fetched once, now).
std::shared_ptr<HandsetLink> MakeSystemHandsetLink();

// Flow-control selector for the handset from the model agent's index:
// index 0 (software) gives 1, index 1 (hardware) gives 2, any other 0 (none).
constexpr int32_t kFlowControlNone = 0;
constexpr int32_t kFlowControlSoftware = 1;
constexpr int32_t kFlowControlHardware = 2;

constexpr int32_t FlowControlSelector(uint32_t flowControlIndex) {
    return flowControlIndex == 0   ? kFlowControlSoftware
           : flowControlIndex == 1 ? kFlowControlHardware
                                   : kFlowControlNone;
}

}  // namespace porvesk

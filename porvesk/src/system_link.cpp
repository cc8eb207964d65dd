#include "handset_link.h"

#include "mextal/mextal.h"
#include "modquar/modquar.h"

namespace porvesk {
namespace {

class SystemHandsetLink : public HandsetLink {
public:
    SystemHandsetLink() : agent_(GetModelAgent()) {}

    LinkResult OpenPort(const PortSettings& settings) override {
        CSerloxObj* port = SerloxGetObj(static_cast<int>(settings.port));
        return port != nullptr ? port->Open(settings) : LINK_OPEN_FAILED;
    }

    void ClosePort(SerloxIDTag port) override {
        if (CSerloxObj* object = SerloxGetObj(port)) object->Close();
    }

    int32_t DetectHandSetModel(const PortSettings& settings, int32_t attempts, int32_t timeoutMs, char* model,
                               uint32_t modelSize, char* imei, uint32_t imeiSize) override {
        return ::DetectHandSetModel(&settings, attempts, timeoutMs, model, modelSize, imei, imeiSize);
    }

    int32_t QueryImei(const PortSettings& settings, char* imei, uint32_t size) override {
        return ::QueryImei(&settings, imei, size);
    }

    int32_t SetMsFlowControl(const PortSettings& settings, int32_t selector) override {
        return ::SetMsFlowControl(&settings, selector);
    }

    int32_t QueryImsi(const PortSettings& settings, char* imsi, uint32_t size) override {
        return ::QueryImsi(&settings, imsi, size);
    }

    int32_t QuerySpn(const PortSettings& settings, char* spn, uint32_t size) override {
        return ::QuerySimSpn(&settings, spn, size);
    }

    uint32_t GetFlowControlIndex() override { return agent_->GetFlowControlIndex(); }

private:
    CModelAgent* agent_;
};

}  // namespace

std::shared_ptr<HandsetLink> MakeSystemHandsetLink() { return std::make_shared<SystemHandsetLink>(); }

}  // namespace porvesk

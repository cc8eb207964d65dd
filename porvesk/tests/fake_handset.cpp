#include "fake_handset.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "mextal/mextal.h"

namespace porvesk::test {
namespace {

constexpr auto kCallWaitBound = std::chrono::seconds(10);

void CopyCut(const std::string& text, char* buffer, uint32_t size) {
    std::memset(buffer, 0, size);
    std::memcpy(buffer, text.data(), std::min<size_t>(text.size(), size - 1));
}

}  // namespace

void FakeHandsetLink::PutPhone(int port, const FakePhone& phone) {
    std::lock_guard<std::mutex> hold(lock_);
    phones_[port] = phone;
}

void FakeHandsetLink::RemovePhone(int port) {
    std::lock_guard<std::mutex> hold(lock_);
    phones_.erase(port);
}

void FakeHandsetLink::SetOpenResult(int port, LinkResult result) {
    std::lock_guard<std::mutex> hold(lock_);
    openResults_[port] = result;
}

void FakeHandsetLink::SetFlowControlIndex(uint32_t index) {
    std::lock_guard<std::mutex> hold(lock_);
    flowControlIndex_ = index;
}

void FakeHandsetLink::OnDetect(std::function<void(SerloxIDTag)> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    onDetect_ = std::move(hook);
}

void FakeHandsetLink::OnQuery(std::function<void()> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    onQuery_ = std::move(hook);
}

void FakeHandsetLink::OnFlowControl(std::function<void()> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    onFlowControl_ = std::move(hook);
}

CallLog FakeHandsetLink::Calls() {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
}

CallLog FakeHandsetLink::Probes() {
    std::lock_guard<std::mutex> hold(lock_);
    return probes_;
}

size_t FakeHandsetLink::CountCalls(const std::string& call) {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<size_t>(std::count(calls_.begin(), calls_.end(), call));
}

bool FakeHandsetLink::IsOpen(int port) {
    std::lock_guard<std::mutex> hold(lock_);
    return open_.count(port) != 0;
}

bool FakeHandsetLink::WaitForCall(const std::string& call, size_t times) {
    std::unique_lock<std::mutex> hold(lock_);
    return logged_.wait_for(hold, kCallWaitBound, [&] {
        return static_cast<size_t>(std::count(calls_.begin(), calls_.end(), call)) >= times;
    });
}

void FakeHandsetLink::Log(const std::string& call) {
    calls_.push_back(call);
    logged_.notify_all();
}

LinkResult FakeHandsetLink::OpenPort(const PortSettings& settings) {
    std::lock_guard<std::mutex> hold(lock_);
    int port = static_cast<int>(settings.port);
    Log("open " + std::to_string(port));
    if (open_.count(port) != 0) return LINK_ALREADY_OPEN;
    auto scripted = openResults_.find(port);
    if (scripted != openResults_.end() && scripted->second != LINK_OK) return scripted->second;
    open_.insert(port);
    return LINK_OK;
}

void FakeHandsetLink::ClosePort(SerloxIDTag port) {
    std::lock_guard<std::mutex> hold(lock_);
    Log("close " + std::to_string(port));
    open_.erase(port);
}

int32_t FakeHandsetLink::DetectHandSetModel(const PortSettings& settings, int32_t attempts, int32_t timeoutMs,
                                            char* model, uint32_t modelSize, char* imei, uint32_t imeiSize) {
    int port = static_cast<int>(settings.port);
    int32_t result = LINK_TIMEOUT;
    std::function<void(SerloxIDTag)> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        Log("detect " + std::to_string(port) + " " + std::to_string(attempts));
        probes_.push_back(std::to_string(settings.port) + "," + std::to_string(settings.baudRate) + "," +
                          std::to_string(settings.reserved) + " " + std::to_string(timeoutMs));
        std::memset(model, 0, modelSize);
        std::memset(imei, 0, imeiSize);
        auto phone = phones_.find(port);
        if (open_.count(port) == 0) {
            result = MEXTAL_PORT_UNAVAILABLE;
        } else if (phone != phones_.end()) {
            result = phone->second.detectResult;
            if (result == MEXTAL_OK) {
                CopyCut(phone->second.model, model, modelSize);
                CopyCut(phone->second.imei, imei, imeiSize);
            }
        }
        hook = onDetect_;
    }
    if (hook) hook(static_cast<SerloxIDTag>(port));
    return result;
}

int32_t FakeHandsetLink::QueryImei(const PortSettings& settings, char* imei, uint32_t size) {
    return Query("imei", settings, imei, size, &FakePhone::imei, &FakePhone::queryResult);
}

int32_t FakeHandsetLink::QueryImsi(const PortSettings& settings, char* imsi, uint32_t size) {
    return Query("imsi", settings, imsi, size, &FakePhone::imsi, &FakePhone::imsiResult);
}

int32_t FakeHandsetLink::QuerySpn(const PortSettings& settings, char* spn, uint32_t size) {
    return Query("spn", settings, spn, size, &FakePhone::spn, &FakePhone::spnResult);
}

int32_t FakeHandsetLink::Query(const char* call, const PortSettings& settings, char* text, uint32_t size,
                               std::string FakePhone::*answer, int32_t FakePhone::*result) {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        hook = onQuery_;
    }
    if (hook) hook();
    std::lock_guard<std::mutex> hold(lock_);
    int port = static_cast<int>(settings.port);
    Log(call + (" " + std::to_string(port)));
    std::memset(text, 0, size);
    auto phone = phones_.find(port);
    if (open_.count(port) == 0) return MEXTAL_PORT_UNAVAILABLE;
    if (phone == phones_.end()) return LINK_TIMEOUT;
    if (phone->second.*result != MEXTAL_OK) return phone->second.*result;
    CopyCut(phone->second.*answer, text, size);
    return MEXTAL_OK;
}

int32_t FakeHandsetLink::SetMsFlowControl(const PortSettings& settings, int32_t selector) {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        Log("flow " + std::to_string(settings.port) + " " + std::to_string(selector));
        hook = onFlowControl_;
    }
    if (hook) hook();
    return MEXTAL_OK;
}

uint32_t FakeHandsetLink::GetFlowControlIndex() {
    std::lock_guard<std::mutex> hold(lock_);
    return flowControlIndex_;
}

}  // namespace porvesk::test

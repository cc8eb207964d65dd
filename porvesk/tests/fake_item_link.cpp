#include "fake_item_link.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace porvesk::test {
namespace {

std::string SettingsText(const PortSettings& settings) {
    return std::to_string(settings.port) + "," + std::to_string(settings.baudRate) + "," +
           std::to_string(settings.reserved);
}

}  // namespace

FakeItemLink::FakeItemLink(std::shared_ptr<FakeConnection> handset) : handset_(std::move(handset)) {}

void FakeItemLink::Answer(int32_t result, const std::string& content, bool handsOutBuffer) {
    std::lock_guard<std::mutex> hold(lock_);
    result_ = result;
    content_ = content;
    handsOutBuffer_ = handsOutBuffer;
}

void FakeItemLink::OnExchange(std::function<void()> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    onExchange_ = std::move(hook);
}

std::vector<std::string> FakeItemLink::Calls() {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
}

std::vector<const uint8_t*> FakeItemLink::Freed() {
    std::lock_guard<std::mutex> hold(lock_);
    return freed_;
}

int32_t FakeItemLink::ReadMsFile(const PortSettings& settings, int32_t kind, const char* path, uint8_t** data,
                                 uint32_t* length, uint32_t reserved) {
    return Read(
        "file " + SettingsText(settings) + " " + std::to_string(kind) + " " + path + " " + std::to_string(reserved),
        data, length);
}

int32_t FakeItemLink::ReadMediaCenter(const PortSettings& settings, int32_t category, int32_t kind, int32_t reserved,
                                      const char* name, uint8_t** data, uint32_t* length) {
    return Read("mc " + SettingsText(settings) + " " + std::to_string(category) + " " + std::to_string(kind) + " " +
                    std::to_string(reserved) + " " + name,
                data, length);
}

int32_t FakeItemLink::Read(const std::string& call, uint8_t** data, uint32_t* length) {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        calls_.push_back(call);
        hook = onExchange_;
    }
    if (hook) hook();
    std::lock_guard<std::mutex> hold(lock_);
    if (handsOutBuffer_) {
        *data = static_cast<uint8_t*>(std::malloc(content_.size() + 2));
        std::memcpy(*data, content_.data(), content_.size());
        std::memcpy(*data + content_.size(), "\r\n", 2);
        *length = static_cast<uint32_t>(content_.size());
    }
    return result_;
}

void FakeItemLink::OnImeiQuery(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    onImeiQuery_ = std::move(hook);
}

int32_t FakeItemLink::QueryImei(const PortSettings& settings, char* imei, uint32_t size) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        hook = onImeiQuery_;
    }
    if (hook) hook(SettingsText(settings));
    std::memset(imei, 0, size);
    const std::string answer = handset_->ImeiOnPort();
    std::memcpy(imei, answer.data(), std::min<size_t>(answer.size(), size - 1));
    return 0;
}

int32_t FakeItemLink::FreeRecvMem(uint8_t** pointer) {
    std::lock_guard<std::mutex> hold(lock_);
    freed_.push_back(*pointer);
    std::free(*pointer);
    *pointer = nullptr;
    return 0;
}

void FakeConnection::Connect(SerloxIDTag port, const std::string& imei) {
    std::lock_guard<std::mutex> hold(lock_);
    connected_ = true;
    port_ = port;
    imei_ = imei;
    imeiOnPort_ = imei;
}

void FakeConnection::SwapHandsetUnnoticed(const std::string& imei) {
    std::lock_guard<std::mutex> hold(lock_);
    imeiOnPort_ = imei;
}

std::string FakeConnection::ImeiOnPort() {
    std::lock_guard<std::mutex> hold(lock_);
    return imeiOnPort_;
}

size_t FakeConnection::Queries() {
    std::lock_guard<std::mutex> hold(lock_);
    return queries_;
}

void FakeConnection::Disconnect() {
    std::lock_guard<std::mutex> hold(lock_);
    connected_ = false;
}

bool FakeConnection::Current(SerloxIDTag& port, std::string& imei) {
    std::lock_guard<std::mutex> hold(lock_);
    ++queries_;
    if (!connected_) return false;
    port = port_;
    imei = imei_;
    return true;
}

}  // namespace porvesk::test

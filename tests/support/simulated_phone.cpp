#include "simulated_phone.h"

#include <chrono>
#include <stdexcept>

#include "hex_text.h"
#include "phone_host.h"

namespace ravelin::test {
namespace {

constexpr int kReplyTimeoutMs = 10000;
constexpr int kReceivedPollMs = 5;
constexpr int kPhoneCount = 2;
constexpr const char* kFinalOk = "ok";
constexpr const char* kFinalError = "error";
constexpr const char* kHexPrefix = "hex:";

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool IsErrorLine(const std::string& line) {
    return line == kFinalError || StartsWith(line, std::string(kFinalError) + " ");
}

// A request or option text must stay one line: a line break would smuggle a
// second request into the control channel.
void RequireSingleLine(const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos) {
        throw std::invalid_argument("phone simulator request holds a line break");
    }
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(left.count());
}

}  // namespace

std::unique_ptr<SimulatedPhone> SimulatedPhone::Start(int index, const std::string& options) {
    if (index < 0 || index >= kPhoneCount) throw std::invalid_argument("phone simulator index is 0 or 1");
    RequireSingleLine(options);
    host::PhoneEndpoint endpoint = host::OpenPhone(index, options);
    std::unique_ptr<SimulatedPhone> phone(new SimulatedPhone());
    phone->comPort_ = endpoint.comPort;
    phone->processId_ = endpoint.processId;
    phone->linkPath_ = endpoint.linkPath;
    phone->socket_ = host::Connect(endpoint.host, endpoint.controlPort);
    if (endpoint.needsReset) phone->Reset(options);
    return phone;
}

SimulatedPhone::~SimulatedPhone() {
    try {
        if (socket_ != host::kNoSocket) {
            if (host::OwnsPhoneProcess()) {
                Request("quit");
            } else {
                Request("reset");
                Request("plug");
            }
        }
    } catch (const std::exception&) {
        // The simulator is gone or stuck; ReleasePhone ends it if it is ours.
    }
    if (socket_ != host::kNoSocket) host::Disconnect(socket_);
    host::PhoneEndpoint endpoint;
    endpoint.processId = processId_;
    endpoint.linkPath = linkPath_;
    host::ReleasePhone(endpoint);
}

void SimulatedPhone::Reset(const std::string& options) {
    RequireSingleLine(options);
    Request(options.empty() ? "reset" : "reset " + options);
}

void SimulatedPhone::SetRaw(bool raw) { Request(raw ? "raw on" : "raw off"); }

void SimulatedPhone::SendRaw(const std::string& bytes) { Request("send " + ToHex(bytes)); }

std::string SimulatedPhone::TakeReceived() {
    std::vector<std::string> data = Request("received");
    if (data.size() != 1) throw std::runtime_error("phone simulator: 'received' gave no hex line");
    return FromHex(data.front());
}

std::string SimulatedPhone::WaitReceived(size_t count, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string received = TakeReceived();
    while (received.size() < count && MillisecondsUntil(deadline) > 0) {
        host::SleepMs(kReceivedPollMs);
        received += TakeReceived();
    }
    return received;
}

std::vector<std::string> SimulatedPhone::Commands() {
    std::vector<std::string> commands = Request("commands");
    for (std::string& command : commands) {
        if (StartsWith(command, kHexPrefix)) command = FromHex(command.substr(std::string(kHexPrefix).size()));
    }
    return commands;
}

void SimulatedPhone::Hangup() { Request("hangup"); }

void SimulatedPhone::Plug() { Request("plug"); }

std::vector<std::string> SimulatedPhone::Request(const std::string& line) {
    RequireSingleLine(line);
    if (socket_ == host::kNoSocket) throw std::runtime_error("phone simulator not connected");
    host::SendAll(socket_, line + "\n");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
    std::vector<std::string> data;
    std::string pending;
    for (;;) {
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string reply = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (reply == kFinalOk) return data;
            if (IsErrorLine(reply)) throw std::runtime_error("phone simulator: '" + line + "': " + reply);
            data.push_back(reply);
        }
        int left = MillisecondsUntil(deadline);
        if (left <= 0) throw std::runtime_error("phone simulator: no reply to '" + line + "'");
        pending += host::ReceiveSome(socket_, left);
    }
}

}  // namespace ravelin::test

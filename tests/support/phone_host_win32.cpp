// Under Wine the bench starts the simulators before the tests and names them in
// RAVELIN_PHONES ("<com>@<host>:<port>,<com>@<host>:<port>"); a test attaches to one
// and leaves it running, reset, for the next test.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <ravelin/win32.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "phone_host.h"

namespace ravelin::test::host {
namespace {

constexpr const char* kPhonesVariable = "RAVELIN_PHONES";
constexpr size_t kReadSize = 64 * 1024;
constexpr WORD kWinsockVersion = MAKEWORD(2, 2);
constexpr int kMillisecondsPerSecond = 1000;

std::runtime_error SocketError(const std::string& what) {
    return std::runtime_error("phone simulator: " + what + ": Winsock error " + std::to_string(WSAGetLastError()));
}

void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        if (WSAStartup(kWinsockVersion, &data) != 0) throw std::runtime_error("phone simulator: WSAStartup failed");
        return true;
    }();
    (void)started;
}

std::vector<std::string> Entries(const std::string& list) {
    std::vector<std::string> entries;
    std::stringstream stream(list);
    std::string entry;
    while (std::getline(stream, entry, ',')) entries.push_back(entry);
    return entries;
}

}  // namespace

PhoneEndpoint OpenPhone(int index, const std::string&) {
    const char* list = std::getenv(kPhonesVariable);
    if (!list) throw std::runtime_error("phone simulator: RAVELIN_PHONES is not set");
    std::vector<std::string> entries = Entries(list);
    if (static_cast<size_t>(index) >= entries.size()) {
        throw std::runtime_error("phone simulator: RAVELIN_PHONES names no phone " + std::to_string(index));
    }
    const std::string& entry = entries[index];
    size_t at = entry.find('@');
    size_t colon = entry.rfind(':');
    if (at == std::string::npos || colon == std::string::npos || colon < at) {
        throw std::runtime_error("phone simulator: bad RAVELIN_PHONES entry '" + entry + "'");
    }
    PhoneEndpoint endpoint;
    endpoint.comPort = std::atoi(entry.substr(0, at).c_str());
    endpoint.host = entry.substr(at + 1, colon - at - 1);
    endpoint.controlPort = std::atoi(entry.c_str() + colon + 1);
    endpoint.needsReset = true;
    if (endpoint.comPort <= 0 || endpoint.controlPort <= 0) {
        throw std::runtime_error("phone simulator: bad RAVELIN_PHONES entry '" + entry + "'");
    }
    return endpoint;
}

void ReleasePhone(const PhoneEndpoint&) {}

bool OwnsPhoneProcess() { return false; }

intptr_t Connect(const std::string& host, int port) {
    StartWinsock();
    SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd == INVALID_SOCKET) throw SocketError("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr(host.c_str());
    if (address.sin_addr.s_addr == INADDR_NONE ||
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::runtime_error error = SocketError("connect to " + host + ":" + std::to_string(port));
        closesocket(fd);
        throw error;
    }
    return static_cast<intptr_t>(fd);
}

void Disconnect(intptr_t socket) { closesocket(static_cast<SOCKET>(socket)); }

void SendAll(intptr_t socket, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        int n = send(static_cast<SOCKET>(socket), bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n == SOCKET_ERROR) throw SocketError("send to control channel");
        sent += static_cast<size_t>(n);
    }
}

std::string ReceiveSome(intptr_t socket, int timeoutMs) {
    SOCKET fd = static_cast<SOCKET>(socket);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    timeval timeout{timeoutMs / kMillisecondsPerSecond, (timeoutMs % kMillisecondsPerSecond) * kMillisecondsPerSecond};
    int ready = select(0, &readable, nullptr, nullptr, &timeout);
    if (ready == SOCKET_ERROR) throw SocketError("select on control channel");
    if (ready == 0) throw std::runtime_error("phone simulator: control channel timed out");
    std::string buffer(kReadSize, '\0');
    int got = recv(fd, &buffer[0], static_cast<int>(buffer.size()), 0);
    if (got == SOCKET_ERROR) throw SocketError("receive from control channel");
    if (got == 0) throw std::runtime_error("phone simulator closed the control channel");
    buffer.resize(static_cast<size_t>(got));
    return buffer;
}

void SleepMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace ravelin::test::host

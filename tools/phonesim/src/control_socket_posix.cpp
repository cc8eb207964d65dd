#include "control_socket_posix.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace phonesim {
namespace {

constexpr int kBacklog = 4;

int Fail(int fd, std::string& error, const char* what) {
    error = std::string(what) + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return -1;
}

}  // namespace

int ListenOnLoopback(int port, int& boundPort, std::string& error) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return Fail(fd, error, "socket");
    int reuse = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return Fail(fd, error, "bind");
    }
    if (listen(fd, kBacklog) != 0) return Fail(fd, error, "listen");
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return Fail(fd, error, "getsockname");
    }
    boundPort = ntohs(address.sin_port);
    return fd;
}

int AcceptClient(int listener) { return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK); }

}  // namespace phonesim

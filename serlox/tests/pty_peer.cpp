#include "pty_peer.h"

#include "port_checks.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace serlox::test {

DeviceMapFolder::DeviceMapFolder() { SetVariable("SERLOX_DEVICE_DIR", folder_.Path().c_str()); }

DeviceMapFolder::~DeviceMapFolder() { SetVariable("SERLOX_DEVICE_DIR", nullptr); }

PtyPeer::PtyPeer(const DeviceMapFolder& folder, int port) : link_(folder.Path() + "/com" + std::to_string(port)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pty");
    const std::string terminal = ptsname(master_);
    terminal_ = open(terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ < 0 || symlink(terminal.c_str(), link_.c_str()) != 0) throw std::runtime_error("no map entry");
}

PtyPeer::~PtyPeer() {
    unlink(link_.c_str());
    HangUp();
    if (terminal_ >= 0) close(terminal_);
}

void PtyPeer::Send(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t put = write(master_, bytes.data() + sent, bytes.size() - sent);
        if (put < 0 && errno == EINTR) continue;
        ASSERT_GT(put, 0) << "peer write failed, errno " << errno;
        sent += static_cast<size_t>(put);
    }
}

std::string PtyPeer::Receive(size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string received;
    while (received.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{master_, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) <= 0) break;
        char buffer[4096];
        const ssize_t got = read(master_, buffer, sizeof buffer);
        if (got <= 0) break;
        received.append(buffer, static_cast<size_t>(got));
    }
    return received;
}

termios PtyPeer::Line() const {
    termios line{};
    tcgetattr(terminal_, &line);
    return line;
}

bool PtyPeer::Exclusive() const {
    int exclusive = 0;
    EXPECT_EQ(ioctl(terminal_, TIOCGEXCL, &exclusive), 0) << "errno " << errno;
    return exclusive != 0;
}

void PtyPeer::HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

}  // namespace serlox::test

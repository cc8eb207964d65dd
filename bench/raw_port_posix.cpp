#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "raw_port.h"

namespace bench {
namespace {

class TermiosPort : public RawPort {
public:
    explicit TermiosPort(int fd) : fd_(fd) {}
    ~TermiosPort() override { close(fd_); }

    bool Write(const std::string& bytes) override {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t put = write(fd_, bytes.data() + sent, bytes.size() - sent);
            if (put > 0) {
                sent += static_cast<size_t>(put);
            } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            } else {
                pollfd entry{fd_, POLLOUT, 0};
                poll(&entry, 1, -1);
            }
        }
        return true;
    }

    long ReadSome(char* buffer, size_t capacity, int timeoutMs) override {
        pollfd entry{fd_, POLLIN, 0};
        const int ready = poll(&entry, 1, timeoutMs);
        if (ready < 0) return errno == EINTR ? 0 : -1;
        if (ready == 0) return 0;
        const ssize_t got = read(fd_, buffer, capacity);
        if (got < 0) return errno == EAGAIN || errno == EINTR ? 0 : -1;
        return got == 0 ? -1 : got;
    }

private:
    int fd_;
};

}  // namespace

// COM n is the device that $SERLOX_DEVICE_DIR/com<n> names, as for the serial link.
std::unique_ptr<RawPort> RawPort::Open(int comPort) {
    const char* folder = std::getenv("SERLOX_DEVICE_DIR");
    if (folder == nullptr) return nullptr;
    const std::string path = std::string(folder) + "/com" + std::to_string(comPort);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    termios line{};
    if (tcgetattr(fd, &line) != 0) {
        close(fd);
        return nullptr;
    }
    cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    cfsetspeed(&line, B115200);
    tcsetattr(fd, TCSANOW, &line);
    tcflush(fd, TCIOFLUSH);
    return std::make_unique<TermiosPort>(fd);
}

}  // namespace bench

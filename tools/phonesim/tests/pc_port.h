#pragma once
// The PC's end of the simulated cable for wire tests: the pty slave opened raw
// through the COM link the test support made.
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "simulated_phone.h"

namespace phonesim::testing {

inline std::string LinkPath(int comPort) {
    const char* dir = std::getenv("SERLOX_DEVICE_DIR");
    return std::string(dir ? dir : "") + "/com" + std::to_string(comPort);
}

class PcPort {
public:
    explicit PcPort(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
        termios settings{};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    explicit PcPort(const ravelin::test::SimulatedPhone& phone) : PcPort(LinkPath(phone.ComPort())) {}
    ~PcPort() { close(fd_); }
    PcPort(const PcPort&) = delete;
    PcPort& operator=(const PcPort&) = delete;

    // Writes everything, waiting while the pty is full (at most timeoutMs per wait).
    void Write(const std::string& bytes, int timeoutMs = 3000) {
        for (size_t done = 0; done < bytes.size();) {
            ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            pollfd writable{fd_, POLLOUT, 0};
            bool retry = n < 0 && (errno == EAGAIN || errno == EINTR);
            if (!retry || poll(&writable, 1, timeoutMs) <= 0) throw std::runtime_error("short write to the pty");
        }
    }

    // Reads until at least `count` bytes arrived, the port closed or timeoutMs passed.
    std::string Read(size_t count, int timeoutMs = 3000) {
        std::string got;
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count && !ReadSome(got, deadline)) {
        }
        return got;
    }

    // Everything that arrives within `ms`.
    std::string ReadFor(int ms) {
        std::string got;
        auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (!ReadSome(got, deadline)) {
        }
        return got;
    }

    // True when the port reads end of file or fails (the cable was pulled) within timeoutMs.
    bool WaitClosed(int timeoutMs = 3000) {
        std::string ignored;
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!ReadSome(ignored, deadline)) {
        }
        return closed_;
    }

private:
    using Clock = std::chrono::steady_clock;

    // Appends what one read gives; true when the time is up or the port closed.
    bool ReadSome(std::string& got, Clock::time_point deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || closed_) return true;
        pollfd readable{fd_, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left)) <= 0) return true;
        char buffer[4096];
        ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, static_cast<size_t>(n));
            return false;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return false;
        closed_ = true;
        return true;
    }

    int fd_ = -1;
    bool closed_ = false;
};

}  // namespace phonesim::testing

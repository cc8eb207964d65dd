// Serial device on a POSIX terminal. COM n is the device that the entry
// "com<n>" of the port map folder links to (see device_name.h). The stop
// signal is an eventfd that every poll() of the reader and writer watches.
#include "serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>

#include "device_name.h"
#include "termios_settings.h"

namespace serlox {
namespace {

constexpr int kNoFd = -1;
constexpr int kWaitForever = -1;

// poll() that resumes after signals.
int PollRetrying(pollfd* fds, nfds_t count, int timeoutMs) {
    int ready;
    do {
        ready = poll(fds, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready;
}

bool Readable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return PollRetrying(&entry, 1, timeoutMs) > 0 && (entry.revents & POLLIN) != 0;
}

// The modem lines of a pseudo-terminal do not exist; failing to set them is no error.
void SetModemLine(int fd, int line) { ioctl(fd, TIOCMBIS, &line); }

}  // namespace

struct StopSignal::State {
    int fd = kNoFd;
};

StopSignal::StopSignal() : state_(std::make_unique<State>()) { state_->fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

StopSignal::~StopSignal() {
    if (state_->fd != kNoFd) close(state_->fd);
}

bool StopSignal::Valid() const { return state_->fd != kNoFd; }

void StopSignal::Raise() {
    const eventfd_t one = 1;
    ssize_t ignored = write(state_->fd, &one, sizeof one);
    (void)ignored;
}

void StopSignal::Clear() {
    eventfd_t count;
    ssize_t ignored = read(state_->fd, &count, sizeof count);
    (void)ignored;
}

bool StopSignal::IsRaised() const { return Readable(state_->fd, 0); }

bool StopSignal::WaitFor(uint32_t timeoutMs) const { return Readable(state_->fd, static_cast<int>(timeoutMs)); }

struct SerialDevice::State {
    int fd = kNoFd;
};

SerialDevice::SerialDevice() : state_(std::make_unique<State>()) {}

SerialDevice::~SerialDevice() { Close(); }

bool SerialDevice::Valid() const { return true; }

bool SerialDevice::Open(int port) {
    const std::string folder = DeviceMapFolder(std::getenv("SERLOX_DEVICE_DIR"), std::getenv("HOME"));
    const std::string path = DeviceMapEntry(folder, port);
    if (path.empty()) return false;
    state_->fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (state_->fd == kNoFd) return false;
    open_ = true;
    return true;
}

bool SerialDevice::SetUp() {
    termios line;
    if (ioctl(state_->fd, TIOCEXCL) != 0 || tcgetattr(state_->fd, &line) != 0) return false;
    MakeRaw(line);
    if (tcsetattr(state_->fd, TCSANOW, &line) != 0) return false;
    Purge();
    return true;
}

bool SerialDevice::ReadLineSettings(LineSettings& settings) {
    termios line;
    if (tcgetattr(state_->fd, &line) != 0) return false;
    settings = FromTermios(line);
    return true;
}

bool SerialDevice::WriteLineSettings(const LineSettings& settings) {
    termios line;
    if (tcgetattr(state_->fd, &line) != 0 || !ApplyToTermios(settings, line) ||
        tcsetattr(state_->fd, TCSANOW, &line) != 0) {
        return false;
    }
    if (settings.dtrControl == DtrControl::Enable) SetModemLine(state_->fd, TIOCM_DTR);
    if (settings.rtsControl == RtsControl::Enable) SetModemLine(state_->fd, TIOCM_RTS);
    return true;
}

void SerialDevice::Purge() { tcflush(state_->fd, TCIOFLUSH); }

WaitResult SerialDevice::WaitForInput(const StopSignal& stop) {
    pollfd fds[2] = {{state_->fd, POLLIN, 0}, {stop.Native().fd, POLLIN, 0}};
    if (PollRetrying(fds, 2, kWaitForever) < 0) return WaitResult::Gone;
    if (fds[1].revents & POLLIN) return WaitResult::Stopped;
    // A hung-up terminal reports POLLHUP (with POLLIN); its reads return nothing ever after.
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return WaitResult::Gone;
    return WaitResult::Input;
}

// An empty read is no hang-up: a purge may have emptied the terminal between
// poll() and read(). A lost device shows as POLLHUP/POLLERR or a failed read.
bool SerialDevice::ReadAvailable(char* buffer, size_t capacity, size_t& count, const StopSignal&) {
    count = 0;
    const ssize_t got = read(state_->fd, buffer, capacity);
    if (got >= 0) {
        count = static_cast<size_t>(got);
        return true;
    }
    return errno == EAGAIN || errno == EINTR;
}

bool SerialDevice::WritePiece(const char* bytes, size_t count, uint32_t timeoutMs, const StopSignal& stop,
                              size_t& written) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    written = 0;
    while (written < count) {
        const ssize_t put = write(state_->fd, bytes + written, count - written);
        if (put > 0) {
            written += static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd fds[2] = {{state_->fd, POLLOUT, 0}, {stop.Native().fd, POLLIN, 0}};
        if (PollRetrying(fds, 2, static_cast<int>(left)) < 0 || (fds[1].revents & POLLIN) ||
            (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            return false;
        }
    }
    return true;
}

void SerialDevice::RaiseDtr() { SetModemLine(state_->fd, TIOCM_DTR); }

// The exclusive mode belongs to the terminal, not to this descriptor: left on,
// it would keep every ordinary user (this one included) from opening the
// device again while any other descriptor holds it.
void SerialDevice::Close() {
    if (state_->fd == kNoFd) return;
    open_ = false;
    Purge();
    ioctl(state_->fd, TIOCNXCL);
    close(state_->fd);
    state_->fd = kNoFd;
}

}  // namespace serlox

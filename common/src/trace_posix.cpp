// The trace's system side on POSIX: the file named by RAVELIN_TRACE, opened for
// appending on every line, so that no descriptor outlives a library that is
// unloaded and every process sees the same file.
#include <fcntl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "trace_platform.h"

namespace ravelin::trace::platform {

namespace {

// A fixed buffer rather than a std::string: nothing to destroy while another
// thread may still be writing as the process or library goes away.
char tracePath[4096];

}  // namespace

Stamp Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    Stamp stamp;
    stamp.year = local.tm_year + 1900;
    stamp.month = local.tm_mon + 1;
    stamp.day = local.tm_mday;
    stamp.hour = local.tm_hour;
    stamp.minute = local.tm_min;
    stamp.second = local.tm_sec;
    stamp.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    stamp.process = static_cast<uint32_t>(getpid());
    stamp.thread = static_cast<uint32_t>(syscall(SYS_gettid));
    return stamp;
}

bool LoadConfiguredPath() {
    const char* path = std::getenv("RAVELIN_TRACE");
    if (path == nullptr || path[0] == '\0' || std::strlen(path) >= sizeof tracePath) return false;
    std::strcpy(tracePath, path);
    return true;
}

// O_APPEND makes each write land whole at the end of the file.
bool Append(std::string_view line) {
    const int fd = open(tracePath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const ssize_t written = line.empty() ? 0 : write(fd, line.data(), line.size());
    close(fd);
    return written == static_cast<ssize_t>(line.size());
}

PreservedError::PreservedError() : saved_(static_cast<uint32_t>(errno)) {}

PreservedError::~PreservedError() { errno = static_cast<int>(saved_); }

uint32_t LastErrorCode() { return static_cast<uint32_t>(errno); }

std::string ErrorText(uint32_t code) {
    char text[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    return strerror_r(static_cast<int>(code), text, sizeof text);
}

}  // namespace ravelin::trace::platform

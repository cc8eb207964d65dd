#include "pty_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace phonesim {
namespace {

constexpr size_t kPtyNameSize = 128;

std::string Describe(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool Fail(PtyPair& pty, std::string& error, const char* what) {
    error = Describe(what);
    ClosePty(pty);
    return false;
}

}  // namespace

bool OpenPty(PtyPair& pty, std::string& error) {
    pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master < 0) return Fail(pty, error, "posix_openpt");
    if (grantpt(pty.master) != 0) return Fail(pty, error, "grantpt");
    if (unlockpt(pty.master) != 0) return Fail(pty, error, "unlockpt");
    char name[kPtyNameSize];
    if (ptsname_r(pty.master, name, sizeof name) != 0) return Fail(pty, error, "ptsname_r");
    pty.slavePath = name;
    pty.slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.slave < 0) return Fail(pty, error, "open slave");
    termios settings{};
    if (tcgetattr(pty.slave, &settings) != 0) return Fail(pty, error, "tcgetattr");
    cfmakeraw(&settings);
    if (tcsetattr(pty.slave, TCSANOW, &settings) != 0) return Fail(pty, error, "tcsetattr");
    int flags = fcntl(pty.master, F_GETFL);
    if (flags < 0 || fcntl(pty.master, F_SETFL, flags | O_NONBLOCK) != 0) {
        return Fail(pty, error, "fcntl");
    }
    return true;
}

void ClosePty(PtyPair& pty) {
    if (pty.master >= 0) close(pty.master);
    if (pty.slave >= 0) close(pty.slave);
    pty = PtyPair{};
}

int UnreadByPc(const PtyPair& pty) {
    int pending = 0;
    if (pty.slave < 0 || ioctl(pty.slave, TIOCINQ, &pending) != 0) return 0;
    return pending;
}

bool PointLink(const std::string& link, const std::string& target, std::string& error) {
    std::string temporary = link + ".tmp" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        error = Describe(("symlink " + temporary).c_str());
        return false;
    }
    if (rename(temporary.c_str(), link.c_str()) != 0) {
        error = Describe(("rename to " + link).c_str());
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveLink(const std::string& link) {
    struct stat status {};
    if (lstat(link.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) unlink(link.c_str());
}

}  // namespace phonesim

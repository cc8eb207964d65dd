// Natively each test starts its own simulator process on a fresh pty.
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "phone_host.h"
#include "temp_folder.h"

extern char** environ;

namespace ravelin::test::host {
namespace {

constexpr const char* kDeviceDirVariable = "SERLOX_DEVICE_DIR";
constexpr int kComPorts[] = {5, 12};
constexpr int kStartTimeoutMs = 10000;
constexpr int kExitTimeoutMs = 3000;
constexpr int kExitPollMs = 10;
constexpr size_t kReadSize = 64 * 1024;
constexpr const char* kLoopback = "127.0.0.1";

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error("phone simulator: " + what + ": " + std::strerror(errno));
}

// The serial link maps COM n to $SERLOX_DEVICE_DIR/com<n>; unless the caller chose
// the folder, every test process gets its own, removed again at exit.
std::string DeviceDir() {
    if (const char* chosen = std::getenv(kDeviceDirVariable); chosen && *chosen) return chosen;
    static const TempFolder own("ravelin-phones");
    setenv(kDeviceDirVariable, own.Path().c_str(), 1);
    return own.Path();
}

// Option words split at blanks, double quotes grouping, as the simulator does.
std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) throw std::invalid_argument("phone simulator options: unterminated quote");
    if (inWord) words.push_back(word);
    return words;
}

bool WaitForExit(pid_t pid, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += kExitPollMs) {
        pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) return true;
        SleepMs(kExitPollMs);
    }
    return false;
}

void EndProcess(pid_t pid) {
    if (pid <= 0) return;
    if (WaitForExit(pid, kExitTimeoutMs)) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

pid_t Spawn(const std::vector<std::string>& arguments, int stdoutFd) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    pid_t pid = 0;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        errno = failed;
        throw SystemError(std::string("cannot start ") + argv[0]);
    }
    return pid;
}

// The simulator's first line, or "" when it ended without one.
std::string ReadFirstLine(int fd) {
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (line.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return "";
        char buffer[256];
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) return "";
        line.append(buffer, static_cast<size_t>(got));
    }
    return line.substr(0, line.find('\n'));
}

// "pty=<path> control=<port>"
int ControlPortOf(const std::string& line) {
    size_t at = line.rfind(" control=");
    if (line.rfind("pty=", 0) != 0 || at == std::string::npos) return 0;
    return std::atoi(line.c_str() + at + std::strlen(" control="));
}

}  // namespace

PhoneEndpoint OpenPhone(int index, const std::string& options) {
    PhoneEndpoint endpoint;
    endpoint.comPort = kComPorts[index];
    endpoint.linkPath = DeviceDir() + "/com" + std::to_string(endpoint.comPort);
    endpoint.host = kLoopback;
    std::vector<std::string> arguments = {PHONESIM_PATH, "--link", endpoint.linkPath, "--control-port", "0"};
    for (std::string& word : SplitWords(options)) arguments.push_back(std::move(word));

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) throw SystemError("pipe");
    pid_t pid = 0;
    try {
        pid = Spawn(arguments, pipeFds[1]);
    } catch (...) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        throw;
    }
    close(pipeFds[1]);
    std::string line = ReadFirstLine(pipeFds[0]);
    close(pipeFds[0]);
    endpoint.processId = pid;
    endpoint.controlPort = ControlPortOf(line);
    if (endpoint.controlPort <= 0) {
        kill(pid, SIGTERM);
        EndProcess(pid);
        throw std::runtime_error("phone simulator did not start with options '" + options + "' (got '" + line + "')");
    }
    return endpoint;
}

void ReleasePhone(const PhoneEndpoint& endpoint) {
    EndProcess(static_cast<pid_t>(endpoint.processId));
    if (endpoint.linkPath.empty()) return;
    struct stat status {};
    if (lstat(endpoint.linkPath.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) unlink(endpoint.linkPath.c_str());
}

bool OwnsPhoneProcess() { return true; }

intptr_t Connect(const std::string& host, int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw SystemError("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 ||
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::runtime_error error = SystemError("connect to " + host + ":" + std::to_string(port));
        close(fd);
        throw error;
    }
    return fd;
}

void Disconnect(intptr_t socket) { close(static_cast<int>(socket)); }

void SendAll(intptr_t socket, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(static_cast<int>(socket), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SystemError("send to control channel");
        sent += static_cast<size_t>(n);
    }
}

std::string ReceiveSome(intptr_t socket, int timeoutMs) {
    pollfd readable{static_cast<int>(socket), POLLIN, 0};
    int ready = poll(&readable, 1, timeoutMs);
    if (ready < 0) throw SystemError("poll control channel");
    if (ready == 0) throw std::runtime_error("phone simulator: control channel timed out");
    std::string buffer(kReadSize, '\0');
    ssize_t got = recv(static_cast<int>(socket), buffer.data(), buffer.size(), 0);
    if (got < 0) throw SystemError("receive from control channel");
    if (got == 0) throw std::runtime_error("phone simulator closed the control channel");
    buffer.resize(static_cast<size_t>(got));
    return buffer;
}

void SleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace ravelin::test::host

#include "simulator.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include "control_socket_posix.h"
#include "hex.h"

namespace phonesim {
namespace {

constexpr size_t kReadSize = 64 * 1024;
constexpr std::string_view kOn = "on";
constexpr std::string_view kOff = "off";

void Warn(const std::string& what) { std::fprintf(stderr, "phonesim: %s: %s\n", what.c_str(), std::strerror(errno)); }

bool Retryable(int error) { return error == EINTR || error == EAGAIN || error == EWOULDBLOCK; }

timespec ToTimespec(Clock::duration wait) {
    auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    if (nanoseconds < 0) nanoseconds = 0;
    constexpr long kNanosecondsPerSecond = 1000000000L;
    return timespec{static_cast<time_t>(nanoseconds / kNanosecondsPerSecond),
                    static_cast<long>(nanoseconds % kNanosecondsPerSecond)};
}

}  // namespace

Simulator::Simulator(const ParsedOptions& options) : start_(options.start), table_(MakeCommandTable()) {
    Configure(options.phone);
}

Simulator::~Simulator() {
    ClosePty(pty_);
    if (client_ >= 0) close(client_);
    if (listener_ >= 0) close(listener_);
}

bool Simulator::Start(std::string& error) {
    if (!Plug(error)) return false;
    listener_ = ListenOnLoopback(start_.controlPort, controlPort_, error);
    return listener_ >= 0;
}

void Simulator::Configure(const PhoneOptions& options) {
    handset_ = std::make_unique<Handset>(options, table_);
    output_ = OutputScheduler(LineTiming{options.split, options.paceBaud});
    hangupSince_.reset();
    restartAfterHangup_.reset();
    received_.clear();
    raw_ = false;
}

bool Simulator::Plug(std::string& error) {
    if (Plugged()) return true;
    if (!OpenPty(pty_, error)) return false;
    if (!start_.linkPath.empty() && !PointLink(start_.linkPath, pty_.slavePath, error)) {
        ClosePty(pty_);
        return false;
    }
    handset_->Reconnect();
    pcBlocked_ = false;
    return true;
}

// The cable is pulled: the PC's port reads end of file or fails, and the link goes
// away with the port it named so it can never point at someone else's pty.
void Simulator::HangUp() {
    if (!Plugged()) return;
    if (!start_.linkPath.empty()) RemoveLink(start_.linkPath);
    ClosePty(pty_);
    output_.Clear();
    pcBlocked_ = false;
    hangupSince_.reset();
    if (restartAfterHangup_) replugAt_ = Clock::now() + *restartAfterHangup_;
    restartAfterHangup_.reset();
}

void Simulator::HangUpOnceRead(TimePoint now) {
    if (!hangupSince_) hangupSince_ = now;
    Clock::duration waited = now - *hangupSince_;
    if (waited >= kHangupGrace || (waited >= kHangupSettle && UnreadByPc(pty_) == 0)) HangUp();
}

// A restarting phone comes back; an upload that paused too long is dropped once
// the go-ahead is out.
void Simulator::RunTimers(TimePoint now) {
    if (replugAt_ && now >= *replugAt_) {
        replugAt_.reset();
        std::string error;
        if (!Plug(error)) std::fprintf(stderr, "phonesim: restart: %s\n", error.c_str());
    }
    std::optional<TimePoint> uploadDeadline = handset_->UploadDeadline();
    if (uploadDeadline && now >= *uploadDeadline && output_.Empty()) handset_->DropUpload();
}

std::optional<TimePoint> Simulator::NextWake() const {
    std::optional<TimePoint> wake;
    auto consider = [&wake](std::optional<TimePoint> when) {
        if (when && (!wake || *when < *wake)) wake = when;
    };
    if (hangupSince_) {
        consider(std::max(Clock::now() + kHangupPoll, *hangupSince_ + kHangupSettle));
    } else if (!pcBlocked_) {
        consider(output_.NextEvent());
    }
    consider(replugAt_);
    if (output_.Empty()) consider(handset_->UploadDeadline());
    return wake;
}

bool Simulator::Run(const volatile std::sig_atomic_t& stopRequested, const sigset_t& waitMask) {
    while (!stopRequested && !(quitting_ && clientOutput_.empty())) {
        RunTimers(Clock::now());
        WriteToPc(Clock::now());
        PollSet watched = Watched();
        std::optional<TimePoint> wake = NextWake();
        timespec timeout{};
        if (wake) timeout = ToTimespec(*wake - Clock::now());
        if (ppoll(watched.fds, watched.count, wake ? &timeout : nullptr, &waitMask) < 0) {
            if (errno == EINTR) continue;
            Warn("ppoll");
            return false;
        }
        Dispatch(watched, Clock::now());
    }
    return true;
}

Simulator::PollSet Simulator::Watched() const {
    PollSet set;
    if (Plugged()) set.pty = set.Add(pty_.master, POLLIN | (pcBlocked_ ? POLLOUT : 0));
    if (client_ < 0 && !quitting_) set.listener = set.Add(listener_, POLLIN);
    if (client_ >= 0) set.client = set.Add(client_, POLLIN | (clientOutput_.empty() ? 0 : POLLOUT));
    return set;
}

void Simulator::Dispatch(const PollSet& set, TimePoint now) {
    constexpr short kReadable = POLLIN | POLLHUP | POLLERR;
    if (set.Events(set.pty) & POLLOUT) pcBlocked_ = false;
    if (set.Events(set.pty) & kReadable) ReadFromPc(now);
    if (set.Events(set.listener) & POLLIN) AcceptControlClient();
    if (set.Events(set.client) & kReadable) ReadFromClient();
    if (set.client != PollSet::kAbsent && client_ >= 0 && !clientOutput_.empty()) WriteToClient();
}

void Simulator::ReadFromPc(TimePoint now) {
    char buffer[kReadSize];
    ssize_t got = read(pty_.master, buffer, sizeof buffer);
    if (got < 0 && Retryable(errno)) return;
    if (got <= 0) {
        Warn("read from pty");
        HangUp();
        return;
    }
    std::string_view bytes(buffer, static_cast<size_t>(got));
    Record(bytes);
    if (raw_) return;
    TimePoint answerDue = now + std::chrono::milliseconds(handset_->Options().delayMs);
    for (Reply& reply : handset_->Receive(bytes, now)) {
        output_.Push(std::move(reply.echo), now);
        output_.Push(std::move(reply.answer), answerDue);
        if (reply.hangUp) output_.PushHangup(answerDue);
        if (reply.replugAfter) restartAfterHangup_ = *reply.replugAfter;
    }
    WriteToPc(now);
}

void Simulator::Record(std::string_view bytes) {
    received_.append(bytes);
    if (received_.size() > 2 * kMaxReceivedBytes) received_.erase(0, received_.size() - kMaxReceivedBytes);
}

void Simulator::WriteToPc(TimePoint now) {
    while (Plugged() && !pcBlocked_) {
        if (output_.HangupReady(now)) {
            HangUpOnceRead(now);
            return;
        }
        std::string_view ready = output_.Ready(now);
        if (ready.empty()) return;
        ssize_t written = write(pty_.master, ready.data(), ready.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            if (Retryable(errno)) {
                pcBlocked_ = true;
                return;
            }
            Warn("write to pty");
            HangUp();
            return;
        }
        output_.Consumed(static_cast<size_t>(written), now);
        if (static_cast<size_t>(written) < ready.size()) pcBlocked_ = true;
    }
}

void Simulator::AcceptControlClient() {
    client_ = AcceptClient(listener_);
    requests_ = RequestReader();
    clientOutput_.clear();
}

void Simulator::ReadFromClient() {
    char buffer[kReadSize];
    ssize_t got = recv(client_, buffer, sizeof buffer, 0);
    if (got < 0 && Retryable(errno)) return;
    if (got <= 0) {
        DropClient();
        return;
    }
    for (const RequestLine& line : requests_.Feed(std::string_view(buffer, static_cast<size_t>(got)))) {
        if (quitting_) break;
        Answer(line);
    }
}

void Simulator::WriteToClient() {
    ssize_t sent = send(client_, clientOutput_.data(), clientOutput_.size(), MSG_NOSIGNAL);
    if (sent < 0 && Retryable(errno)) return;
    if (sent < 0) {
        DropClient();
        return;
    }
    clientOutput_.erase(0, static_cast<size_t>(sent));
}

// A client that goes away leaves the phone running for the next one; a "quit"
// whose reply can no longer be delivered still ends the program.
void Simulator::DropClient() {
    close(client_);
    client_ = -1;
    clientOutput_.clear();
}

void Simulator::Answer(const RequestLine& line) {
    static const std::map<std::string, RequestHandler> kHandlers = {
        {"reset", &Simulator::Reset},       {"raw", &Simulator::Raw},           {"send", &Simulator::Send},
        {"received", &Simulator::Received}, {"commands", &Simulator::Commands}, {"hangup", &Simulator::Hangup},
        {"plug", &Simulator::PlugRequest},  {"pty", &Simulator::Pty},           {"quit", &Simulator::Quit},
    };
    ControlReply reply;
    ControlRequest request = ParseControlRequest(line.text);
    auto handler = kHandlers.find(request.verb);
    const ControlHandler* family = table_.FindControl(request.verb);
    if (line.overlong) {
        reply = Error("request line too long");
    } else if (handler != kHandlers.end()) {
        reply = (this->*(handler->second))(request.argument);
    } else if (family != nullptr) {
        reply = FamilyRequest(*family, request.argument);
    } else {
        reply = Error("unknown request '" + request.verb + "'");
    }
    for (const std::string& data : reply.data) clientOutput_ += data + '\n';
    clientOutput_ += reply.final + '\n';
}

Simulator::ControlReply Simulator::Reset(const std::string& argument) {
    std::vector<std::string> words;
    std::string error;
    ParsedOptions options;
    if (!SplitWords(argument, words, error) || !ParseOptions(words, OptionScope::kReset, options, error)) {
        return Error(error);
    }
    Configure(options.phone);
    return {};
}

Simulator::ControlReply Simulator::Raw(const std::string& argument) {
    if (argument != kOn && argument != kOff) return Error("raw takes on or off");
    raw_ = argument == kOn;
    handset_->ForgetPartialInput();
    return {};
}

Simulator::ControlReply Simulator::Send(const std::string& argument) {
    std::string bytes;
    if (!FromHex(argument, bytes)) return Error("send takes hex bytes");
    if (!Plugged()) return Error("cable pulled");
    TimePoint now = Clock::now();
    output_.Push(std::move(bytes), now);
    WriteToPc(now);
    return {};
}

Simulator::ControlReply Simulator::Received(const std::string&) {
    ControlReply reply;
    size_t skipped = received_.size() > kMaxReceivedBytes ? received_.size() - kMaxReceivedBytes : 0;
    reply.data.push_back(ToHex(std::string_view(received_).substr(skipped)));
    received_.clear();
    return reply;
}

Simulator::ControlReply Simulator::Commands(const std::string&) {
    ControlReply reply;
    for (const std::string& command : handset_->Commands()) reply.data.push_back(FormatLoggedCommand(command));
    return reply;
}

Simulator::ControlReply Simulator::Hangup(const std::string&) {
    HangUp();
    return {};
}

Simulator::ControlReply Simulator::PlugRequest(const std::string&) {
    std::string error;
    if (!Plug(error)) return Error(error);
    return {};
}

Simulator::ControlReply Simulator::Pty(const std::string&) {
    ControlReply reply;
    reply.data.push_back(pty_.slavePath);
    return reply;
}

Simulator::ControlReply Simulator::Quit(const std::string&) {
    quitting_ = true;
    return {};
}

// A request of a command family on the handset's stores; its words are split as
// the options of "reset" are.
Simulator::ControlReply Simulator::FamilyRequest(const ControlHandler& handler, const std::string& argument) {
    std::vector<std::string> words;
    std::string error;
    if (!SplitWords(argument, words, error)) return Error(error);
    ControlResult result = handler(handset_->State(), words);
    if (result.error) return Error(*result.error);
    ControlReply reply;
    reply.data = std::move(result.data);
    return reply;
}

Simulator::ControlReply Simulator::Error(const std::string& text) {
    ControlReply reply;
    reply.final = ErrorReply(text);
    return reply;
}

}  // namespace phonesim

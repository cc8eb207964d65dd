#pragma once
// The running simulator: one handset on a pseudo-terminal, one control client at a
// time, all driven by a single poll() loop. Delays and pacing are timers of that
// loop, so the control channel answers even while the phone holds back output.
#include <csignal>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

#include "command_table.h"
#include "control_format.h"
#include "handset.h"
#include "options.h"
#include "output_scheduler.h"
#include "pty_posix.h"

namespace phonesim {

// A hang-up of --hangup-after waits until the PC has read the last answer (closing
// the pty drops what the PC has not read), at least the settle time so bytes on
// their way through the pty are counted, and at most the grace time.
constexpr std::chrono::milliseconds kHangupSettle{20};
constexpr std::chrono::milliseconds kHangupGrace{1000};
constexpr std::chrono::milliseconds kHangupPoll{5};

// The newest bytes received from the PC that "received" can still report. The
// record is trimmed once it holds twice as much, so trimming stays cheap.
constexpr size_t kMaxReceivedBytes = 16 * 1024 * 1024;

class Simulator {
public:
    explicit Simulator(const ParsedOptions& options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the pty, points the link at it and starts listening.
    bool Start(std::string& error);
    const std::string& PortPath() const { return pty_.slavePath; }
    int ControlPort() const { return controlPort_; }

    // Runs until "quit" or until `stopRequested` is set by a signal. Signals are
    // expected blocked outside the wait; `waitMask` is the mask during the wait.
    // Returns false after a failure of the loop itself.
    bool Run(const volatile std::sig_atomic_t& stopRequested, const sigset_t& waitMask);

private:
    struct ControlReply {
        std::vector<std::string> data;
        std::string final = std::string(kFinalOk);
    };
    using RequestHandler = ControlReply (Simulator::*)(const std::string& argument);

    // The descriptors one loop turn waits on, and where each one stands in `fds`.
    struct PollSet {
        static constexpr int kAbsent = -1;
        pollfd fds[3];
        nfds_t count = 0;
        int pty = kAbsent;
        int listener = kAbsent;
        int client = kAbsent;

        int Add(int fd, int events) {
            fds[count] = {fd, static_cast<short>(events), 0};
            return static_cast<int>(count++);
        }
        short Events(int index) const { return index == kAbsent ? 0 : fds[index].revents; }
    };

    PollSet Watched() const;
    void Dispatch(const PollSet& set, TimePoint now);

    void Configure(const PhoneOptions& options);
    void RunTimers(TimePoint now);
    bool Plugged() const { return pty_.master >= 0; }
    bool Plug(std::string& error);
    void HangUp();
    void HangUpOnceRead(TimePoint now);
    std::optional<TimePoint> NextWake() const;

    void ReadFromPc(TimePoint now);
    void Record(std::string_view bytes);
    void WriteToPc(TimePoint now);

    void AcceptControlClient();
    void ReadFromClient();
    void WriteToClient();
    void DropClient();
    void Answer(const RequestLine& line);

    ControlReply Reset(const std::string& argument);
    ControlReply Raw(const std::string& argument);
    ControlReply Send(const std::string& argument);
    ControlReply Received(const std::string& argument);
    ControlReply Commands(const std::string& argument);
    ControlReply Hangup(const std::string& argument);
    ControlReply PlugRequest(const std::string& argument);
    ControlReply Pty(const std::string& argument);
    ControlReply Quit(const std::string& argument);
    ControlReply FamilyRequest(const ControlHandler& handler, const std::string& argument);
    static ControlReply Error(const std::string& text);

    StartOptions start_;
    CommandTable table_;
    std::unique_ptr<Handset> handset_;
    OutputScheduler output_;
    PtyPair pty_;
    bool pcBlocked_ = false;                             // the pty refused output; wait until it is writable
    std::optional<TimePoint> hangupSince_;               // a due hang-up waits for the PC to read
    std::optional<Clock::duration> restartAfterHangup_;  // the queued hang-up is a restart
    std::optional<TimePoint> replugAt_;                  // a restarting phone comes back then
    bool raw_ = false;
    std::string received_;

    int listener_ = -1;
    int controlPort_ = 0;
    int client_ = -1;
    RequestReader requests_;
    std::string clientOutput_;
    bool quitting_ = false;
};

}  // namespace phonesim

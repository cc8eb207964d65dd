#pragma once
// The phone itself, without any OS call: takes the bytes the PC sends and returns
// what the phone writes back, shaped by the fault options.
//
// Echo model: while echo is on, the phone echoes a command line once its CR
// arrives, as the command text (LF removed, flow escapes decoded) followed by CR;
// the answer follows with its own CR LF framing, so "AT" CR yields
// "AT" CR CR LF "OK" CR LF. Empty lines are neither echoed nor answered.
//
// Uploads: a command may ask for raw bytes after its go-ahead. Until they have all
// arrived the phone takes bytes without echo or line framing (flow escapes are
// still undone); a pause of kUploadPause without a byte drops the upload.
#include <chrono>
#include <cstddef>
#include <deque>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "command_framer.h"
#include "command_table.h"
#include "flow_escape.h"
#include "options.h"
#include "output_scheduler.h"

namespace phonesim {

// The command log keeps the newest lines only.
constexpr size_t kMaxLoggedCommands = 10000;
// An upload that pauses this long is dropped.
constexpr std::chrono::milliseconds kUploadPause{1000};

// What the phone does about one command line or finished upload; bytes are ready
// for the wire.
struct Reply {
    std::string echo;     // goes out at once
    std::string answer;   // goes out after the answer delay
    bool hangUp = false;  // the cable is pulled once the answer is out
    // With hangUp: the phone restarts and the cable comes back after this time.
    std::optional<std::chrono::milliseconds> replugAfter;
};

class Handset {
public:
    // `table` must outlive the handset.
    Handset(PhoneOptions options, const CommandTable& table);

    // Feeds bytes received from the PC at `now`; one reply per completed command
    // line or upload. After a hang-up every further byte is ignored until Reconnect.
    std::vector<Reply> Receive(std::string_view wire, TimePoint now);

    // When an upload in progress is dropped unless more bytes arrive.
    std::optional<TimePoint> UploadDeadline() const;
    // The upload pause has passed: the phone forgets the upload and reads command
    // lines again.
    void DropUpload();

    // Forgets a half-received line and escape pair.
    void ForgetPartialInput();
    // A new connection: starts clean (a half line, an upload and the connection
    // state are forgotten) and takes input again after a hang-up. The phone keeps
    // its settings and does not hang up a second time; after a restart it has echo
    // on and no flow control.
    void Reconnect();

    const PhoneOptions& Options() const { return options_; }
    PhoneState& State() { return state_; }
    // Command lines received since the handset was made, oldest first.
    const std::deque<std::string>& Commands() const { return commands_; }

private:
    struct PendingUpload {
        std::string keyword;
        uint32_t length = 0;
        std::string data;
        UploadCompletion complete;
        bool stalled = false;  // the answer after the data is withheld
    };

    Reply AnswerLine(const CommandLine& line, TimePoint now);
    phonesim::Answer AnswerFor(const SplitCommandLine& command, bool overlong);
    void StartUpload(const std::string& keyword, Upload upload, bool stalled, TimePoint now);
    size_t TakeUploadBytes(std::string_view wire, TimePoint now);
    Reply FinishUpload();
    void Shape(phonesim::Answer answer, bool stalled, Reply& reply);
    CommandContext Context(const std::string& keyword);
    bool IsSilent(const std::string& keyword) const;
    bool IsRefused(const std::string& keyword) const;
    bool HangupDue() const;
    std::string GarbageLine();
    std::string Wire(std::string bytes) const;
    void Log(const std::string& line);

    PhoneOptions options_;
    const CommandTable& table_;
    PhoneState state_;
    CommandFramer framer_;
    FlowUnescaper unescaper_;
    std::deque<std::string> commands_;
    std::mt19937 random_;
    std::optional<PendingUpload> upload_;
    TimePoint uploadActiveAt_{};
    bool cablePulled_ = false;
    bool hungUpOnce_ = false;
    bool restarting_ = false;
};

}  // namespace phonesim

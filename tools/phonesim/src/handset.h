#pragma once
// The phone itself, without any OS call: takes the bytes the PC sends and returns
// what the phone writes back, shaped by the fault options.
//
// Echo model: while echo is on, the phone echoes a command line once its CR
// arrives, as the command text (LF removed, flow escapes decoded) followed by CR;
// the answer follows with its own CR LF framing, so "AT" CR yields
// "AT" CR CR LF "OK" CR LF. Empty lines are neither echoed nor answered.
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

namespace phonesim {

// The command log keeps the newest lines only.
constexpr size_t kMaxLoggedCommands = 10000;

// What the phone does about one command line; bytes are ready for the wire.
struct Reply {
    std::string echo;     // goes out at once
    std::string answer;   // goes out after the answer delay
    bool hangUp = false;  // the cable is pulled once the answer is out
};

class Handset {
public:
    // `table` must outlive the handset.
    Handset(PhoneOptions options, const CommandTable& table);

    // Feeds bytes received from the PC; one reply per completed command line.
    // After the --hangup-after command every further byte is ignored until Reconnect.
    std::vector<Reply> Receive(std::string_view wire);

    // Forgets a half-received line and escape pair.
    void ForgetPartialInput();
    // A new connection: starts clean and takes input again after a hang-up. The
    // phone keeps its settings and does not hang up a second time.
    void Reconnect();

    const PhoneOptions& Options() const { return options_; }
    // Command lines received since the handset was made, oldest first.
    const std::deque<std::string>& Commands() const { return commands_; }

private:
    Reply Answer(const CommandLine& line);
    std::string AnswerText(const SplitCommandLine& command, bool overlong);
    bool IsSilent(const std::string& keyword) const;
    bool IsRefused(const std::string& keyword) const;
    bool HangupDue() const;
    std::string GarbageLine();
    std::string Wire(std::string_view bytes) const;
    void Log(const std::string& line);

    PhoneOptions options_;
    const CommandTable& table_;
    PhoneState state_;
    CommandFramer framer_;
    FlowUnescaper unescaper_;
    std::deque<std::string> commands_;
    std::mt19937 random_;
    bool cablePulled_ = false;
    bool hungUpOnce_ = false;
};

}  // namespace phonesim

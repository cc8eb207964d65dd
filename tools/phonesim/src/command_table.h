#pragma once
// Command handlers of the simulated phone, kept in one table keyed by the command
// keyword. Each command family lives in its own file and adds its handlers (and
// the control-channel requests that seed and inspect its store) to the table.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "options.h"
#include "phone_state.h"

namespace phonesim {

struct CommandContext {
    const PhoneOptions& options;
    PhoneState& state;
    const std::string& keyword;  // the command's keyword, upper case
    uint32_t clock;              // the handset clock: seconds since 1970
};

struct Answer;
// Takes the bytes of a finished upload and returns the answer that follows them.
using UploadCompletion = std::function<Answer(CommandContext&, const std::string& data)>;

// Raw bytes the phone takes after its go-ahead, without echo or line framing.
struct Upload {
    uint32_t length = 0;
    UploadCompletion complete;
};

// What happens to the cable once an answer is out.
enum class AfterAnswer { kNothing, kHangUp, kRestart, kSwitchOff };

// The answer to one command: bytes as they go on the wire before flow escaping,
// and what the phone does next.
struct Answer {
    // Not explicit: a handler may return the answer text alone.
    Answer(std::string text = std::string()) : bytes(std::move(text)) {}

    std::string bytes;
    // --stall keeps only the bytes before this point: the first answer line of a
    // family answer or go-ahead. A final line alone is withheld (0).
    size_t stallAt = 0;
    std::optional<Upload> upload;
    AfterAnswer after = AfterAnswer::kNothing;
};

using CommandHandler = std::function<Answer(CommandContext&, std::string_view arguments)>;

// "\r\n<text>\r\n": an information line, framed as handsets frame it.
std::string InfoLine(std::string_view text);
// The final result lines.
std::string OkLine();
std::string ErrorLine();

// A command line split into its keyword (text before the first "=" or "?", upper
// case) and its arguments (the rest, "=" or "?" included).
struct SplitCommandLine {
    std::string keyword;
    std::string arguments;
};
SplitCommandLine SplitCommand(std::string_view line);

// The reply to a control-channel request of a family: data lines, then "ok" or
// "error <text>" when `error` is set.
struct ControlResult {
    std::vector<std::string> data;
    std::optional<std::string> error;
};
using ControlHandler = std::function<ControlResult(PhoneState&, const std::vector<std::string>& words)>;

class CommandTable {
public:
    void Add(const std::string& keyword, CommandHandler handler);
    // Null for an unknown keyword.
    const CommandHandler* Find(const std::string& keyword) const;

    void AddControl(const std::string& verb, ControlHandler handler);
    // Null for an unknown request.
    const ControlHandler* FindControl(const std::string& verb) const;

private:
    std::map<std::string, CommandHandler> handlers_;
    std::map<std::string, ControlHandler> controls_;
};

// Identification, echo, reset and flow-control commands.
void AddBasicCommands(CommandTable& table);
// The families of the handset's stores.
void AddFileSystemCommands(CommandTable& table);
void AddCameraCommands(CommandTable& table);
void AddCalendarCommands(CommandTable& table);
void AddJavaCommands(CommandTable& table);
void AddMessageCommands(CommandTable& table);
void AddMediaCentreCommands(CommandTable& table);
// Restart and SIM access.
void AddSystemCommands(CommandTable& table);

// The table of every command family the simulator knows.
CommandTable MakeCommandTable();

}  // namespace phonesim

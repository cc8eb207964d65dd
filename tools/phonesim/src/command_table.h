#pragma once
// Command handlers of the simulated phone, kept in one table keyed by the command
// keyword. Each command family lives in its own file and adds its handlers to the
// table (see basic_commands.cpp).
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "options.h"

namespace phonesim {

// What the phone remembers between commands.
struct PhoneState {
    bool echo = true;
    bool escaping = false;     // software-flow escaping in both directions
    int flowMode = 0;          // the last mode set with AT+IFC
    long commandNumber = 0;    // 1-based number of the command being answered
};

struct CommandContext {
    const PhoneOptions& options;
    PhoneState& state;
};

// A handler returns the answer bytes as they go on the wire before flow escaping,
// built from the framing helpers below; an empty answer sends nothing.
using CommandHandler = std::function<std::string(CommandContext&, std::string_view arguments)>;

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

class CommandTable {
public:
    void Add(const std::string& keyword, CommandHandler handler);
    // Null for an unknown keyword.
    const CommandHandler* Find(const std::string& keyword) const;

private:
    std::map<std::string, CommandHandler> handlers_;
};

// Identification, echo, reset and flow-control commands.
void AddBasicCommands(CommandTable& table);

// The table of every command family the simulator knows.
CommandTable MakeCommandTable();

}  // namespace phonesim

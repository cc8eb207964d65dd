#include "command_table.h"

namespace phonesim {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

std::string InfoLine(std::string_view text) {
    std::string line(kLineEnd);
    line += text;
    line += kLineEnd;
    return line;
}

std::string OkLine() { return InfoLine("OK"); }

std::string ErrorLine() { return InfoLine("ERROR"); }

SplitCommandLine SplitCommand(std::string_view line) {
    size_t end = line.find_first_of("=?");
    if (end == std::string_view::npos) end = line.size();
    return {UpperAscii(std::string(line.substr(0, end))), std::string(line.substr(end))};
}

void CommandTable::Add(const std::string& keyword, CommandHandler handler) {
    handlers_[UpperAscii(keyword)] = std::move(handler);
}

const CommandHandler* CommandTable::Find(const std::string& keyword) const {
    auto found = handlers_.find(keyword);
    return found == handlers_.end() ? nullptr : &found->second;
}

void CommandTable::AddControl(const std::string& verb, ControlHandler handler) { controls_[verb] = std::move(handler); }

const ControlHandler* CommandTable::FindControl(const std::string& verb) const {
    auto found = controls_.find(verb);
    return found == controls_.end() ? nullptr : &found->second;
}

CommandTable MakeCommandTable() {
    CommandTable table;
    AddBasicCommands(table);
    AddFileSystemCommands(table);
    AddCameraCommands(table);
    AddCalendarCommands(table);
    AddJavaCommands(table);
    AddMessageCommands(table);
    AddMediaCentreCommands(table);
    AddSystemCommands(table);
    return table;
}

}  // namespace phonesim

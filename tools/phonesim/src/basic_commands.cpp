// Identification, echo, reset and flow-control commands.
#include <string>

#include "command_table.h"

namespace phonesim {
namespace {

constexpr std::string_view kTestForm = "=?";
constexpr std::string_view kReadForm = "?";
constexpr int kFlowNone = 0;
constexpr int kFlowSoftware = 1;
constexpr int kFlowHardware = 2;

std::string CurrentImei(const CommandContext& context) {
    const PhoneOptions& options = context.options;
    if (options.imeiChangeAfter && context.state.commandNumber > *options.imeiChangeAfter) {
        return options.secondImei;
    }
    return options.imei;
}

std::string ImeiAnswer(CommandContext& context) {
    std::string imei = CurrentImei(context);
    if (context.options.imeiFormat == ImeiFormat::kSingle) return InfoLine(imei);
    return InfoLine("IMEI: " + imei + ",SN: " + context.options.serialNumber);
}

bool IsFlowModeDigit(char c) { return c >= '0' + kFlowNone && c <= '0' + kFlowHardware; }

// Parses "=<mode>" or "=<mode>,<mode>" (PC-to-phone and phone-to-PC flow control;
// the phone uses the first for both directions).
bool ParseFlowMode(std::string_view arguments, int& mode) {
    if (arguments.size() < 2 || arguments[0] != '=' || !IsFlowModeDigit(arguments[1])) return false;
    std::string_view rest = arguments.substr(2);
    bool secondValid = rest.empty() || (rest.size() == 2 && rest[0] == ',' && IsFlowModeDigit(rest[1]));
    if (!secondValid) return false;
    mode = arguments[1] - '0';
    return true;
}

std::string SetFlowControl(CommandContext& context, std::string_view arguments) {
    PhoneState& state = context.state;
    if (arguments == kTestForm) return InfoLine("+IFC: (0-2),(0-2)") + OkLine();
    if (arguments == kReadForm) {
        std::string mode = std::to_string(state.flowMode);
        return InfoLine("+IFC: " + mode + "," + mode) + OkLine();
    }
    int mode = kFlowNone;
    if (!ParseFlowMode(arguments, mode)) return ErrorLine();
    state.flowMode = mode;
    state.escaping = mode == kFlowSoftware;
    return OkLine();
}

// A command without arguments that answers `info` (nothing when empty) and OK;
// its test form "=?" answers a bare OK.
CommandHandler InfoCommand(std::function<std::string(CommandContext&)> info) {
    return [info](CommandContext& context, std::string_view arguments) {
        if (arguments == kTestForm) return OkLine();
        if (!arguments.empty()) return ErrorLine();
        return info(context) + OkLine();
    };
}

CommandHandler SetEcho(bool on) {
    return InfoCommand([on](CommandContext& context) {
        context.state.echo = on;
        return std::string();
    });
}

}  // namespace

void AddBasicCommands(CommandTable& table) {
    table.Add("AT", InfoCommand([](CommandContext&) { return std::string(); }));
    table.Add("ATZ", SetEcho(true));
    table.Add("ATE0", SetEcho(false));
    table.Add("ATE1", SetEcho(true));
    table.Add("AT+CGMM", InfoCommand([](CommandContext& context) { return InfoLine(context.options.model); }));
    table.Add("AT+CGSN", InfoCommand(ImeiAnswer));
    table.Add("AT+IFC", SetFlowControl);
}

}  // namespace phonesim

#include "traffic_trace.h"

#include <algorithm>
#include <cctype>

namespace serlox {

namespace {

constexpr std::string_view kMask = "***";
constexpr std::string_view kWithheld = "(withheld)";

// Commands whose arguments are PINs, passwords or raw SIM commands that may
// carry them.
constexpr std::string_view kSecretArguments[] = {"+CPIN", "+CPIN2", "+CPWD", "+CLCK", "+CGAUTH", "+CSIM"};
// The elementary file of the IMSI on the SIM, as AT+CRSM names it.
constexpr std::string_view kImsiFile = "28423";

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

struct CommandLine {
    std::string_view keyword;  // "+CPIN" of "AT+CPIN=..."; empty for anything but a command
    size_t arguments = 0;      // where the text after '=' starts, or npos
    size_t end = 0;            // where the line ends (its CR or LF), or the size
};

CommandLine Split(std::string_view bytes) {
    CommandLine line;
    line.end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    line.arguments = std::string_view::npos;
    if (line.end < 2 || !SameLetters(bytes.substr(0, 2), "AT")) return line;
    const size_t keywordEnd = std::min(bytes.find_first_of("=?;\r\n", 2), line.end);
    line.keyword = bytes.substr(2, keywordEnd - 2);
    if (keywordEnd < line.end && bytes[keywordEnd] == '=') line.arguments = keywordEnd + 1;
    return line;
}

bool HasSecretArguments(const CommandLine& line) {
    return std::any_of(std::begin(kSecretArguments), std::end(kSecretArguments),
                       [&](std::string_view keyword) { return SameLetters(line.keyword, keyword); });
}

// "AT+CIMI", or "AT+CRSM=<command>,28423,..." (a read of the IMSI file).
bool ReadsImsi(const CommandLine& line, std::string_view bytes) {
    if (SameLetters(line.keyword, "+CIMI")) return true;
    if (!SameLetters(line.keyword, "+CRSM") || line.arguments == std::string_view::npos) return false;
    const std::string_view arguments = bytes.substr(line.arguments, line.end - line.arguments);
    const size_t comma = arguments.find(',');
    if (comma == std::string_view::npos) return false;
    const std::string_view file = arguments.substr(comma + 1, arguments.find(',', comma + 1) - comma - 1);
    return file == kImsiFile;
}

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

bool IsFinalResult(std::string_view text) {
    return text == "OK" || text == "ERROR" || text.substr(0, 11) == "+CME ERROR:" ||
           text.substr(0, 11) == "+CMS ERROR:";
}

// A handset that echoes commands sends the secret back: both directions are masked.
std::string MaskSecretArguments(const CommandLine& line, std::string_view bytes) {
    if (line.arguments == std::string_view::npos || !HasSecretArguments(line)) return std::string(bytes);
    std::string shown(bytes.substr(0, line.arguments));
    shown += kMask;
    shown += bytes.substr(line.end);
    return shown;
}

}  // namespace

std::string TrafficRedactor::Sent(std::string_view bytes) {
    const CommandLine line = Split(bytes);
    if (ReadsImsi(line, bytes)) withholding_ = true;
    return MaskSecretArguments(line, bytes);
}

std::string TrafficRedactor::Received(std::string_view line) {
    const std::string_view text = WithoutLineEnd(line);
    if (!withholding_ || text.empty()) return MaskSecretArguments(Split(line), line);
    if (IsFinalResult(text)) {
        withholding_ = false;
        return std::string(line);
    }
    return std::string(kWithheld) + std::string(line.substr(text.size()));
}

}  // namespace serlox

#pragma once
// Text format of the control channel. A client sends one request per line (LF,
// optionally CR LF); every reply is zero or more data lines and then a final line
// "ok" or "error <text>".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace phonesim {

// Long enough for "send" with a few megabytes of hex.
constexpr size_t kMaxRequestLine = 8 * 1024 * 1024;

constexpr std::string_view kFinalOk = "ok";
constexpr std::string_view kFinalError = "error";

struct RequestLine {
    std::string text;       // without LF and a trailing CR
    bool overlong = false;  // text holds only the first kMaxRequestLine bytes
};

// Cuts the client's byte stream into request lines.
class RequestReader {
public:
    std::vector<RequestLine> Feed(std::string_view bytes);

private:
    std::string partial_;
    bool overlong_ = false;
};

struct ControlRequest {
    std::string verb;
    std::string argument;  // the text after the first blank, may be empty
};
ControlRequest ParseControlRequest(std::string_view line);

// "error <text>" with line breaks in the text turned into blanks.
std::string ErrorReply(std::string_view text);

// A logged command line as a data line: plain text when it is printable ASCII and
// cannot be mistaken for a final line or a hex line, else "hex:" and its hex.
std::string FormatLoggedCommand(std::string_view command);

}  // namespace phonesim

#pragma once
// What the trace shows of the AT traffic on one port. The bytes pass unchanged
// except for secrets: the arguments of a command that carries a PIN or a
// password are masked, and the answer lines to a command that reads the SIM's
// IMSI are withheld up to the final result.
#include <atomic>
#include <string>
#include <string_view>

namespace serlox {

class TrafficRedactor {
public:
    // The text to trace for bytes written to the port.
    std::string Sent(std::string_view bytes);
    // The text to trace for one line read from the port.
    std::string Received(std::string_view line);

private:
    // Set by the writing thread, read and cleared by the reader thread.
    std::atomic<bool> withholding_{false};
};

}  // namespace serlox

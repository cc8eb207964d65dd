// Port numbers from the texts of the serial device map ("COMn" with the length
// the registry reported) and from the stored last port ("n"). The input is the
// text.
//
// Checks: the result is no port or a port 1..30; it is read only from the
// given length; a port comes only from a text that begins with "COM" and whose
// leading decimal number (after white space and a sign, as the C library reads
// it) is that port.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "port_order.h"

namespace {

using porvesk::CommNameToSerloxID;
using porvesk::PortFromNumberText;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The port that the leading decimal number of `text` names (reading stops at a
// NUL byte), or no port.
int ExpectedPort(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsSpace(text[at])) ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    constexpr long kBeyondPorts = SERLOX_LAST_PORT + 1;
    long number = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        number = std::min(kBeyondPorts, number * 10 + (text[at] - '0'));
    }
    if (negative || number < SERLOX_FIRST_PORT || number > SERLOX_LAST_PORT) return SERLOX_NO_PORT;
    return static_cast<int>(number);
}

int ExpectedComPort(std::string_view data) {
    if (data.size() <= 3 || data.substr(0, 3) != "COM") return SERLOX_NO_PORT;
    return ExpectedPort(data.substr(3));
}

bool InRange(int port) { return port == SERLOX_NO_PORT || (port >= SERLOX_FIRST_PORT && port <= SERLOX_LAST_PORT); }

// Exactly `length` bytes on the heap, so reading past the given length is caught.
void CheckComName(const std::vector<char>& bytes, int length) {
    const std::vector<char> data(bytes.begin(), bytes.begin() + std::max(length, 0));
    const int port = CommNameToSerloxID(data.data(), length);
    FUZZ_CHECK(InRange(port));
    FUZZ_CHECK(port == ExpectedComPort(std::string_view(data.data(), data.size())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    const std::vector<char> bytes(input, input + size);
    const int whole = static_cast<int>(size);
    // The lengths a registry read can report: the whole text, the text less or
    // plus its terminator, a few bytes, nothing, and a negative slip.
    const auto terminator = std::find(bytes.begin(), bytes.end(), '\0');
    const int withTerminator = static_cast<int>(std::min<size_t>(terminator - bytes.begin() + 1, size));
    for (int length : {whole, whole - 1, withTerminator, 4, 3, 0, -1}) {
        if (length > whole) continue;
        CheckComName(bytes, length);
    }
    FUZZ_CHECK(CommNameToSerloxID(nullptr, whole) == SERLOX_NO_PORT);

    const std::string stored(bytes.begin(), bytes.end());
    const int port = PortFromNumberText(stored);
    FUZZ_CHECK(InRange(port));
    FUZZ_CHECK(port == ExpectedPort(std::string_view(stored.c_str())));
    return 0;
}

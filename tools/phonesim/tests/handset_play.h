#pragma once
// Driving a Handset in unit tests: options from words, the full command table, and
// the bytes a phone writes back for what the PC sends.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "handset.h"

namespace phonesim::testing {

inline const CommandTable& Table() {
    static const CommandTable table = MakeCommandTable();
    return table;
}

inline PhoneOptions Options(const std::vector<std::string>& words) {
    ParsedOptions options;
    std::string error;
    EXPECT_TRUE(ParseOptions(words, OptionScope::kReset, options, error)) << error;
    return options.phone;
}

// Everything the phone writes back for `input`, echo and answers in order.
inline std::string Play(Handset& handset, std::string_view input, TimePoint now = TimePoint()) {
    std::string out;
    for (const Reply& reply : handset.Receive(input, now)) out += reply.echo + reply.answer;
    return out;
}

inline std::string Info(std::string_view text) { return "\r\n" + std::string(text) + "\r\n"; }

const std::string kOk = Info("OK");
const std::string kError = Info("ERROR");
const std::string kEchoOff = "ATE0\r" + kOk;  // ATE0 is still echoed: echo was on when it arrived

// A raw download as the phone sends it: the announcing line ending in the length,
// the content, CR LF and OK.
inline std::string Download(const std::string& announce, const std::string& content) {
    return Info(announce + std::to_string(content.size())) + content + "\r\n" + kOk;
}

// Content of the stores' default files, written out independently: byte i is i mod 251.
inline std::string Pattern(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(i % 251);
    return bytes;
}

// A command line and the phone's whole answer, echo off.
struct Exchange {
    const char* name;
    std::vector<std::string> options;
    std::string input;   // after "ATE0" CR
    std::string output;  // after the answer to "ATE0"
};

inline void ExpectExchanges(const std::vector<Exchange>& exchanges) {
    for (const Exchange& exchange : exchanges) {
        Handset handset(Options(exchange.options), Table());
        std::string out = Play(handset, "ATE0\r" + exchange.input);
        EXPECT_EQ(out, kEchoOff + exchange.output) << exchange.name;
    }
}

// The same exchanges with the input cut in two at every position.
inline void ExpectExchangesSplitAnywhere(const std::vector<Exchange>& exchanges) {
    for (const Exchange& exchange : exchanges) {
        std::string input = "ATE0\r" + exchange.input;
        for (size_t cut = 0; cut <= input.size(); ++cut) {
            Handset handset(Options(exchange.options), Table());
            std::string out = Play(handset, std::string_view(input).substr(0, cut));
            out += Play(handset, std::string_view(input).substr(cut));
            EXPECT_EQ(out, kEchoOff + exchange.output) << exchange.name << " cut at " << cut;
        }
    }
}

}  // namespace phonesim::testing

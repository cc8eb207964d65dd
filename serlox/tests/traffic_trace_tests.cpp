// What the trace shows of the traffic: PINs and passwords masked in both
// directions, the IMSI answer withheld up to its final result, all else as sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "traffic_trace.h"

namespace serlox {
namespace {

struct Step {
    bool sent;  // written to the port; otherwise a line read from it
    std::string bytes;
    std::string shown;
};

TEST(TrafficRedactor, MasksSecretsAndWithholdsTheImsi) {
    const struct {
        const char* name;
        std::vector<Step> steps;
    } rows[] = {
        {"plain command and answer", {{true, "AT+CGMM\r", "AT+CGMM\r"}, {false, "T-SIM7\r\n", "T-SIM7\r\n"}}},
        {"PIN, echoed",
         {{true, "AT+CPIN=\"1234\"\r", "AT+CPIN=***\r"}, {false, "at+cpin=\"1234\"\r\n", "at+cpin=***\r\n"}}},
        {"PIN query shows no secret", {{true, "AT+CPIN?\r", "AT+CPIN?\r"}}},
        {"PDP authentication", {{true, "AT+CGAUTH=1,1,\"user\",\"secret\"\r", "AT+CGAUTH=***\r"}}},
        {"IMSI",
         {{true, "AT+CIMI\r", "AT+CIMI\r"},
          {false, "AT+CIMI\r\n", "(withheld)\r\n"},
          {false, "\r\n", "\r\n"},
          {false, "262011234567890\r\n", "(withheld)\r\n"},
          {false, "OK\r\n", "OK\r\n"},
          {false, "356938035643809\r\n", "356938035643809\r\n"}}},
        {"IMSI refused",
         {{true, "AT+CIMI\r", "AT+CIMI\r"},
          {false, "+CME ERROR: 10\r\n", "+CME ERROR: 10\r\n"},
          {false, "T-SIM7\r\n", "T-SIM7\r\n"}}},
        {"IMSI file read",
         {{true, "AT+CRSM=176,28423,0,0,9\r", "AT+CRSM=176,28423,0,0,9\r"},
          {false, "+CRSM: 144,0,\"082926...\"\r\n", "(withheld)\r\n"}}},
        {"service provider file read",
         {{true, "AT+CRSM=176,28486,0,0,17\r", "AT+CRSM=176,28486,0,0,17\r"},
          {false, "+CRSM: 144,0,\"00\"\r\n", "+CRSM: 144,0,\"00\"\r\n"}}},
        {"data is no command", {{true, "+CPIN=1\r", "+CPIN=1\r"}}},
    };
    for (const auto& row : rows) {
        TrafficRedactor redactor;
        for (const Step& step : row.steps) {
            EXPECT_EQ(step.sent ? redactor.Sent(step.bytes) : redactor.Received(step.bytes), step.shown) << row.name;
        }
    }
}

}  // namespace
}  // namespace serlox

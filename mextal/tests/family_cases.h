#pragma once
// Answer lines and table-driven checks that the tests of the command families
// (Java applications, multimedia messages, calendar groups) share.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "handset_harness.h"

namespace mextal::test {

using Strings = std::vector<std::string>;
using Timeouts = std::vector<uint32_t>;

constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kError = "\r\nERROR\r\n";

inline std::string Info(const std::string& text) { return "\r\n" + text + "\r\n"; }

template <typename T>
std::vector<T> With(std::vector<T> items, const std::vector<T>& more) {
    items.insert(items.end(), more.begin(), more.end());
    return items;
}

// One operation of a family on a scripted phone: the command line it sends
// first and the answer lines after which the handset has accepted it, one list
// per step that can still fail.
template <typename Phone>
struct FamilyOperation {
    const char* name;
    std::string line;
    std::function<int32_t(Phone&)> call;
    std::vector<Strings> acceptances;
};

// A call that succeeds against a scripted answer to its command line.
template <typename Phone>
struct FamilyRoundTrip {
    const char* name;
    std::string line;
    Strings answer;
    std::function<int32_t(Phone&)> call;
    Timeouts waits;  // after the handshake's two
    std::function<void(const Phone&)> check;
};

// Each call succeeds, sends its line right after the handshake, waits for
// answers as long as listed and passes its own check.
template <typename Phone>
void ExpectRoundTrips(const std::vector<FamilyRoundTrip<Phone>>& cases) {
    for (const FamilyRoundTrip<Phone>& c : cases) {
        Phone p;
        p.port.On(c.line, c.answer);
        ASSERT_EQ(MEXTAL_OK, c.call(p)) << c.name;
        ASSERT_GE(p.port.written.size(), 3u) << c.name;
        EXPECT_EQ(c.line, p.port.written[2]) << c.name;
        EXPECT_EQ(With(Timeouts{2000, 10000}, c.waits), p.port.readTimeouts) << c.name;
        if (c.check) c.check(p);
    }
}

// An answer that fails an operation, with the code it gives as the first
// answer and after the handset has accepted the request.
struct FamilyFailure {
    const char* name;
    Strings answer;
    int32_t first;
    int32_t accepted;
};

// Every operation, failing at its first answer and after each step at which
// the handset has accepted it, gives the failure's code and clears its outputs.
template <typename Phone>
void ExpectEveryFailureClearsOutputs(const std::vector<FamilyOperation<Phone>>& operations,
                                     const std::vector<FamilyFailure>& failures) {
    for (const FamilyOperation<Phone>& op : operations) {
        for (const FamilyFailure& f : failures) {
            Phone p;
            p.port.On(op.line, f.answer);
            EXPECT_EQ(f.first, op.call(p)) << op.name << " " << f.name;
            EXPECT_TRUE(p.OutputsCleared()) << op.name << " " << f.name;
            for (const Strings& acceptance : op.acceptances) {
                Phone q;
                q.port.On(op.line, With(acceptance, f.answer));
                EXPECT_EQ(f.accepted, op.call(q)) << op.name << " after " << acceptance.size() << " " << f.name;
                EXPECT_TRUE(q.OutputsCleared()) << op.name << " after " << acceptance.size() << " " << f.name;
            }
        }
    }
}

// Each call is refused as a bad argument before anything reaches the port.
template <typename Phone>
void ExpectBadArgumentsWriteNothing(const std::vector<std::pair<const char*, std::function<int32_t(Phone&)>>>& cases) {
    for (const auto& [name, call] : cases) {
        Phone p;
        EXPECT_EQ(MEXTAL_BAD_ARGUMENT, call(p)) << name;
        EXPECT_TRUE(p.port.written.empty()) << name;
    }
}

}  // namespace mextal::test

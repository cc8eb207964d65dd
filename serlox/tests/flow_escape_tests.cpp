#include "flow_escape.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace serlox {
namespace {

struct Escaping {
    std::string raw;
    std::string wire;
};

class FlowEscaping : public ::testing::TestWithParam<Escaping> {};

TEST_P(FlowEscaping, EscapesForWire) {
    EXPECT_EQ(EscapeForWire(GetParam().raw.data(), GetParam().raw.size()), GetParam().wire);
}

TEST_P(FlowEscaping, WireDecodesForEverySplit) {
    const std::string& wire = GetParam().wire;
    for (size_t split = 0; split <= wire.size(); ++split) {
        Unescaper unescaper;
        std::string first = wire.substr(0, split);
        std::string second = wire.substr(split);
        first.resize(unescaper.Decode(&first[0], first.size()));
        second.resize(unescaper.Decode(&second[0], second.size()));
        EXPECT_EQ(first + second, GetParam().raw) << "split at " << split;
        EXPECT_FALSE(unescaper.EscapePending());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FlowEscaping,
                         ::testing::Values(Escaping{"\x11\x7D", "}1}]"}, Escaping{"\x13", "}3"},
                                           Escaping{"AT\r", "AT\r"}, Escaping{"", ""},
                                           Escaping{"a\x11\x13}b", "a}1}3}]b"}));

TEST(Unescaper, EscapeAtEndOfOneReadDecodesWithNextRead) {
    Unescaper unescaper;
    std::string first = "A}";
    EXPECT_EQ(unescaper.Decode(&first[0], first.size()), 1u);
    EXPECT_TRUE(unescaper.EscapePending());
    std::string second = "3B";
    ASSERT_EQ(unescaper.Decode(&second[0], second.size()), 2u);
    EXPECT_EQ(second,
              "\x13"
              "B");
}

TEST(Unescaper, ResetForgetsPendingEscape) {
    Unescaper unescaper;
    std::string first = "}";
    unescaper.Decode(&first[0], first.size());
    unescaper.Reset();
    std::string second = "3";
    ASSERT_EQ(unescaper.Decode(&second[0], second.size()), 1u);
    EXPECT_EQ(second, "3");
}

TEST(Unescaper, UnknownCodeByteStandsForItself) {
    Unescaper unescaper;
    std::string wire = "}X";
    ASSERT_EQ(unescaper.Decode(&wire[0], wire.size()), 1u);
    EXPECT_EQ(wire[0], 'X');
}

TEST(FlowEscaping, RandomBytesSurviveTheRoundTrip) {
    std::mt19937 random(7);
    std::string raw(4096, '\0');
    for (char& byte : raw) byte = static_cast<char>(random() % 256);
    std::string wire = EscapeForWire(raw.data(), raw.size());
    EXPECT_EQ(wire.find(kXon), std::string::npos);
    EXPECT_EQ(wire.find(kXoff), std::string::npos);
    Unescaper unescaper;
    wire.resize(unescaper.Decode(&wire[0], wire.size()));
    EXPECT_EQ(wire, raw);
}

}  // namespace
}  // namespace serlox

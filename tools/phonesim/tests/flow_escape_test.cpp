#include "flow_escape.h"

#include <gtest/gtest.h>

namespace phonesim {
namespace {

std::string Decode(FlowUnescaper& unescaper, std::string_view wire) {
    std::string plain;
    for (char c : wire) {
        if (std::optional<char> byte = unescaper.Feed(c)) plain += *byte;
    }
    return plain;
}

struct EscapeCase {
    std::string plain;
    std::string wire;
};

const EscapeCase kEscapeCases[] = {
    {"", ""},
    {"OK\r\n", "OK\r\n"},
    {"\x11", "}1"},
    {"\x13", "}3"},
    {"}", "}]"},
    {"\x11}", "}1}]"},
    {"a\x13\x13z", "a}3}3z"},
    {std::string("\0\x12\x7e", 3), std::string("\0\x12\x7e", 3)},
};

TEST(PhonesimFlowEscape, EscapesOnlyXonXoffAndTheEscapeByte) {
    for (const EscapeCase& c : kEscapeCases) EXPECT_EQ(EscapeFlow(c.plain), c.wire) << c.plain;
}

TEST(PhonesimFlowEscape, DecodesTheSameWhereverAReadBoundaryFalls) {
    for (const EscapeCase& c : kEscapeCases) {
        for (size_t cut = 0; cut <= c.wire.size(); ++cut) {
            FlowUnescaper unescaper;
            std::string plain = Decode(unescaper, std::string_view(c.wire).substr(0, cut));
            plain += Decode(unescaper, std::string_view(c.wire).substr(cut));
            EXPECT_EQ(plain, c.plain) << "cut at " << cut;
        }
    }
}

TEST(PhonesimFlowEscape, UnknownCodeAfterEscapeByte_PassesThatByte) {
    FlowUnescaper unescaper;
    EXPECT_EQ(Decode(unescaper, "}x}2"), "x2");
}

TEST(PhonesimFlowEscape, Reset_DropsAPendingEscape) {
    FlowUnescaper unescaper;
    EXPECT_EQ(Decode(unescaper, "}"), "");
    unescaper.Reset();
    EXPECT_EQ(Decode(unescaper, "1"), "1");
}

}  // namespace
}  // namespace phonesim

#include "command_framer.h"

#include <gtest/gtest.h>
#include <vector>

namespace phonesim {
namespace {

std::vector<std::string> Lines(CommandFramer& framer, std::string_view bytes) {
    std::vector<std::string> lines;
    for (char c : bytes) {
        if (std::optional<CommandLine> line = framer.Feed(c)) lines.push_back(line->text);
    }
    return lines;
}

struct FramerCase {
    std::string input;
    std::vector<std::string> lines;
};

TEST(PhonesimFramer, CrEndsALineLfIsDroppedEmptyLinesAreSkipped) {
    const FramerCase cases[] = {
        {"AT\r", {"AT"}},
        {"AT\r\n", {"AT"}},
        {"AT", {}},
        {"\r\n\r\r", {}},
        {"A\nT\r", {"AT"}},
        {"ATZ\rATE0\r\nAT+CGMM\r", {"ATZ", "ATE0", "AT+CGMM"}},
        {"\nAT+IFC=1\r\n\r\nAT\r", {"AT+IFC=1", "AT"}},
    };
    for (const FramerCase& c : cases) {
        for (size_t cut = 0; cut <= c.input.size(); ++cut) {
            CommandFramer framer;
            std::vector<std::string> lines = Lines(framer, std::string_view(c.input).substr(0, cut));
            for (std::string& line : Lines(framer, std::string_view(c.input).substr(cut))) lines.push_back(line);
            EXPECT_EQ(lines, c.lines) << ::testing::PrintToString(c.input) << " cut at " << cut;
        }
    }
}

TEST(PhonesimFramer, OverlongLine_KeepsItsStartAndIsMarked) {
    CommandFramer framer;
    std::string bytes(kMaxCommandLine + 100, 'A');
    std::optional<CommandLine> line;
    for (char c : bytes + "\r") line = framer.Feed(c);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->overlong);
    EXPECT_EQ(line->text.size(), kMaxCommandLine);

    std::optional<CommandLine> next;
    for (char c : std::string("AT\r")) next = framer.Feed(c);
    ASSERT_TRUE(next);
    EXPECT_FALSE(next->overlong);
    EXPECT_EQ(next->text, "AT");
}

TEST(PhonesimFramer, Reset_ForgetsAHalfLine) {
    CommandFramer framer;
    EXPECT_TRUE(Lines(framer, "ATZ").empty());
    framer.Reset();
    EXPECT_EQ(Lines(framer, "AT\r"), std::vector<std::string>{"AT"});
}

}  // namespace
}  // namespace phonesim

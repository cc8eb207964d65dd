#include "line_assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace serlox {
namespace {

using Chunks = std::vector<std::string>;

struct Transcript {
    const char* name;
    std::string input;
    Chunks chunks;
    size_t pending;
};

Chunks FeedPieces(const std::vector<std::string>& pieces, LineAssembler& assembler) {
    Chunks chunks;
    for (const std::string& piece : pieces) assembler.Feed(piece.data(), piece.size(), chunks);
    return chunks;
}

const Transcript kTranscripts[] = {
    {"EchoThenAnswer", "AT\r\r\nOK\r\n", {"AT\r\r\n", "OK\r\n"}, 0},
    {"BareCrLfWaits", "\r\n", {}, 2},
    {"BareCrLfStaysInFrontOfNextLine", "\r\nOK\r\n", {"\r\nOK\r\n"}, 0},
    {"TwoEmptyLinesStayInFront", "\r\n\r\nOK\r\n", {"\r\n\r\nOK\r\n"}, 0},
    {"OneCharacterLine", "X\r\n", {"X\r\n"}, 0},
    {"CrBeforeCrLfIsThreeByteLine", "\r\r\n", {"\r\r\n"}, 0},
    {"BackToBackLines", "+CGMM: T1\r\nOK\r\nERROR\r\n", {"+CGMM: T1\r\n", "OK\r\n", "ERROR\r\n"}, 0},
    {"LineWithoutLfWaits", "OK\r", {}, 3},
    {"LfWithoutCrIsNoLineEnd", "A\nB\r\n", {"A\nB\r\n"}, 0},
};

class LineAssemblerTranscript : public ::testing::TestWithParam<Transcript> {};

TEST_P(LineAssemblerTranscript, SameChunksForEverySplit) {
    const Transcript& t = GetParam();
    for (size_t split = 0; split <= t.input.size(); ++split) {
        LineAssembler assembler;
        EXPECT_EQ(FeedPieces({t.input.substr(0, split), t.input.substr(split)}, assembler), t.chunks)
            << "split at " << split;
        EXPECT_EQ(assembler.Pending(), t.pending);
    }
}

TEST_P(LineAssemblerTranscript, SameChunksFedByteByByte) {
    const Transcript& t = GetParam();
    std::vector<std::string> bytes;
    for (char byte : t.input) bytes.emplace_back(1, byte);
    LineAssembler assembler;
    EXPECT_EQ(FeedPieces(bytes, assembler), t.chunks);
}

INSTANTIATE_TEST_SUITE_P(Transcripts, LineAssemblerTranscript, ::testing::ValuesIn(kTranscripts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineAssembler, LongLineIsCutIntoBufferSizedPieces) {
    const std::string line(5000, 'x');
    for (size_t split : {size_t{0}, size_t{1}, size_t{2047}, size_t{2048}, size_t{2049}, size_t{4999}}) {
        LineAssembler assembler;
        Chunks chunks = FeedPieces({line.substr(0, split), line.substr(split)}, assembler);
        ASSERT_EQ(chunks.size(), 2u) << "split at " << split;
        EXPECT_EQ(chunks[0], line.substr(0, 2048));
        EXPECT_EQ(chunks[1], line.substr(2048, 2048));
        EXPECT_EQ(assembler.Pending(), 5000u - 4096u);

        chunks = FeedPieces({"\r\n"}, assembler);
        EXPECT_EQ(chunks, Chunks{line.substr(4096) + "\r\n"});
    }
}

TEST(LineAssembler, ResetDropsPartLine) {
    LineAssembler assembler;
    EXPECT_TRUE(FeedPieces({"STALE"}, assembler).empty());
    assembler.Reset();
    EXPECT_EQ(assembler.Pending(), 0u);
    EXPECT_EQ(FeedPieces({"OK\r\n"}, assembler), Chunks{"OK\r\n"});
}

}  // namespace
}  // namespace serlox

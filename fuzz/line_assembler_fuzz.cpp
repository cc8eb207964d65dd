// The reader's receive path: bytes arrive in reads cut at random points, are
// unescaped in software flow mode and cut into line chunks. Checks every chunk
// against the cutting rule, that the chunks re-joined give back the unescaped
// stream, and that the cut points do not change the chunks.
//
// Input: byte 0 selects the wire form (value % 3: 0 plain, 1 escaped by the
// sender, 2 raw bytes decoded in software flow mode), byte 1 the largest read
// (1 + value % 128 bytes), byte 2 seeds the cut points; the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "flow_escape.h"
#include "fuzz_support.h"
#include "line_assembler.h"

namespace {

using serlox::LineAssembler;

constexpr size_t kHeaderBytes = 3;
constexpr size_t kLargestReadChoices = 128;

enum class WireForm { Plain, EscapedBySender, RawSoftwareMode, Count };

bool CrLfAt(const char* bytes, size_t at) { return bytes[at] == '\r' && bytes[at + 1] == '\n'; }

// Whether the first `length` bytes form a complete line: one character and
// CR LF, or four or more bytes ending in a CR LF that does not directly follow
// another CR LF.
bool EndsLine(const char* bytes, size_t length) {
    if (length == 3) return CrLfAt(bytes, 1);
    return length >= 4 && CrLfAt(bytes, length - 2) && !CrLfAt(bytes, length - 4);
}

void CheckChunk(const std::string& chunk) {
    FUZZ_CHECK(!chunk.empty() && chunk.size() <= LineAssembler::kCapacity);
    const bool full = chunk.size() == LineAssembler::kCapacity;
    const bool endsInCrLf = chunk.size() >= 2 && CrLfAt(chunk.data(), chunk.size() - 2);
    FUZZ_CHECK(full || endsInCrLf);
    FUZZ_CHECK(full || EndsLine(chunk.data(), chunk.size()));
    // Cut at the first place the rule allows: no shorter prefix was a line.
    for (size_t length = 1; length < chunk.size(); ++length) FUZZ_CHECK(!EndsLine(chunk.data(), length));
}

std::string Join(const std::vector<std::string>& chunks) {
    std::string joined;
    for (const std::string& chunk : chunks) joined += chunk;
    return joined;
}

// The whole wire decoded in one read; a trailing lone escape byte is held back.
std::string DecodeAtOnce(std::string wire, bool& escapePending) {
    serlox::Unescaper unescaper;
    wire.resize(unescaper.Decode(wire.data(), wire.size()));
    escapePending = unescaper.EscapePending();
    return wire;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) return 0;
    const auto form = static_cast<WireForm>(data[0] % static_cast<uint8_t>(WireForm::Count));
    const size_t largestRead = 1 + data[1] % kLargestReadChoices;
    const uint32_t seed = data[2];
    const std::string payload(reinterpret_cast<const char*>(data) + kHeaderBytes, size - kHeaderBytes);

    const bool softwareFlow = form != WireForm::Plain;
    const std::string wire =
        form == WireForm::EscapedBySender ? serlox::EscapeForWire(payload.data(), payload.size()) : payload;
    bool escapePendingAtOnce = false;
    const std::string expected = form == WireForm::RawSoftwareMode ? DecodeAtOnce(wire, escapePendingAtOnce) : payload;

    serlox::Unescaper unescaper;
    LineAssembler assembler;
    std::vector<std::string> chunks;
    size_t offset = 0;
    for (size_t piece : fuzz::PieceSizes(wire.size(), seed, largestRead)) {
        std::vector<char> block(wire.begin() + offset, wire.begin() + offset + piece);
        offset += piece;
        size_t count = block.size();
        if (softwareFlow) {
            count = unescaper.Decode(block.data(), block.size());
            FUZZ_CHECK(count <= block.size());
        }
        assembler.Feed(block.data(), count, chunks);
        FUZZ_CHECK(assembler.Pending() < LineAssembler::kCapacity);
    }
    FUZZ_CHECK(unescaper.EscapePending() == escapePendingAtOnce);

    for (const std::string& chunk : chunks) CheckChunk(chunk);

    // Nothing lost, nothing added: the chunks are the stream less the line still
    // being assembled.
    FUZZ_CHECK(assembler.Pending() <= expected.size());
    FUZZ_CHECK(Join(chunks) == expected.substr(0, expected.size() - assembler.Pending()));

    // The same stream in one read gives the same chunks.
    LineAssembler whole;
    std::vector<std::string> wholeChunks;
    whole.Feed(expected.data(), expected.size(), wholeChunks);
    FUZZ_CHECK(wholeChunks == chunks);
    FUZZ_CHECK(whole.Pending() == assembler.Pending());
    return 0;
}

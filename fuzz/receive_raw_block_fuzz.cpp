// The engine's raw and block receives (ReceiveRaw, ReceiveBlock) over a port
// that delivers a fuzzed byte stream as chunks and then fails every further
// read at once, as a handset that stops sending does once the time-out runs
// out (no real waiting).
//
// Input: byte 0 picks how the stream is cut (bit 0: 0 as the serial link's
// line assembler cuts it, into lines ending in CR LF and 2048-byte pieces,
// the unfinished last line never delivered; 1 into pieces of 1 to the largest
// piece) and the code that ends the stream (bits 1-2); byte 1 the largest
// piece (1 to 2048 bytes); byte 2 seeds the piece sizes; byte 3 how often the
// body repeats (1 to 8, so that blocks grow past their growth step); bytes
// 4-5 the raw byte count `total` (modulo the stream length plus 3, so that
// the stream sometimes falls short); byte 6 the time-out (signed, in seconds);
// the rest is the body.
//
// Checks, ReceiveRaw: the destination (exactly `total` bytes on the heap)
// holds the first `total` bytes of the stream, or as many as came before the
// stream ended, and the rest of it is untouched; no chunk is read after the
// one that completes `total`; the part of that chunk past `total` is
// classified exactly as a chunk of its own; otherwise the result is the
// ending code or 0, with the response id 98; one progress message per chunk
// with the bytes taken from it. ReceiveBlock: the result is 0 and the block
// is the chunks up to the first that is 3 to 2047 bytes long or is 2048
// bytes ending in CR LF (or up to the end of the stream), joined, with
// trailing CR and LF bytes cut, and terminated; no chunk is read after it.
// A block longer than the listing limit (its closing CR LF aside) gives 20105
// and nothing, and no chunk is read after the one that passes the limit.
// Both pass the time-out to every read, a negative one as 0.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "at_command.h"
#include "fuzz_support.h"
#include "handset_engine.h"
#include "line_assembler.h"
#include "response_parser.h"
#include "serlox/serlox.h"

namespace {

constexpr size_t kHeaderBytes = 7;
constexpr uint32_t kPortNumber = 7;
constexpr int32_t kMillisecondsPerSecond = 1000;
constexpr size_t kMostRepeats = 8;
constexpr LinkResult kEndings[] = {LINK_TIMEOUT, LINK_NOT_OPEN, LINK_READER_FAILED, LINK_TIMEOUT};
constexpr size_t kShortestEndingLine = 3;
constexpr unsigned char kUntouched = 0x5A;
constexpr unsigned char kResponseFill = 0xA5;
// Any non-null window: progress messages are recorded, never sent.
HandsetWindow const kWindow = reinterpret_cast<HandsetWindow>(uintptr_t{0x1000});

struct Progress {
    uint32_t message;
    uint32_t bytes;
    bool operator==(const Progress& other) const { return message == other.message && bytes == other.bytes; }
};

// Delivers the chunks one per read, then answers every read with `ending`.
// It writes only the chunk's own bytes into the buffer; the rest keeps what a
// previous read left there.
class ChunkPort : public CSerloxObj {
public:
    ChunkPort(const std::vector<std::string>& chunks, LinkResult ending) : chunks_(chunks), ending_(ending) {}

    LinkResult Open(PortSettings) override { return LINK_OK; }
    LinkResult Configure(PortSettings, uint32_t) override { return LINK_OK; }
    LinkResult Close() override { return LINK_OK; }
    int32_t IsOpen() override { return 1; }
    int32_t Spare1(uint32_t, uint32_t) override { return 0; }
    int32_t Spare2(uint32_t, uint32_t, uint32_t) override { return 0; }
    LinkResult Write(const char*, uint32_t, uint32_t, uint32_t) override { return LINK_OK; }

    LinkResult ReadChunk(char* buffer, uint32_t capacity, uint32_t* length, uint32_t timeoutMs, uint32_t,
                         uint32_t) override {
        timeouts.push_back(timeoutMs);
        *length = 0;
        if (next_ == chunks_.size()) return ending_;
        const std::string& chunk = chunks_[next_++];
        FUZZ_CHECK(chunk.size() <= capacity);
        std::memcpy(buffer, chunk.data(), chunk.size());
        *length = static_cast<uint32_t>(chunk.size());
        return LINK_OK;
    }

    std::vector<uint32_t> timeouts;

private:
    const std::vector<std::string>& chunks_;
    LinkResult ending_;
    size_t next_ = 0;
};

// An engine whose only port is `port`, recording its progress messages.
struct Engine {
    explicit Engine(ChunkPort& port)
        : engine(HandsetLinks{[&port](int number) -> CSerloxObj* {
                                  return number == static_cast<int>(kPortNumber) ? &port : nullptr;
                              },
                              [this](HandsetWindow, uint32_t message, uint32_t bytes) {
                                  progress.push_back({message, bytes});
                              },
                              nullptr},
                 std::make_unique<CAtResponseParser>()) {
        engine.RegisterUI(kWindow);
    }

    std::vector<Progress> progress;
    PortSettings settings{kPortNumber, 115200, 0};
    HandsetEngine engine;
};

struct Stream {
    std::vector<std::string> chunks;
    LinkResult ending;
    uint32_t total;
    int32_t timeoutMs;
};

std::vector<std::string> CutAsLinkDoes(const std::string& stream) {
    serlox::LineAssembler assembler;
    std::vector<std::string> chunks;
    assembler.Feed(stream.data(), stream.size(), chunks);
    return chunks;
}

std::vector<std::string> CutIntoPieces(const std::string& stream, uint32_t seed, size_t largest) {
    std::vector<std::string> chunks;
    size_t offset = 0;
    for (size_t piece : fuzz::PieceSizes(stream.size(), seed, largest)) {
        chunks.push_back(stream.substr(offset, piece));
        offset += piece;
    }
    return chunks;
}

std::string Join(const std::vector<std::string>& chunks) {
    std::string joined;
    for (const std::string& chunk : chunks) joined += chunk;
    return joined;
}

void CheckTimeouts(const ChunkPort& port, size_t reads, int32_t timeoutMs) {
    FUZZ_CHECK(port.timeouts.size() == reads);
    const auto expected = static_cast<uint32_t>(std::max(timeoutMs, 0));
    for (uint32_t timeout : port.timeouts) FUZZ_CHECK(timeout == expected);
}

// The same bytes classified as a chunk of their own, from an exact-size copy.
int32_t ClassifyAlone(std::string_view bytes, AtResponse& response) {
    const std::vector<char> copy(bytes.begin(), bytes.end());
    std::memset(&response, kResponseFill, sizeof response);
    CAtResponseParser parser;
    return parser.ClassifyResponse(&response, copy.data(), static_cast<uint32_t>(copy.size()));
}

void CheckRaw(const Stream& stream) {
    ChunkPort port(stream.chunks, stream.ending);
    Engine subject(port);
    std::vector<char> destination(stream.total, static_cast<char>(kUntouched));
    AtResponse response;
    std::memset(&response, kResponseFill, sizeof response);
    const int32_t result =
        subject.engine.ReceiveRaw(&subject.settings, &response, destination.data(), stream.total, stream.timeoutMs);

    // What a careful reader takes: whole chunks until `total` is reached; the
    // part of the last chunk beyond it is the answer that follows the data.
    std::string taken;
    std::vector<Progress> progress;
    std::string_view rest;
    bool restFound = false;
    size_t reads = 0;
    for (const std::string& chunk : stream.chunks) {
        if (taken.size() == stream.total) break;
        ++reads;
        const size_t piece = std::min(chunk.size(), stream.total - taken.size());
        taken.append(chunk, 0, piece);
        progress.push_back({MEXTAL_MSG_RECEIVED_PIECE, static_cast<uint32_t>(piece)});
        if (piece < chunk.size()) {
            rest = std::string_view(chunk).substr(piece);
            restFound = true;
            break;
        }
    }
    const bool complete = taken.size() == stream.total;
    if (!complete) ++reads;  // the read that ends the stream

    FUZZ_CHECK(std::equal(taken.begin(), taken.end(), destination.begin()));
    FUZZ_CHECK(std::all_of(destination.begin() + static_cast<ptrdiff_t>(taken.size()), destination.end(),
                           [](char byte) { return byte == static_cast<char>(kUntouched); }));
    CheckTimeouts(port, reads, stream.timeoutMs);
    FUZZ_CHECK(subject.progress == progress);
    if (restFound) {
        AtResponse alone;
        FUZZ_CHECK(result == ClassifyAlone(rest, alone));
        FUZZ_CHECK(std::memcmp(&response, &alone, sizeof response) == 0);
        return;
    }
    FUZZ_CHECK(response.id == AT_RSP_RAW_DATA);
    FUZZ_CHECK(result == (complete ? MEXTAL_OK : stream.ending));
}

bool EndsBlock(const std::string& chunk) {
    if (chunk.size() >= kShortestEndingLine && chunk.size() < kReceiveBufferBytes) return true;
    return chunk.size() == kReceiveBufferBytes && chunk.compare(chunk.size() - 2, 2, "\r\n") == 0;
}

void CheckBlock(const Stream& stream) {
    ChunkPort port(stream.chunks, stream.ending);
    Engine subject(port);
    char* block = nullptr;
    uint32_t length = 0xFFFFFFFF;
    const int32_t result = subject.engine.ReceiveBlock(&subject.settings, &block, &length, stream.timeoutMs);

    std::string expected;
    size_t reads = 0;
    bool ended = false;
    bool tooLong = false;
    for (const std::string& chunk : stream.chunks) {
        ++reads;
        expected += chunk;
        tooLong = expected.size() > kMostListingBytes + 2;
        if (tooLong || EndsBlock(chunk)) {
            ended = true;
            break;
        }
    }
    if (!ended) ++reads;  // the read that ends the stream
    while (!expected.empty() && (expected.back() == '\r' || expected.back() == '\n')) expected.pop_back();
    tooLong = tooLong || expected.size() > kMostListingBytes;

    CheckTimeouts(port, reads, stream.timeoutMs);
    if (tooLong) {
        FUZZ_CHECK(result == MEXTAL_UNEXPECTED_ANSWER && block == nullptr && length == 0);
        return;
    }
    FUZZ_CHECK(result == MEXTAL_OK);
    FUZZ_CHECK(block != nullptr);
    FUZZ_CHECK(length == expected.size());
    FUZZ_CHECK(std::memcmp(block, expected.data(), expected.size()) == 0 && block[length] == '\0');
    FUZZ_CHECK(subject.progress.empty());
    ReleaseHandedOut(&block);
    FUZZ_CHECK(block == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) return 0;
    const bool cutAsLink = (data[0] & 1) == 0;
    const LinkResult ending = kEndings[(data[0] >> 1) % (sizeof kEndings / sizeof kEndings[0])];
    const size_t largest = 1 + data[1] * (kReceiveBufferBytes - 1) / 255;
    const uint32_t seed = data[2];
    const size_t repeats = 1 + data[3] % kMostRepeats;
    const uint32_t totalChoice = static_cast<uint32_t>(data[4]) | static_cast<uint32_t>(data[5]) << 8;
    const int32_t timeoutMs = static_cast<int8_t>(data[6]) * kMillisecondsPerSecond;

    const std::string body(reinterpret_cast<const char*>(data) + kHeaderBytes, size - kHeaderBytes);
    std::string whole;
    for (size_t i = 0; i < repeats; ++i) whole += body;

    Stream stream{cutAsLink ? CutAsLinkDoes(whole) : CutIntoPieces(whole, seed, largest), ending, 0, timeoutMs};
    stream.total = totalChoice % static_cast<uint32_t>(Join(stream.chunks).size() + 3);
    CheckRaw(stream);
    CheckBlock(stream);
    return 0;
}

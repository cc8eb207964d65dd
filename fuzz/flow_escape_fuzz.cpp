// Software flow-control escaping both ways. Escaped bytes must never carry a
// raw XON or XOFF, must decode to the original whatever the read boundaries,
// and decoding arbitrary wire bytes must not depend on where reads are cut.
//
// Input: byte 0 seeds the cut points, byte 1 selects the largest read
// (1 + value % 128 bytes); the rest is the data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "flow_escape.h"
#include "fuzz_support.h"

namespace {

constexpr size_t kHeaderBytes = 2;
constexpr size_t kLargestReadChoices = 128;

bool Reserved(char byte) { return byte == serlox::kXon || byte == serlox::kXoff || byte == serlox::kEscape; }

bool KnownCode(char code) { return code == '1' || code == '3' || code == ']'; }

struct Decoded {
    std::string bytes;
    bool escapePending;
};

Decoded DecodeInReads(const std::string& wire, const std::vector<size_t>& reads) {
    serlox::Unescaper unescaper;
    Decoded decoded{{}, false};
    size_t offset = 0;
    for (size_t read : reads) {
        std::string block = wire.substr(offset, read);
        offset += read;
        const size_t count = unescaper.Decode(block.data(), block.size());
        FUZZ_CHECK(count <= block.size());
        decoded.bytes.append(block, 0, count);
    }
    decoded.escapePending = unescaper.EscapePending();
    return decoded;
}

void CheckEscapedForm(const std::string& data, const std::string& wire) {
    size_t reserved = 0;
    for (char byte : data) reserved += Reserved(byte) ? 1 : 0;
    FUZZ_CHECK(wire.size() == data.size() + reserved);
    for (size_t i = 0; i < wire.size(); ++i) {
        FUZZ_CHECK(wire[i] != serlox::kXon && wire[i] != serlox::kXoff);
        if (wire[i] == serlox::kEscape) {
            FUZZ_CHECK(i + 1 < wire.size() && KnownCode(wire[i + 1]));
            ++i;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    if (size < kHeaderBytes) return 0;
    const uint32_t seed = input[0];
    const size_t largestRead = 1 + input[1] % kLargestReadChoices;
    const std::string data(reinterpret_cast<const char*>(input) + kHeaderBytes, size - kHeaderBytes);

    const std::string wire = serlox::EscapeForWire(data.data(), data.size());
    CheckEscapedForm(data, wire);
    const Decoded roundTrip = DecodeInReads(wire, fuzz::PieceSizes(wire.size(), seed, largestRead));
    FUZZ_CHECK(roundTrip.bytes == data);
    FUZZ_CHECK(!roundTrip.escapePending);

    // The data taken as received wire bytes, stray escapes included.
    const Decoded inReads = DecodeInReads(data, fuzz::PieceSizes(data.size(), seed, largestRead));
    const Decoded atOnce = DecodeInReads(data, {data.size()});
    FUZZ_CHECK(inReads.bytes == atOnce.bytes);
    FUZZ_CHECK(inReads.escapePending == atOnce.escapePending);
    return 0;
}

// The text helpers the answer parsers are built from: NUL-bounded views,
// trimming, the quote-aware field splitter, the line splitter, the atoi-like
// number reader and the terminated copy. The input is the text.
//
// Checks: every piece handed back lies inside the text it came from; the field
// and line splitters account for every byte and stop; numbers agree with a
// saturating decimal reading; a copy never writes past its slot and is always
// terminated.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "text_fields.h"

namespace {

using fuzz::ViewInside;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLinePair(std::string_view text, size_t at) {
    return at + 1 < text.size() &&
           ((text[at] == '\r' && text[at + 1] == '\n') || (text[at] == '\n' && text[at + 1] == '\r'));
}

void CheckTextOf(const std::vector<char>& bytes) {
    const std::string_view text = mextal::TextOf(bytes.data(), bytes.size());
    FUZZ_CHECK(text.size() <= bytes.size());
    FUZZ_CHECK(text.find('\0') == std::string_view::npos);
    FUZZ_CHECK(text.size() == bytes.size() || bytes[text.size()] == '\0');
}

void CheckTrims(std::string_view text) {
    const std::string_view noLineEnds = mextal::TrimLineEnds(text);
    FUZZ_CHECK(ViewInside(noLineEnds, text));
    FUZZ_CHECK(noLineEnds.empty() || (!IsLineEnd(noLineEnds.front()) && !IsLineEnd(noLineEnds.back())));
    const std::string_view noSpaces = mextal::TrimSpaces(text);
    FUZZ_CHECK(ViewInside(noSpaces, text));
    FUZZ_CHECK(noSpaces.empty() || (!IsBlank(noSpaces.front()) && !IsBlank(noSpaces.back())));
    const std::string_view noLeading = mextal::TrimLeadingWhiteSpace(text);
    FUZZ_CHECK(noLeading.data() + noLeading.size() == text.data() + text.size());
    FUZZ_CHECK(noLeading.empty() || (!IsBlank(noLeading.front()) && !IsLineEnd(noLeading.front())));
}

// Fields split off one by one: each one that ended at a comma is followed by
// that comma in the text and holds balanced quotes; the last one is the rest
// less leading CR LF pairs.
void CheckFields(std::string_view text) {
    std::string_view rest = text;
    for (size_t taken = 0;; ++taken) {
        FUZZ_CHECK(taken <= text.size());
        const std::string_view before = rest;
        std::string_view field;
        const bool atComma = mextal::TakeField(rest, field);
        FUZZ_CHECK(ViewInside(field, before));
        if (!atComma) {
            FUZZ_CHECK(rest.empty());
            FUZZ_CHECK(field.data() + field.size() == before.data() + before.size());
            FUZZ_CHECK(field.substr(0, 2) != "\r\n");
            break;
        }
        FUZZ_CHECK(field.data() == before.data());
        FUZZ_CHECK(before[field.size()] == ',');
        FUZZ_CHECK(rest.data() == before.data() + field.size() + 1);
        FUZZ_CHECK(rest.size() == before.size() - field.size() - 1);
        size_t quotes = 0;
        for (char c : field) quotes += c == '"' ? 1 : 0;
        FUZZ_CHECK(quotes % 2 == 0);
    }
}

// Lines split off one by one: the pair that ended a line is the first one in
// what was left, and the line is what came before it less blanks.
void CheckLines(std::string_view text) {
    std::string_view rest = text;
    for (size_t taken = 0;; ++taken) {
        FUZZ_CHECK(taken <= text.size());
        const std::string_view before = rest;
        std::string_view line;
        const bool atPair = mextal::TakeLine(rest, line);
        FUZZ_CHECK(ViewInside(line, before));
        FUZZ_CHECK(line.empty() || (!IsBlank(line.front()) && !IsBlank(line.back())));
        size_t pair = 0;
        while (pair < before.size() && !IsLinePair(before, pair)) ++pair;
        if (!atPair) {
            FUZZ_CHECK(pair == before.size());
            FUZZ_CHECK(rest.empty());
            FUZZ_CHECK(line == mextal::TrimSpaces(before));
            break;
        }
        FUZZ_CHECK(pair < before.size());
        FUZZ_CHECK(line == mextal::TrimSpaces(before.substr(0, pair)));
        FUZZ_CHECK(rest.data() == before.data() + pair + 2);
        FUZZ_CHECK(rest.size() == before.size() - pair - 2);
    }
}

void CheckNumber(std::string_view text) {
    int32_t parsed = 0x5A5A5A5A;
    int32_t expected = 0;
    const bool hasDigits = fuzz::ReadLeadingNumber(text, expected);
    FUZZ_CHECK(mextal::ParseLeadingNumber(text, parsed) == hasDigits);
    if (hasDigits) FUZZ_CHECK(parsed == expected);
}

// Copies into slots of exactly their size on the heap, so a byte written past
// the slot is caught.
void CheckCopies(std::string_view text) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{2}, text.size() / 2, text.size(), text.size() + 1}) {
        std::vector<char> slot(size, 'x');
        mextal::CopyTerminated(text, slot.data(), slot.size());
        if (size == 0) continue;
        const size_t length = strnlen(slot.data(), size);
        FUZZ_CHECK(length < size);
        FUZZ_CHECK(length == 0 || std::memcmp(slot.data(), text.data(), length) == 0);
        if (text.find('\0') == std::string_view::npos) FUZZ_CHECK(length == std::min(text.size(), size - 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<char> bytes(data, data + size);
    CheckTextOf(bytes);
    const std::string_view text(bytes.data(), bytes.size());
    CheckTrims(text);
    CheckFields(text);
    CheckLines(text);
    CheckNumber(text);
    CheckCopies(text);
    return 0;
}

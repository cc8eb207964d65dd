#pragma once
// Shared by the fuzz targets: a check that stops the run with a message in
// every build type (unlike assert), and the cutting of a byte stream into the
// pieces that successive device reads deliver.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::fuzz::Fail(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, condition);
    std::abort();
}

// Sizes of the reads that deliver `total` bytes: each 1..maxPiece bytes, drawn
// from a generator seeded with `seed`, so an input replays the same cuts.
inline std::vector<size_t> PieceSizes(size_t total, uint32_t seed, size_t maxPiece) {
    std::minstd_rand generator(seed);
    std::vector<size_t> sizes;
    for (size_t left = total; left > 0;) {
        size_t size = 1 + generator() % maxPiece;
        if (size > left) size = left;
        sizes.push_back(size);
        left -= size;
    }
    return sizes;
}

// The bytes up to the first NUL, as a C string reading them would see them.
inline std::string_view UpToNul(const std::vector<char>& bytes) {
    size_t length = 0;
    while (length < bytes.size() && bytes[length] != '\0') ++length;
    return std::string_view(bytes.data(), length);
}

// Without CR and LF bytes at either end.
inline std::string_view TrimCrLf(std::string_view text) {
    while (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    return text;
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The fields of a line as the answers are laid out: split at every comma
// outside double quotes (a double quote toggles the quoted state); the last
// field loses any leading CR LF pairs.
inline std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ',' && !quoted) {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    std::string_view last = line.substr(start);
    while (StartsWith(last, "\r\n")) last.remove_prefix(2);
    fields.push_back(last);
    return fields;
}

// The number atoi reads from the start of `text` (after blanks, tabs, CRs and
// LFs, with an optional sign), saturated at the 32-bit limits; false when no
// digit follows.
inline bool ReadLeadingNumber(std::string_view text, int32_t& number) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    if (at == text.size() || text[at] < '0' || text[at] > '9') return false;
    constexpr int64_t kBeyond = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > kBeyond) magnitude = kBeyond;
    }
    number = static_cast<int32_t>(negative ? -magnitude : (magnitude == kBeyond ? kBeyond - 1 : magnitude));
    return true;
}

// Whether `part` lies inside `whole` (the same bytes, not a copy).
inline bool ViewInside(std::string_view part, std::string_view whole) {
    if (part.empty()) return true;
    const auto begin = reinterpret_cast<uintptr_t>(whole.data());
    const auto at = reinterpret_cast<uintptr_t>(part.data());
    return at >= begin && at + part.size() <= begin + whole.size();
}

}  // namespace fuzz

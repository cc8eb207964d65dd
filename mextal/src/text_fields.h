#pragma once
// Taking answer lines apart: trimming, the quote-aware field splitter and the
// line splitter. Everything works on views with explicit lengths, so a line that
// fills a whole receive buffer without a terminator is read safely.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mextal {

// The text up to its first NUL byte, never past `length`.
std::string_view TextOf(const char* bytes, size_t length);

// Removes CR and LF bytes from both ends.
std::string_view TrimLineEnds(std::string_view text);
// Removes blanks from both ends.
std::string_view TrimSpaces(std::string_view text);
// Removes leading blanks, tabs, CRs and LFs.
std::string_view TrimLeadingWhiteSpace(std::string_view text);

// Cuts the first field off `text` at the first comma outside double quotes (a
// double quote toggles the quoted state); `text` keeps what follows the comma.
// Without such a comma the whole text, less any leading CR LF pairs, is the
// field and `text` becomes empty. Returns true when the field ended at a comma.
bool TakeField(std::string_view& text, std::string_view& field);

// Cuts the first line off `text` at the first CR LF or LF CR and trims blanks
// from both ends of it; `text` keeps what follows the pair. Without a pair the
// whole text is the line. Returns true when a pair was found.
bool TakeLine(std::string_view& text, std::string_view& line);

// Reads a decimal number the way atoi does (leading white space, optional sign,
// digits; the rest ignored), saturating at the 32-bit limits. False when there
// is no digit.
bool ParseLeadingNumber(std::string_view text, int32_t& number);

// Copies `text` into `destination` cut to size - 1 bytes, always terminated.
void CopyTerminated(std::string_view text, char* destination, size_t size);

}  // namespace mextal

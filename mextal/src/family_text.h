#pragma once
// Texts of the command families: names and paths that go out in double quotes
// on a request line, and listings that come back in a raw download. The wire
// carries UTF-8, the caller's side the local code page.
#include <cstddef>
#include <cstdint>

namespace mextal {

// Longest path or name on a request line, in bytes of UTF-8, unless a family
// allows less.
constexpr size_t kMostRequestTextBytes = 260;

enum class EmptyText { Refused, Allowed };

// Converts the caller's `text` for a request line into `field` (terminated).
// False when `text` is null, is empty where that is refused, cannot be
// converted, is longer than `most` bytes after conversion (or does not fit the
// field), or holds a double quote, CR or LF: texts travel in quotes without
// escaping, so such a byte would end the text or the command line early.
bool PrepareRequestText(const char* text, size_t most, EmptyText empty, char* field, size_t fieldSize);

// Hands out the `length` bytes of a downloaded listing as text in the local
// code page with a terminating zero; `*textLength` counts the terminator.
// 20105 when the listing holds a zero byte or cannot be converted, 20002 when
// no memory is left; the outputs are untouched then.
int32_t HandOutListing(const uint8_t* listing, uint32_t length, char** text, uint32_t* textLength);

}  // namespace mextal

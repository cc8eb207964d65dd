#pragma once
// Names travel to and from the handset in UTF-8; the PC side keeps them in the
// local code page. Text made only of ASCII bytes (below 0x80) reads the same in
// both and passes unchanged; text with any byte of 0x80 or above is converted.
#include <string>
#include <string_view>

namespace mextal {

// False when the text is not valid in its own encoding, holds a character that
// the other side cannot represent, or memory runs short. Never throws.
bool ToHandsetText(std::string_view local, std::string& utf8);
bool FromHandsetText(std::string_view utf8, std::string& local);

// The platform's converters (text_convert_win32.cpp, text_convert_posix.cpp).
// The local code page is the ANSI code page on Windows and the character set of
// the current LC_CTYPE locale elsewhere (ASCII in the "C" locale). Both reject
// invalid input and characters without an exact counterpart; they may throw
// std::bad_alloc.
bool LocalToUtf8(std::string_view local, std::string& utf8);
bool Utf8ToLocal(std::string_view utf8, std::string& local);

}  // namespace mextal

#pragma once
// Building one trace line; portable, so that it is tested natively.
#include <cstdint>
#include <string>
#include <string_view>

namespace ravelin::trace {

struct Stamp {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    uint32_t process = 0;
    uint32_t thread = 0;
};

// The text with CR, LF and tab as \r, \n and \t and every other control
// character as \xHH. Bytes from 0x80 up (UTF-8 or code-page text) stay as they are.
std::string EscapeControls(std::string_view text);

// "<date> <time.ms> [pid P tid T] <component> <escaped text>\n"
std::string FormatLine(const Stamp& stamp, std::string_view component, std::string_view text);

}  // namespace ravelin::trace

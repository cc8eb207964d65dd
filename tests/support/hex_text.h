#pragma once
// Bytes written as hexadecimal text, two digits a byte, and read back.
#include <string>

namespace ravelin::test {

enum class HexDigits { kLower, kUpper };

std::string ToHex(const std::string& bytes, HexDigits digits = HexDigits::kLower);
// Reads digits of either case; throws std::invalid_argument on an odd length or
// a character that is not a hex digit.
std::string FromHex(const std::string& hex);

}  // namespace ravelin::test

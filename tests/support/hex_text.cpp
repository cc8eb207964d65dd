#include "hex_text.h"

#include <stdexcept>

namespace ravelin::test {
namespace {

constexpr char kLowerDigits[] = "0123456789abcdef";
constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr int kBitsPerDigit = 4;
constexpr int kDigitMask = 0x0F;
constexpr int kNotHex = -1;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return kNotHex;
}

}  // namespace

std::string ToHex(const std::string& bytes, HexDigits digits) {
    const char* alphabet = digits == HexDigits::kUpper ? kUpperDigits : kLowerDigits;
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += alphabet[byte >> kBitsPerDigit];
        hex += alphabet[byte & kDigitMask];
    }
    return hex;
}

std::string FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) throw std::invalid_argument("hex text of odd length");
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high == kNotHex || low == kNotHex) throw std::invalid_argument("not a hex digit in '" + hex + "'");
        bytes += static_cast<char>((high << kBitsPerDigit) | low);
    }
    return bytes;
}

}  // namespace ravelin::test

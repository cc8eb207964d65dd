#include "hex.h"

namespace phonesim {
namespace {

constexpr std::string_view kDigits = "0123456789abcdef";
constexpr int kNotHex = -1;
constexpr int kBitsPerDigit = 4;
constexpr int kDigitMask = 0x0F;

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return kNotHex;
}

}  // namespace

std::string ToHex(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> kBitsPerDigit];
        hex += kDigits[byte & kDigitMask];
    }
    return hex;
}

bool FromHex(std::string_view hex, std::string& bytes) {
    if (hex.size() % 2 != 0) return false;
    std::string decoded;
    decoded.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = DigitValue(hex[i]);
        int low = DigitValue(hex[i + 1]);
        if (high == kNotHex || low == kNotHex) return false;
        decoded += static_cast<char>((high << kBitsPerDigit) | low);
    }
    bytes = std::move(decoded);
    return true;
}

}  // namespace phonesim

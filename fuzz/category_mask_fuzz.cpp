// Decoding of the category group of a media-centre query, such as "(0-2,5)",
// into a 32-bit mask. The input is the group text.
//
// Checked against a decoding that keeps every number as its decimal digits, so
// numbers of any length are compared and reduced modulo 32 exactly: "," or ")"
// ends an item and sets its bit; "-" or "~" after a number ends it and opens a
// range that sets every bit from its first to its second number (nothing when
// the second is smaller, only the first when the second is missing); a mark
// before an item's first number is ignored; other characters are ignored. The
// result is false, with mask 0, exactly when no item held a number or an item
// held a second range mark.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "media_protocol.h"

namespace {

// A non-negative decimal number as its digits, without leading zeros.
class Decimal {
public:
    void Append(char digit) {
        if (digits_.empty() && digit == '0') {
            zeroSeen_ = true;
            return;
        }
        digits_ += digit;
    }
    bool Present() const { return zeroSeen_ || !digits_.empty(); }

    uint32_t Modulo32() const {
        uint32_t rest = 0;
        for (char digit : digits_) rest = (rest * 10 + static_cast<uint32_t>(digit - '0')) % 32;
        return rest;
    }

    bool LessThan(const Decimal& other) const {
        if (digits_.size() != other.digits_.size()) return digits_.size() < other.digits_.size();
        return digits_ < other.digits_;
    }

    Decimal Plus(uint32_t small) const {
        Decimal sum;
        std::string reversed(digits_.rbegin(), digits_.rend());
        uint32_t carry = small;
        for (size_t i = 0; i < reversed.size() || carry > 0; ++i) {
            if (i == reversed.size()) reversed += '0';
            const uint32_t value = static_cast<uint32_t>(reversed[i] - '0') + carry;
            reversed[i] = static_cast<char>('0' + value % 10);
            carry = value / 10;
        }
        sum.digits_.assign(reversed.rbegin(), reversed.rend());
        sum.zeroSeen_ = true;
        return sum;
    }

private:
    std::string digits_;
    bool zeroSeen_ = false;
};

uint32_t Bit(const Decimal& number) { return uint32_t{1} << number.Modulo32(); }

uint32_t RangeMask(const Decimal& first, const Decimal& last) {
    if (last.LessThan(first)) return 0;
    if (!last.LessThan(first.Plus(31))) return ~uint32_t{0};  // 32 numbers or more
    const uint32_t span = (last.Modulo32() + 32 - first.Modulo32()) % 32;
    uint32_t mask = 0;
    for (uint32_t step = 0; step <= span; ++step) mask |= uint32_t{1} << ((first.Modulo32() + step) % 32);
    return mask;
}

bool ExpectedMask(std::string_view group, uint32_t& mask) {
    mask = 0;
    bool anyNumber = false;
    bool inRange = false;
    Decimal first;
    Decimal current;
    for (char c : group) {
        const bool rangeMark = c == '-' || c == '~';
        if (c >= '0' && c <= '9') {
            current.Append(c);
        } else if (rangeMark && inRange) {
            mask = 0;
            return false;
        } else if (rangeMark && current.Present()) {
            first = current;
            current = Decimal();
            inRange = true;
        } else if (c == ',' || c == ')') {
            if (inRange) {
                mask |= current.Present() ? RangeMask(first, current) : Bit(first);
                anyNumber = true;
            } else if (current.Present()) {
                mask |= Bit(current);
                anyNumber = true;
            }
            current = Decimal();
            inRange = false;
        }
    }
    return anyNumber;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view group(reinterpret_cast<const char*>(data), size);
    uint32_t mask = 0x5A5A5A5A;
    uint32_t expected = 0;
    const bool hasNumber = ExpectedMask(group, expected);
    FUZZ_CHECK(DecodeCategoryMask(group, mask) == hasNumber);
    FUZZ_CHECK(mask == expected);
    return 0;
}

#include "text_fields.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace mextal {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWithLinePair(std::string_view text) {
    return text.size() >= 2 && ((text[0] == '\r' && text[1] == '\n') || (text[0] == '\n' && text[1] == '\r'));
}

template <typename Predicate>
std::string_view TrimBoth(std::string_view text, Predicate drop) {
    while (!text.empty() && drop(text.front())) text.remove_prefix(1);
    while (!text.empty() && drop(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string_view TextOf(const char* bytes, size_t length) {
    if (length == 0) return std::string_view();
    const void* nul = std::memchr(bytes, '\0', length);
    return std::string_view(bytes, nul ? static_cast<const char*>(nul) - bytes : length);
}

std::string_view TrimLineEnds(std::string_view text) { return TrimBoth(text, IsLineEnd); }

std::string_view TrimSpaces(std::string_view text) { return TrimBoth(text, IsBlank); }

std::string_view TrimLeadingWhiteSpace(std::string_view text) {
    while (!text.empty() && (IsBlank(text.front()) || IsLineEnd(text.front()))) text.remove_prefix(1);
    return text;
}

bool TakeField(std::string_view& text, std::string_view& field) {
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == ',' && !quoted) {
            field = text.substr(0, i);
            text.remove_prefix(i + 1);
            return true;
        }
    }
    field = text;
    while (field.size() >= 2 && field[0] == '\r' && field[1] == '\n') field.remove_prefix(2);
    text = std::string_view();
    return false;
}

bool TakeLine(std::string_view& text, std::string_view& line) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (StartsWithLinePair(text.substr(i))) {
            line = TrimSpaces(text.substr(0, i));
            text.remove_prefix(i + 2);
            return true;
        }
    }
    line = TrimSpaces(text);
    text = std::string_view();
    return false;
}

bool ParseLeadingNumber(std::string_view text, int32_t& number) {
    text = TrimLeadingWhiteSpace(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    size_t digits = 0;
    for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        magnitude = std::min(kLimit, magnitude * 10 + (text[digits] - '0'));
    }
    if (digits == 0) return false;
    int64_t value = negative ? -magnitude : std::min(magnitude, kLimit - 1);
    number = static_cast<int32_t>(value);
    return true;
}

void CopyTerminated(std::string_view text, char* destination, size_t size) {
    if (size == 0) return;
    size_t count = std::min(text.size(), size - 1);
    if (count > 0) std::memcpy(destination, text.data(), count);
    destination[count] = '\0';
}

}  // namespace mextal

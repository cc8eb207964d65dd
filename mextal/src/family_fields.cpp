#include "family_fields.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "text_fields.h"

namespace mextal {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool TakeColon(std::string_view& text) {
    if (text.empty() || text.front() != ':') return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

std::string_view FormatFamilyNumbers(const FamilyRequestFields& fields, size_t count,
                                     char (&buffer)[kFamilyNumbersBytes]) {
    count = std::min(count, kFamilyRequestNumbers);
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        // Each number takes at most ten digits and its separator, so it fits.
        int written = std::snprintf(buffer + length, sizeof buffer - length, "%c%lu", i == 0 ? '=' : ',',
                                    static_cast<unsigned long>(fields.numbers[i]));
        length += static_cast<size_t>(written);
    }
    return std::string_view(buffer, length);
}

int32_t SplitFamilyAnswer(std::string_view text, FamilyFields& fields) {
    fields = FamilyFields{};
    if (!TakeColon(text)) return PARSE_NO_COLON;
    bool more = true;
    while (more) {
        if (fields.count == FamilyFields::kMost) return PARSE_BAD_FIELDS;
        more = TakeField(text, fields.field[fields.count++]);
    }
    return PARSE_OK;
}

bool ParseFamilyNumber(std::string_view field, uint32_t& value) {
    field = TrimSpaces(field);
    if (field.empty()) return false;
    uint64_t number = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
        if (number > std::numeric_limits<uint32_t>::max()) return false;
    }
    value = static_cast<uint32_t>(number);
    return true;
}

bool DecodeHexBytes(std::string_view hex, char* destination, size_t capacity, size_t& count) {
    if (hex.size() % 2 != 0 || hex.size() / 2 > capacity) return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = HexDigitValue(hex[i]);
        int low = HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        destination[i / 2] = static_cast<char>(high * 16 + low);
    }
    count = hex.size() / 2;
    return true;
}

bool ParseHexField(std::string_view field, bool quotesOptional, char* destination, size_t capacity, size_t& count) {
    field = TrimSpaces(field);
    bool quoted = field.size() >= 2 && field.front() == '"' && field.back() == '"';
    if (quoted) {
        field = field.substr(1, field.size() - 2);
    } else if (!quotesOptional || field.empty()) {
        return false;
    }
    return DecodeHexBytes(field, destination, capacity, count);
}

int32_t ParseFamilyErrorLine(AtCommandId id, std::string_view text, AtResponse* response) {
    response->id = id;
    if (!TakeColon(text)) return PARSE_NO_COLON;
    std::string_view field;
    TakeField(text, field);
    int32_t number = 0;
    // A field without digits is no error number; taking it as 0 would later make
    // the failed operation look successful.
    if (!ParseLeadingNumber(field, number)) return PARSE_BAD_FIELDS;
    StoreHandsetErrorNumber(*response, number);
    return PARSE_OK;
}

int32_t ParseFamilyNumberAnswer(AtCommandId id, std::string_view text, size_t count, AtResponse* response) {
    response->id = id;
    FamilyFields fields;
    int32_t result = SplitFamilyAnswer(text, fields);
    if (result != PARSE_OK) return result;
    if (fields.count != count || count > kFamilyAnswerNumbers) return PARSE_BAD_FIELDS;
    FamilyAnswerFields answer{};
    for (size_t i = 0; i < count; ++i) {
        if (!ParseFamilyNumber(fields.field[i], answer.numbers[i])) return PARSE_BAD_FIELDS;
    }
    StoreFamilyAnswer(*response, answer);
    return PARSE_OK;
}

}  // namespace mextal

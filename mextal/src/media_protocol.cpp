#include "media_protocol.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "media_records.h"
#include "text_fields.h"

namespace {

// Takes the fields of an answer one at a time with the quote-aware splitter.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : rest_(text) {}

    bool Next(std::string_view& field) {
        if (!more_) return false;
        more_ = mextal::TakeField(rest_, field);
        return true;
    }

    bool Number(int32_t& value) {
        std::string_view field;
        return Next(field) && mextal::ParseLeadingNumber(field, value);
    }

    // An 8-bit field keeps the low byte of its number.
    bool Byte(uint8_t& value) {
        int32_t number = 0;
        if (!Number(number)) return false;
        value = static_cast<uint8_t>(number);
        return true;
    }

    // One leading and one trailing double quote are removed; a text longer than
    // the record field is refused rather than cut.
    template <size_t N>
    bool Quoted(char (&destination)[N]) {
        std::string_view field;
        if (!Next(field)) return false;
        if (!field.empty() && field.front() == '"') field.remove_prefix(1);
        if (!field.empty() && field.back() == '"') field.remove_suffix(1);
        if (field.size() >= N) return false;
        mextal::CopyTerminated(field, destination, N);
        return true;
    }

    bool AtEnd() const { return !more_; }

private:
    std::string_view rest_;
    bool more_ = true;
};

// Removes the colon that every media-centre answer starts with.
bool TakeColon(std::string_view& text) {
    if (text.empty() || text.front() != ':') return false;
    text.remove_prefix(1);
    return true;
}

// A number of a category group, kept as its decimal digits so that numbers of
// any size compare exactly; its bit is the number modulo 32.
class GroupNumber {
public:
    void AddDigit(int digit) {
        present_ = true;
        if (!digits_.empty() || digit != 0) digits_.push_back(static_cast<char>('0' + digit));
        bit_ = (bit_ * 10 + static_cast<uint32_t>(digit)) % 32;
    }
    bool Present() const { return present_; }
    uint32_t Bit() const { return bit_; }
    const std::string& Digits() const { return digits_; }

private:
    bool present_ = false;
    std::string digits_;  // without leading zeros; empty for zero
    uint32_t bit_ = 0;
};

bool IsBelow(const std::string& a, const std::string& b) { return a.size() != b.size() ? a.size() < b.size() : a < b; }

// The decimal digits of `digits` plus `add`, both without leading zeros.
std::string AddSmall(std::string digits, uint32_t add) {
    for (size_t i = digits.size(); add != 0; --i) {
        if (i == 0) {
            digits.insert(digits.begin(), static_cast<char>('0' + add % 10));
            add /= 10;
            i = 1;
            continue;
        }
        uint32_t sum = static_cast<uint32_t>(digits[i - 1] - '0') + add % 10;
        digits[i - 1] = static_cast<char>('0' + sum % 10);
        add = add / 10 + sum / 10;
    }
    return digits;
}

constexpr uint32_t kMaskBits = 32;

uint32_t RangeBits(const GroupNumber& first, const GroupNumber& last) {
    if (IsBelow(last.Digits(), first.Digits())) return 0;
    uint32_t bits = 0;
    for (uint32_t step = 0; step < kMaskBits; ++step) {
        bits |= uint32_t{1} << ((first.Bit() + step) % kMaskBits);
        if (AddSmall(first.Digits(), step) == last.Digits()) return bits;
    }
    return ~uint32_t{0};
}

// One item of a category group: a number, or two numbers joined by a range
// mark. A range mark always ends the number before it.
class GroupItem {
public:
    void AddDigit(int digit) { (ranged_ ? last_ : first_).AddDigit(digit); }

    // A mark before the item's first number stands between no two numbers and
    // is ignored. False for a second mark: "1-2-3" names no one range.
    bool MarkRange() {
        if (!first_.Present()) return true;
        if (ranged_) return false;
        ranged_ = true;
        return true;
    }

    bool HasNumber() const { return first_.Present(); }

    // A range without its second number stands for its first one.
    uint32_t Bits() const {
        if (!first_.Present()) return 0;
        if (ranged_ && last_.Present()) return RangeBits(first_, last_);
        return uint32_t{1} << first_.Bit();
    }

private:
    GroupNumber first_;
    GroupNumber last_;
    bool ranged_ = false;
};

// The index of the ")" that closes the "(" at `open`, or npos.
size_t MatchingClose(std::string_view text, size_t open) {
    size_t depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0) return i;
    }
    return std::string_view::npos;
}

// The group of a category query: from the first "(" to the ")" that matches
// it, wherever it stands. Text around the group is ignored up to the comma
// that follows it; anything but blanks after that comma is refused.
bool CutCategoryGroup(std::string_view text, std::string_view& group) {
    size_t open = text.find('(');
    if (open == std::string_view::npos) return false;
    size_t close = MatchingClose(text, open);
    if (close == std::string_view::npos) return false;
    group = text.substr(open, close - open + 1);
    std::string_view after = text.substr(close + 1);
    size_t comma = after.find(',');
    return comma == std::string_view::npos || mextal::TrimSpaces(after.substr(comma + 1)).empty();
}

int32_t ParseListForm(std::string_view text, MediaListFields& fields) {
    FieldReader reader(text);
    if (!reader.Number(fields.category)) return PARSE_BAD_FIELDS;
    if (!reader.AtEnd() && !reader.Quoted(fields.name)) return PARSE_BAD_FIELDS;
    return reader.AtEnd() ? PARSE_OK : PARSE_BAD_FIELDS;
}

int32_t ParseQueryForm(std::string_view text, MediaListFields& fields) {
    std::string_view group;
    if (!CutCategoryGroup(text, group) || !DecodeCategoryMask(group, fields.categoryMask)) return PARSE_BAD_FIELDS;
    return PARSE_OK;
}

}  // namespace

int32_t FormatMediaParameters(const AtRequest& request, char (&parameters)[kMediaParameterBytes],
                              std::string_view& formatted) {
    int32_t form = RequestWord(request, kMediaFormWord);
    int length = -1;
    if (request.id == AT_CMD_QKMCL && form == kMediaQueryForm) {
        length = std::snprintf(parameters, sizeof parameters, "=?");
    } else if (request.id == AT_CMD_QKMCL && form == kMediaListForm) {
        auto fields = MediaRequestFields<MediaListFields>(request);
        std::string_view name = FieldText(fields.name);
        length = std::snprintf(parameters, sizeof parameters, "=%d,\"%.*s\"", fields.category,
                               static_cast<int>(name.size()), name.data());
    } else if (request.id == AT_CMD_QKMCR) {
        auto fields = MediaRequestFields<MediaReadFields>(request);
        std::string_view name = FieldText(fields.name);
        length =
            std::snprintf(parameters, sizeof parameters, "=%d,%u,%u,\"%.*s\"", fields.category, unsigned{fields.kind},
                          unsigned{fields.reserved}, static_cast<int>(name.size()), name.data());
    } else if (request.id == AT_CMD_QKMCPI && form == kMediaNameToIdForm) {
        auto fields = MediaRequestFields<MediaIdFields>(request);
        std::string_view name = FieldText(fields.name);
        length = std::snprintf(parameters, sizeof parameters, "=%d,%d,%u,\"%.*s\"", form, fields.category,
                               unsigned{fields.kind}, static_cast<int>(name.size()), name.data());
    } else if (request.id == AT_CMD_QKMCPI && form == kMediaIdToNameForm) {
        auto fields = MediaRequestFields<MediaIdFields>(request);
        length = std::snprintf(parameters, sizeof parameters, "=%d,%d,%d", form, fields.category, fields.id);
    }
    if (length < 0 || static_cast<size_t>(length) >= sizeof parameters) return PARSE_NO_HANDLER;
    formatted = std::string_view(parameters, static_cast<size_t>(length));
    return PARSE_OK;
}

int32_t ParseMediaListAnswer(std::string_view text, AtResponse* response) {
    response->id = AT_RSP_QKMCL;
    if (!TakeColon(text)) return PARSE_NO_COLON;
    MediaListFields fields{};
    int32_t result =
        response->familyValue == kMediaQueryForm ? ParseQueryForm(text, fields) : ParseListForm(text, fields);
    if (result == PARSE_OK) StoreMediaAnswer(*response, fields);
    return result;
}

int32_t ParseMediaReadAnswer(std::string_view text, AtResponse* response) {
    response->id = AT_RSP_QKMCR;
    if (!TakeColon(text)) return PARSE_NO_COLON;
    MediaReadFields fields{};
    FieldReader reader(text);
    if (!reader.Number(fields.category) || !reader.Byte(fields.kind) || !reader.Byte(fields.reserved) ||
        !reader.Quoted(fields.name) || !reader.Number(fields.contentLength) || !reader.AtEnd()) {
        return PARSE_BAD_FIELDS;
    }
    StoreMediaAnswer(*response, fields);
    return PARSE_OK;
}

int32_t ParseMediaIdAnswer(std::string_view text, AtResponse* response) {
    response->id = AT_RSP_QKMCPI;
    if (!TakeColon(text)) return PARSE_NO_COLON;
    FieldReader reader(text);
    int32_t form = 0;
    if (!reader.Number(form)) return PARSE_BAD_FIELDS;
    // An unknown form is reported like a missing colon: the line is not of the
    // shape the keyword promises.
    if (form != kMediaNameToIdForm && form != kMediaIdToNameForm) return PARSE_NO_COLON;
    response->familyValue = form;
    MediaIdFields fields{};
    bool complete = form == kMediaNameToIdForm ? reader.Number(fields.category) && reader.Byte(fields.kind) &&
                                                     reader.Quoted(fields.name) && reader.Number(fields.id)
                                               : reader.Number(fields.category) && reader.Number(fields.id) &&
                                                     reader.Byte(fields.kind) && reader.Quoted(fields.name);
    if (!complete || !reader.AtEnd()) return PARSE_BAD_FIELDS;
    StoreMediaAnswer(*response, fields);
    return PARSE_OK;
}

bool DecodeCategoryMask(std::string_view group, uint32_t& mask) {
    mask = 0;
    bool anyNumber = false;
    GroupItem item;
    for (char c : group) {
        if (c >= '0' && c <= '9') {
            item.AddDigit(c - '0');
        } else if (c == '-' || c == '~') {
            if (!item.MarkRange()) {
                mask = 0;
                return false;
            }
        } else if (c == ',' || c == ')') {
            mask |= item.Bits();
            anyNumber = anyNumber || item.HasNumber();
            item = GroupItem();
        }
    }
    return anyNumber;
}

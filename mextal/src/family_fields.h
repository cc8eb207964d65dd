#pragma once
// Putting together and taking apart the lines of the command families. On a
// command line numbers are unsigned decimal, separated by commas. In an answer
// the text after the keyword is ":" and fields cut with the quote-aware comma
// splitter; a number field is plain unsigned decimal, a text travels as
// hexadecimal in quotes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "at_command.h"
#include "family_records.h"

namespace mextal {

// "=<n0>,<n1>,..." for the first `count` numbers of a family request.
constexpr size_t kMostDecimalDigits = 10;
constexpr size_t kFamilyNumbersBytes = kFamilyRequestNumbers * (kMostDecimalDigits + 1) + 1;
std::string_view FormatFamilyNumbers(const FamilyRequestFields& fields, size_t count,
                                     char (&buffer)[kFamilyNumbersBytes]);

// The fields of one family answer line.
struct FamilyFields {
    static constexpr size_t kMost = 8;
    std::string_view field[kMost];
    size_t count = 0;
};

// Cuts the text after an answer keyword (CR and LF already trimmed) into its
// fields. PARSE_NO_COLON when it does not begin with ":", PARSE_BAD_FIELDS for
// more than FamilyFields::kMost fields.
int32_t SplitFamilyAnswer(std::string_view text, FamilyFields& fields);

// Decimal digits with optional blanks around them, at most 4294967295. False
// for an empty, signed, non-numeric or larger field.
bool ParseFamilyNumber(std::string_view field, uint32_t& value);

// Hexadecimal digits of either case, two per byte, decoded into at most
// `capacity` bytes. False for an odd count, a non-hexadecimal character or too
// many bytes.
bool DecodeHexBytes(std::string_view hex, char* destination, size_t capacity, size_t& count);

// A hexadecimal field in double quotes (or, where `quotesOptional`, without
// them, though then not empty), decoded as DecodeHexBytes does.
bool ParseHexField(std::string_view field, bool quotesOptional, char* destination, size_t capacity, size_t& count);

// An error line of a family ("$FSERROR", "$QKVCALERR", "NACK", "$QKMMSERR"):
// ":" and a first field read like atoi into r0; further fields are ignored.
// Sets the response id; PARSE_NO_COLON without the colon, PARSE_BAD_FIELDS
// when the first field holds no digit.
int32_t ParseFamilyErrorLine(AtCommandId id, std::string_view text, AtResponse* response);

// An answer made of exactly `count` number fields (at most kFamilyAnswerNumbers)
// into r0, r1, ...; sets the response id. PARSE_NO_COLON without the colon,
// PARSE_BAD_FIELDS for another field count or a field that is no number.
int32_t ParseFamilyNumberAnswer(AtCommandId id, std::string_view text, size_t count, AtResponse* response);

}  // namespace mextal

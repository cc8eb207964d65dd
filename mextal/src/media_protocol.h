#pragma once
// Command lines and answer parsers of the media centre: "AT$QKMCL" (list a
// category, or ask which categories exist), "AT$QKMCR" (read an item) and
// "AT$QKMCPI" (an item's name to its id and back).
#include <cstdint>
#include <string_view>

#include "at_command.h"

// Formats the parameters of a media-centre request (everything after the
// keyword) into `parameters`; PARSE_NO_HANDLER for a form the command does not
// have. The result is at most kMediaParameterBytes long.
constexpr size_t kMediaParameterBytes = kResponseDataBytes + 64;
int32_t FormatMediaParameters(const AtRequest& request, char (&parameters)[kMediaParameterBytes],
                              std::string_view& formatted);

// Parse the text that follows the answer keyword (CR and LF already trimmed)
// into the response record and set its id. PARSE_NO_COLON when the text does
// not begin with ":" (and for "$QKMCPI" a form other than 0 or 1),
// PARSE_BAD_FIELDS for a missing, empty, over-long or surplus field.
int32_t ParseMediaListAnswer(std::string_view text, AtResponse* response);
int32_t ParseMediaReadAnswer(std::string_view text, AtResponse* response);
int32_t ParseMediaIdAnswer(std::string_view text, AtResponse* response);

// Decodes a category group such as "(0-2,5)" or "(0~2,5)" into a mask of 32
// bits: bit n stands for category n modulo 32; "," and ")" end an item; "-" and
// "~" end the number before them and join it with the next into a range
// (nothing when the second is smaller, every bit when it spans 32 or more, the
// first alone when no second follows); a mark before an item's first number is
// ignored; characters other than digits, "-", "~", "," and ")" are ignored.
// False, with a mask of 0, when the group holds no number at all or an item
// holds a second range mark ("1-2-3").
bool DecodeCategoryMask(std::string_view group, uint32_t& mask);

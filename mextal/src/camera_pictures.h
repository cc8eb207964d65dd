#pragma once
// Camera pictures: the command lines "AT$QKDSCDIR" (list the album or one of
// its folders), "AT$QKDSCRF" (read a picture) and "AT$QKDSCMV" (rename or move
// a picture, or delete it), and the parsers of their answers "$QKDSCDIR",
// "$QKDSCRF" and "$QKDSCMV".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "at_command.h"
#include "family_records.h"

// Modes of "AT$QKDSCMV", the form of its request; "$QKDSCMV" repeats them.
enum PictureMoveMode : int32_t {
    DSC_MOVE_RENAME = 0,
    DSC_MOVE_DELETE = 1,
};

// Where a picture request keeps its values: t0 the folder or picture, t1 the
// new name of a rename.
constexpr size_t kPictureParameterBytes = kFamilyText0Bytes + kFamilyText1Bytes + 32;
// Formats what follows the keyword of a picture request; PARSE_NO_HANDLER for
// another command or a mode that "AT$QKDSCMV" does not have.
int32_t FormatPictureParameters(const AtRequest& request, char (&parameters)[kPictureParameterBytes],
                                std::string_view& formatted);

// Parses the text after "$QKDSCDIR", "$QKDSCRF" (the length of what follows)
// or "$QKDSCMV" (the mode) into r0 and sets the response id. PARSE_NO_COLON
// without the colon, PARSE_BAD_FIELDS unless it is exactly one number.
int32_t ParsePictureAnswer(AtCommandId id, std::string_view text, AtResponse* response);

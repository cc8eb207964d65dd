#pragma once
// The handset file system: the command lines "AT$FSRF" (read a file), "AT$FSWF"
// (write or append), "AT$FSDIR" (list a directory), "AT$FSMISC" (delete,
// rename, make and remove directories, free space) and "AT$FSQA" (attributes),
// and the parsers of their answers "$FSRF", "$FSDIR", "$FSMISC" and "$FSQA".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "at_command.h"
#include "family_records.h"

// Sub-commands of "AT$FSMISC", the form of its request and of its answer.
enum FileMiscCommand : int32_t {
    FS_MISC_DELETE_FILE = 1,
    FS_MISC_RENAME_FILE = 2,
    FS_MISC_NEW_DIR = 3,
    FS_MISC_DELETE_DIR = 4,
    FS_MISC_RENAME_DIR = 5,
    FS_MISC_SPACE = 6,
};

// Modes of "AT$FSWF".
enum FileWriteMode : uint32_t {
    FS_WRITE_REPLACE = 0,
    FS_WRITE_APPEND = 1,
};

// Where a file-system request keeps its values: n0 the kind (the storage
// area), for "AT$FSWF" n1 the mode, n2 the byte count and n3 their CRC-32; t0
// the path, t1 the new path of a rename.
constexpr size_t kFileKindNumber = 0;
constexpr size_t kFileModeNumber = 1;
constexpr size_t kFileLengthNumber = 2;
constexpr size_t kFileCrcNumber = 3;

// Formats what follows the keyword of a file-system request; PARSE_NO_HANDLER
// for another command or a sub-command that "AT$FSMISC" does not have.
constexpr size_t kFileSystemParameterBytes = kFamilyText0Bytes + kFamilyText1Bytes + 64;
int32_t FormatFileSystemParameters(const AtRequest& request, char (&parameters)[kFileSystemParameterBytes],
                                   std::string_view& formatted);

// Parses the text after "$FSRF", "$FSDIR", "$FSMISC" or "$FSQA" (`id`) into
// r0, r1, ... and sets the response id. "$FSRF" and "$FSDIR" carry the kind and
// the length, "$FSQA" the kind, size, attributes and modification time,
// "$FSMISC" the sub-command and the kind, and for sub-command 6 also the total,
// used and free bytes. PARSE_NO_COLON without the colon and for a sub-command
// outside 1 to 6, PARSE_BAD_FIELDS for a wrong field count or a field that is
// no number.
int32_t ParseFileSystemAnswer(AtCommandId id, std::string_view text, AtResponse* response);

#pragma once
// Multimedia messages: the command lines "AT$QKMMSL" (list a folder),
// "AT$QKMMSR" (read), "AT$QKMMSW" (write), "AT$QKMMSD" (delete), "AT$QKMMSA"
// (settings), "AT$QKMGS" (send) and "AT$CHKPL" (verify the phone lock), and the
// parsers of their answers "$QKMMSW", "$QKMMSR" and "$QKMMSL".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "at_command.h"
#include "family_records.h"

// Folders 0 inbox, 1 outbox, 2 sent, 3 drafts.
constexpr uint32_t kLastMessageFolder = 3;
// Settings bits: delivery reports, read reports, automatic retrieval, and
// automatic retrieval when roaming; the others are reserved.
constexpr uint32_t kMessageSettingsBits = 0x0F;

// The two forms of "$QKMMSR", told apart by their field count.
constexpr int32_t kMessageReadForm = 0;      // "<id>,<length>"
constexpr int32_t kMessageSettingsForm = 1;  // "<attributes>"

// Formats what follows the keyword of a message request; PARSE_NO_HANDLER for
// another command. The longest result is the lock code line.
constexpr size_t kMessageParameterBytes = kFamilyText0Bytes + 4;
int32_t FormatMessageParameters(const AtRequest& request, char (&parameters)[kMessageParameterBytes],
                                std::string_view& formatted);

// Parses the text after "$QKMMSW", "$QKMMSR" or "$QKMMSL" (`id`) into r0 and r1
// and sets the response id; for "$QKMMSR" the family value is its form.
// PARSE_NO_COLON without the colon, PARSE_BAD_FIELDS for a wrong field count or
// a field that is no number.
int32_t ParseMessageAnswer(AtCommandId id, std::string_view text, AtResponse* response);

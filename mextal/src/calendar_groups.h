#pragma once
// Calendar groups: "AT$QKCGR" reads the range of group ids or one group,
// "AT$QKCGW" writes one group; the answer "$QKCGR" carries the range, or the
// group with its name and tone path in hexadecimal.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "at_command.h"
#include "family_records.h"

// Forms of "AT$QKCGR" and of its answer "$QKCGR".
constexpr int32_t kCalendarGroupForm = 0;  // "AT$QKCGR=<id>", "$QKCGR: <id>,<colour>,..."
constexpr int32_t kCalendarRangeForm = 1;  // "AT$QKCGR=?", "$QKCGR: (<first>-<last>)"
// Forms of "AT$QKCGW": the tone stays as it is, or the tone path is written too.
constexpr int32_t kCalendarWriteForm = 0;
constexpr int32_t kCalendarWriteToneForm = 1;

// A request keeps the id in n0 and the colour in n1, the name in t0 and the
// tone path in t1. An answer of the group form keeps the id in r0, the colour
// in r1, the decoded name in x0 and the decoded tone path in x1; one of the
// range form the first id in r0 and the last in r1.
constexpr size_t kCalendarIdNumber = 0;
constexpr size_t kCalendarColourNumber = 1;
constexpr size_t kCalendarLastIdNumber = 1;

// Formats what follows the keyword of a calendar-group request;
// PARSE_NO_HANDLER for another command or a form it does not have.
constexpr size_t kCalendarParameterBytes = kFamilyText0Bytes + kFamilyText1Bytes + 64;
int32_t FormatCalendarGroupParameters(const AtRequest& request, char (&parameters)[kCalendarParameterBytes],
                                      std::string_view& formatted);

// Parses the text after "$QKCGR" and sets the response id, and the form as its
// family value. PARSE_NO_COLON without the colon; PARSE_BAD_FIELDS for a wrong
// field count, a field that is no number, a range that is no "(<n>-<n>)", or a
// text that is no quoted hexadecimal, does not fit its slot or holds a zero
// byte once decoded.
int32_t ParseCalendarGroupAnswer(std::string_view text, AtResponse* response);

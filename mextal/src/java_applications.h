#pragma once
// Java applications: "AT$TCKS" checks a descriptor, installs a package or
// deletes a suite, "AT$TCKR" reads the target version or the list of installed
// suites. The answers are the go-ahead "$TCK", "ACK", the refusal "NACK", the
// version "INFO" and the announcement of the listing "LIST".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "at_command.h"
#include "family_records.h"

// Operations of "AT$TCKS" and queries of "AT$TCKR": the form of the request.
constexpr int32_t kJavaCheck = 1;
constexpr int32_t kJavaInstall = 2;
constexpr int32_t kJavaDelete = 3;
constexpr int32_t kJavaTargetVersion = 1;
constexpr int32_t kJavaList = 2;

// An upload request keeps its byte count in n0 and their CRC-32 in n1, a
// delete the suite's name in t0. "$TCK" keeps the operation in r0 and the byte
// count in r1, "INFO" the profile and configuration versions in r0 to r3,
// "LIST" the listing's length in r0.
constexpr size_t kJavaLengthNumber = 0;
constexpr size_t kJavaCrcNumber = 1;
constexpr size_t kJavaOperationNumber = 0;
constexpr size_t kJavaAnnouncedNumber = 1;

// Formats what follows the keyword of a Java request; PARSE_NO_HANDLER for
// another command or a form it does not have.
constexpr size_t kJavaParameterBytes = kFamilyText0Bytes + 64;
int32_t FormatJavaParameters(const AtRequest& request, char (&parameters)[kJavaParameterBytes],
                             std::string_view& formatted);

// Parses the text after "$TCK", "INFO" or "LIST" (`id`) into r0, r1, ... and
// sets the response id. PARSE_NO_COLON without the colon, PARSE_BAD_FIELDS for
// a wrong field count or a field that is no number.
int32_t ParseJavaAnswer(AtCommandId id, std::string_view text, AtResponse* response);

// Whether an answer is the handset's "ACK": classified as such and, without
// its CR LF framing, exactly that word. Classification also takes a bare
// "NACK" for "ACK", since "ACK" stands at its end with nothing after it.
bool IsJavaAck(const AtResponse& response, std::string_view line);

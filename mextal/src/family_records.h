#pragma once
// Where the command families (file system, camera pictures, calendar groups,
// Java applications, multimedia messages, handset and SIM) keep their values in
// the request and response records. Every family uses the same layout, so one
// builder and one set of parsers read them.
//
// Request record: word 0 the command id, word 1 the form (the sub-command, mode
// or operation a line starts with), then six numbers n0..n5 in the order of the
// line, then two zero-terminated UTF-8 texts t0 and t1.
// Response data area: eight numbers r0..r7 in the order of the line (an error
// line's number is r0), then two texts x0 and x1 decoded from hexadecimal.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "at_command.h"

constexpr size_t kFamilyRequestNumbers = 6;
constexpr size_t kFamilyText0Bytes = 1024;
constexpr size_t kFamilyText1Bytes = 1000;
constexpr size_t kFamilyAnswerNumbers = 8;
constexpr size_t kFamilyAnswerTextBytes = 1008;

struct FamilyRequestFields {
    int32_t form;
    uint32_t numbers[kFamilyRequestNumbers];
    char text0[kFamilyText0Bytes];
    char text1[kFamilyText1Bytes];
};

struct FamilyAnswerFields {
    uint32_t numbers[kFamilyAnswerNumbers];
    // x0 and x1: zero-terminated texts; the SIM's response bytes sit in x0
    // unterminated, counted by a number of their own.
    char text0[kFamilyAnswerTextBytes];
    char text1[kFamilyAnswerTextBytes];
};

static_assert(sizeof(FamilyRequestFields) == kRequestParameterBytes, "request fields fill the record");
static_assert(sizeof(FamilyAnswerFields) == kResponseDataBytes, "answer fields fill the data area");
// The flow mode of "AT+IFC" is n0 in this layout too.
static_assert(offsetof(FamilyRequestFields, numbers) == (kFlowModeWord - 1) * sizeof(int32_t), "n0 is request word 2");

inline AtRequest MakeFamilyRequest(AtCommandId id, const FamilyRequestFields& fields) {
    AtRequest request{};
    request.id = id;
    std::memcpy(request.parameters, &fields, sizeof fields);
    return request;
}

inline FamilyRequestFields FamilyRequestFieldsOf(const AtRequest& request) {
    FamilyRequestFields fields;
    std::memcpy(&fields, request.parameters, sizeof fields);
    return fields;
}

inline FamilyAnswerFields FamilyAnswerFieldsOf(const AtResponse& response) {
    FamilyAnswerFields fields;
    std::memcpy(&fields, response.data, sizeof fields);
    return fields;
}

inline void StoreFamilyAnswer(AtResponse& response, const FamilyAnswerFields& fields) {
    std::memcpy(response.data, &fields, sizeof fields);
}

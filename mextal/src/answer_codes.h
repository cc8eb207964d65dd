#pragma once
// How the operations turn the id of an answer line into their result code.
#include <cstdint>

#include "at_command.h"
#include "mextal/mextal.h"

// An answer where another was expected: "ERROR" is the handset's refusal,
// anything else is out of place.
inline int32_t MisplacedAnswerCode(int32_t id) {
    return id == AT_RSP_ERROR ? MEXTAL_HANDSET_ERROR : MEXTAL_UNEXPECTED_ANSWER;
}

// The final answer of an exchange: only "OK" succeeds.
inline int32_t FinalAnswerCode(int32_t id) { return id == AT_RSP_OK ? MEXTAL_OK : MisplacedAnswerCode(id); }

// Stands for a command family without an error line of its own. Classification
// gives this id only together with a failed result, so no answer that an
// operation inspects carries it.
constexpr AtCommandId kNoFamilyErrorLine = AT_RSP_NULL;

// An answer line of a command family other than the one a step waits for: the
// family's error line gives minus the handset's error number, "ERROR" 20109,
// anything else 20105. An error number of 0 or below would read as success or
// as another code, so it counts as a wrong answer.
inline int32_t FamilyAnswerCode(const AtResponse& response, AtCommandId errorLine) {
    if (response.id != errorLine) return MisplacedAnswerCode(response.id);
    int32_t number = HandsetErrorNumber(response);
    return number > 0 ? -number : MEXTAL_UNEXPECTED_ANSWER;
}

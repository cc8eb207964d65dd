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

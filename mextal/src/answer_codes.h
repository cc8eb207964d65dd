#pragma once
// How the operations turn the id of an answer line into their result code.
#include <cstdint>
#include <string_view>

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

// A line "+CME ERROR: <n>" (the handset's equipment error, for example 10 when
// no SIM is inserted, 11 when the SIM waits for its PIN) gives -n; any other
// line, or a number that is not 1 to 65535, gives `otherwise`. The keyword
// table holds no such keyword, so the operations that report these errors read
// the line themselves.
inline int32_t EquipmentErrorCode(std::string_view line, int32_t otherwise) {
    constexpr std::string_view kPrefix = "+CME ERROR:";
    constexpr int32_t kLargestError = 65535;
    if (line.substr(0, kPrefix.size()) != kPrefix) return otherwise;
    std::string_view number = line.substr(kPrefix.size());
    while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
    if (number.empty()) return otherwise;
    int32_t value = 0;
    for (char c : number) {
        if (c < '0' || c > '9') return otherwise;
        value = value * 10 + (c - '0');
        if (value > kLargestError) return otherwise;
    }
    return value > 0 ? -value : otherwise;
}

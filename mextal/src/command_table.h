#pragma once
// The keyword table: one row per command id with its keyword, how
// classification treats the keyword, and the functions that format its
// request line and parse its answer. Adding a command is adding a row.
#include <cstdint>
#include <string_view>

#include "at_command.h"

// What a keyword is. Classification reads every kind through the row's
// parser, except that an echo counts only when nothing follows it on the line.
enum class KeywordKind {
    Request,      // a command keyword, never an answer: PARSE_NO_HANDLER
    Answer,       // an answer, final or of a family, read by the row's parser
    Echo,         // a command echoed back, or "ACK": the id alone
    Placeholder,  // an id without a keyword of its own ("NONE", "NULL")
};

// Formats the whole command line of a request; PARSE_OK or a parser code.
using RequestFormatter = int32_t (*)(const AtRequest& request, AtCommandLine* line);
// Reads the text after the keyword into the response and sets its id.
using AnswerParser = int32_t (*)(AtCommandId id, std::string_view text, AtResponse* response);

struct AtCommandDescriptor {
    AtCommandId id;
    const char* keyword;
    KeywordKind kind;
    RequestFormatter format;  // PARSE_NO_HANDLER where no request is built
    AnswerParser parse;
};

// Row i describes id i. Classification tries the rows in this order, so a line
// holding several keywords is taken as the one listed first.
extern const AtCommandDescriptor kAtCommands[AT_COMMAND_COUNT];

// Null for an id outside the table.
inline const AtCommandDescriptor* FindCommand(int32_t id) {
    return id >= 0 && id < AT_COMMAND_COUNT ? &kAtCommands[id] : nullptr;
}

#pragma once
// Builds command lines from request records and classifies answer lines into
// response records.
#include <cstdint>
#include <string_view>

#include "at_command.h"

class CAtResponseParser {
public:
    // Formats the command line of `request`: the keyword, its parameters and one
    // CR. PARSE_NO_HANDLER for an id without a builder.
    int32_t BuildRequest(const AtRequest& request, AtCommandLine* line);
    void FreeRequest(AtCommandLine* line);

    // Classifies the first `length` bytes of `chunk` (up to a NUL byte, if any)
    // by the first keyword of the table that the chunk holds.
    int32_t ClassifyResponse(AtResponse* response, const char* chunk, uint32_t length);
    // Classifies an unprefixed information line; the expected id stored in the
    // response (AT_RSP_MODEL, AT_RSP_IMEI or AT_RSP_IMSI) selects the parser.
    int32_t ClassifyPlainResponse(AtResponse* response, const char* chunk, uint32_t length);

private:
    static int32_t ParseModelLine(std::string_view line, AtResponse* response);
    static int32_t ParseImeiLine(std::string_view line, AtResponse* response);
    static int32_t ParseImsiLine(std::string_view line, AtResponse* response);
};

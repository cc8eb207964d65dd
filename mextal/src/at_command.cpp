#include "at_command.h"

#include <cstring>

// The order matters: classification tries the keywords in this order, so a line
// that holds several keywords is taken as the one listed first.
const char* const CommandStringTable[AT_COMMAND_COUNT] = {
    "$FSERROR",   "AT$FSRF",     "$FSRF",      "AT$FSWF",     "AT$FSDIR",    "$FSDIR",      "AT$FSMISC",
    "$FSMISC",    "AT$FSQA",     "$FSQA",      "AT$QKVCARDR", "$QKVCARDR",   "AT$QKVCARDW", "$QKVCARDW",
    "AT$QKVCARDD", "$QKVCARDD",  "$QKVCARDERR", "AT+CGMM",    "NONE",        "+CMS ERROR",  "AT+CMGF",
    "AT+CMGD",    "AT+CPMS",     "+CPMS",      "AT+CMGL",     "+CMGL",       "AT+CMGR",     "+CMGR",
    "AT+CMGS",    "+CMGS",       "AT+CMSS",    "+CMSS",       "AT+CMGW",     "+CMGW",       "AT+CGSN",
    "NONE",       "$QKMGERR",    "AT$QKMGD",   "AT$QKMGX",    "AT$QKMGL",    "$QKMGL",      "AT$QKMGR",
    "$QKMGR",     "AT$QKMGW",    "$QKMGW",     "AT$MGQS",     "$MGQS",       "AT$QKMGS",    "AT$QKMMSL",
    "AT$QKMMSR",  "AT$QKMMSW",   "AT$QKMMSD",  "AT$QKMMSA",   "AT$QKMMSA?",  "$QKMMSERR",   "$QKMMSW",
    "$QKMMSR",    "$QKMMSL",     "AT$CHKPL",   "AT$QKDSCDIR", "$QKDSCDIR",   "AT$QKDSCMV",  "$QKDSCMV",
    "AT$QKDSCRF", "$QKDSCRF",    "AT$QKVCALR", "$QKVCALR",    "AT$QKVCALW",  "$QKVCALW",    "AT$QKVCALD",
    "$QKVCALD",   "$QKVCALERR",  "AT$QKCGR",   "$QKCGR",      "AT$QKCGW",    "AT$QKMCL",    "$QKMCL",
    "AT$QKMCR",   "$QKMCR",      "AT$QKMCPI",  "$QKMCPI",     "AT$TCKS",     "AT$TCKR",     "$TCK",
    "ACK",        "NACK",        "INFO",       "LIST",        "AT+SYSTEM",   "AT+CRSM",     "+CRSM",
    "ATZ",        "ATE0",        "AT",         "OK",          "ERROR",       "NULL",        "AT+IFC",
};

void StoreRequestWord(AtRequest& request, size_t word, int32_t value) {
    std::memcpy(request.parameters + (word - 1) * sizeof value, &value, sizeof value);
}

int32_t RequestWord(const AtRequest& request, size_t word) {
    int32_t value;
    std::memcpy(&value, request.parameters + (word - 1) * sizeof value, sizeof value);
    return value;
}

int32_t HandsetErrorNumber(const AtResponse& response) {
    int32_t number;
    std::memcpy(&number, response.data, sizeof number);
    return number;
}

void StoreHandsetErrorNumber(AtResponse& response, int32_t number) {
    std::memcpy(response.data, &number, sizeof number);
}

#pragma once
// Command ids, their keywords and the records that carry one AT exchange.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Index into the keyword table (command_table.h). Ids whose keyword begins
// with "AT" are requests, all others are answer keywords. A new command is a
// name here and its row at the same place in the table, which checks at
// compile time that row i describes id i.
enum AtCommandId : int32_t {
    AT_RSP_FSERROR = 0,
    AT_CMD_FSRF = 1,
    AT_RSP_FSRF = 2,
    AT_CMD_FSWF = 3,
    AT_CMD_FSDIR = 4,
    AT_RSP_FSDIR = 5,
    AT_CMD_FSMISC = 6,
    AT_RSP_FSMISC = 7,
    AT_CMD_FSQA = 8,
    AT_RSP_FSQA = 9,
    AT_CMD_QKVCARDR = 10,
    AT_RSP_QKVCARDR = 11,
    AT_CMD_QKVCARDW = 12,
    AT_RSP_QKVCARDW = 13,
    AT_CMD_QKVCARDD = 14,
    AT_RSP_QKVCARDD = 15,
    AT_RSP_QKVCARDERR = 16,
    AT_CMD_CGMM = 17,
    AT_RSP_MODEL = 18,  // the unprefixed information line after "AT+CGMM"
    AT_RSP_CMS_ERROR = 19,
    AT_CMD_CMGF = 20,
    AT_CMD_CMGD = 21,
    AT_CMD_CPMS = 22,
    AT_RSP_CPMS = 23,
    AT_CMD_CMGL = 24,
    AT_RSP_CMGL = 25,
    AT_CMD_CMGR = 26,
    AT_RSP_CMGR = 27,
    AT_CMD_CMGS = 28,
    AT_RSP_CMGS = 29,
    AT_CMD_CMSS = 30,
    AT_RSP_CMSS = 31,
    AT_CMD_CMGW = 32,
    AT_RSP_CMGW = 33,
    AT_CMD_CGSN = 34,
    AT_RSP_IMEI = 35,  // the unprefixed information line after "AT+CGSN"
    AT_RSP_QKMGERR = 36,
    AT_CMD_QKMGD = 37,
    AT_CMD_QKMGX = 38,
    AT_CMD_QKMGL = 39,
    AT_RSP_QKMGL = 40,
    AT_CMD_QKMGR = 41,
    AT_RSP_QKMGR = 42,
    AT_CMD_QKMGW = 43,
    AT_RSP_QKMGW = 44,
    AT_CMD_MGQS = 45,
    AT_RSP_MGQS = 46,
    AT_CMD_QKMGS = 47,
    AT_CMD_QKMMSL = 48,
    AT_CMD_QKMMSR = 49,
    AT_CMD_QKMMSW = 50,
    AT_CMD_QKMMSD = 51,
    AT_CMD_QKMMSA = 52,
    AT_CMD_QKMMSA_QUERY = 53,
    AT_RSP_QKMMSERR = 54,
    AT_RSP_QKMMSW = 55,
    AT_RSP_QKMMSR = 56,
    AT_RSP_QKMMSL = 57,
    AT_CMD_CHKPL = 58,
    AT_CMD_QKDSCDIR = 59,
    AT_RSP_QKDSCDIR = 60,
    AT_CMD_QKDSCMV = 61,
    AT_RSP_QKDSCMV = 62,
    AT_CMD_QKDSCRF = 63,
    AT_RSP_QKDSCRF = 64,
    AT_CMD_QKVCALR = 65,
    AT_RSP_QKVCALR = 66,
    AT_CMD_QKVCALW = 67,
    AT_RSP_QKVCALW = 68,
    AT_CMD_QKVCALD = 69,
    AT_RSP_QKVCALD = 70,
    AT_RSP_QKVCALERR = 71,
    AT_CMD_QKCGR = 72,
    AT_RSP_QKCGR = 73,
    AT_CMD_QKCGW = 74,
    AT_CMD_QKMCL = 75,
    AT_RSP_QKMCL = 76,
    AT_CMD_QKMCR = 77,
    AT_RSP_QKMCR = 78,
    AT_CMD_QKMCPI = 79,
    AT_RSP_QKMCPI = 80,
    AT_CMD_TCKS = 81,
    AT_CMD_TCKR = 82,
    AT_RSP_TCK = 83,
    AT_RSP_ACK = 84,
    AT_RSP_NACK = 85,
    AT_RSP_INFO = 86,
    AT_RSP_LIST = 87,
    AT_CMD_SYSTEM = 88,
    AT_CMD_CRSM = 89,
    AT_RSP_CRSM = 90,
    AT_CMD_ATZ = 91,
    AT_CMD_ATE0 = 92,
    AT_CMD_AT = 93,
    AT_RSP_OK = 94,
    AT_RSP_ERROR = 95,
    AT_RSP_NULL = 96,  // nothing was recognised
    AT_CMD_IFC = 97,
    AT_COMMAND_COUNT = 98,
    AT_RSP_RAW_DATA = 98,  // set by ReceiveRaw while payload bytes are taken
    // Expected ids of the plain classifier outside the keyword table: the
    // unprefixed answer of a command the table has no keyword for.
    AT_RSP_IMSI = 99,  // the IMSI line after "AT+CIMI"
};

// The keywords of the keyword table, by id.
extern const std::array<const char*, AT_COMMAND_COUNT> CommandStringTable;

inline std::string_view Keyword(AtCommandId id) { return CommandStringTable[id]; }

// Codes of the response parser and request builder.
constexpr int32_t PARSE_OK = 0;
constexpr int32_t PARSE_NO_HANDLER = 4096;    // id without builder, or keyword without parser
constexpr int32_t PARSE_UNRECOGNISED = 4097;  // no keyword found (response id 96)
constexpr int32_t PARSE_NO_COLON = 4100;      // an error keyword not followed by ":"
constexpr int32_t PARSE_BAD_FIELDS = 4102;    // a field missing, empty or one too many

constexpr size_t kRequestParameterBytes = 2052;
constexpr size_t kResponseDataBytes = 2048;

// One command to send: its id and the parameters of its family.
struct AtRequest {
    int32_t id;
    uint8_t parameters[kRequestParameterBytes];
};
static_assert(sizeof(AtRequest) == 2056, "request record is 2056 bytes");

// Request word 2 (counting the id as word 0) holds the flow mode of "AT+IFC".
constexpr size_t kFlowModeWord = 2;

void StoreRequestWord(AtRequest& request, size_t word, int32_t value);
int32_t RequestWord(const AtRequest& request, size_t word);

// One classified answer line. Before a receive the caller stores the id it
// expects in `id`; classification replaces it.
struct AtResponse {
    int32_t id;
    int32_t familyValue;
    char data[kResponseDataBytes];
};

// Offset of the second text slot of the "AT+CGSN" answer in the data area.
constexpr size_t kImeiSecondFieldOffset = 384;

// The handset error number that classification stores for "$FSERROR".
int32_t HandsetErrorNumber(const AtResponse& response);
void StoreHandsetErrorNumber(AtResponse& response, int32_t number);

// A formatted command line on the heap, made by BuildRequest.
struct AtCommandLine {
    char* bytes;
    uint32_t length;
};

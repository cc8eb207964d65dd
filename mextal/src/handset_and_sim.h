#pragma once
// Restarting the handset ("AT+SYSTEM"), and reading the record information of
// the SIM phonebook and the SIM's service provider name with restricted SIM
// access ("AT+CRSM", answered "+CRSM").
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "at_command.h"
#include "family_fields.h"

// Most response bytes a "+CRSM" line may carry.
constexpr size_t kSimResponseBytes = 255;

// "=<mode>" or "=<command>,<file id>,<p1>,<p2>,<p3>"; PARSE_NO_HANDLER for
// another command.
int32_t FormatHandsetParameters(const AtRequest& request, char (&parameters)[mextal::kFamilyNumbersBytes],
                                std::string_view& formatted);

// Parses the text after "+CRSM": r0 sw1, r1 sw2, r2 the count of response bytes,
// which sit in x0 (they may hold zero bytes). Sets the response id.
int32_t ParseSimAnswer(std::string_view text, AtResponse* response);

// An ADN record is the name followed by 14 bytes of number data: number
// length, type of number, ten bytes of digits, capability and extension ids.
constexpr uint32_t kAdnNumberBytes = 14;

// What a phonebook's record information tells: how many records, and how long
// each one is.
struct AdnRecordInfo {
    uint32_t records;
    uint32_t recordLength;
};

// Reads the answer to GET RESPONSE on the abbreviated dialling numbers file in
// either of its forms: a SIM's fixed layout or a USIM's file control parameter
// template. False for anything that is not a linear fixed elementary file, and
// for records too short to hold the number data.
bool ReadAdnRecordInfo(const uint8_t* bytes, size_t count, AdnRecordInfo& info);

// Reads the contents of EF SPN: a display-condition byte, then the name in up
// to 16 bytes, either in the SIM alphabet (one character a byte, padded with
// 0xFF) or, after a leading 0x80, in UCS-2 (big-endian, padded with 0xFFFF).
// The name comes out as UTF-8 without trailing blanks. False for an empty or
// unreadable name (another coding, a lone UCS-2 half).
bool ReadServiceProviderName(const uint8_t* bytes, size_t count, std::string& name);

// Restarting or switching off the handset, and two figures of the SIM phonebook
// (how many entries it holds, how long a name may be) read from the record
// information of its abbreviated dialling numbers file.
#include "handset_and_sim.h"

#include <algorithm>
#include <cstring>

#include "answer_codes.h"
#include "family_records.h"
#include "family_operations.h"
#include "text_fields.h"

namespace {

constexpr uint32_t kRestart = 0;
constexpr uint32_t kSwitchOff = 1;

// "AT+CRSM=192,28474,0,0,15": GET RESPONSE on EF_ADN, 15 bytes of information.
constexpr uint32_t kGetResponse = 192;
constexpr uint32_t kAdnFileId = 0x6F3A;
constexpr uint32_t kRecordInfoBytes = 15;

// "AT+CRSM=176,28486,0,0,17": READ BINARY of the whole of EF SPN.
constexpr uint32_t kReadBinary = 176;
constexpr uint32_t kSpnFileId = 0x6F46;
constexpr uint32_t kSpnFileBytes = 17;
constexpr size_t kSpnNameAt = 1;
constexpr size_t kSpnNameBytes = 16;
constexpr uint8_t kSpnPadding = 0xFF;
constexpr uint8_t kSpnUcs2Mark = 0x80;
constexpr uint8_t kSimAlphabetLast = 0x7F;
constexpr uint8_t kSimAlphabetEscape = 0x1B;
constexpr uint32_t kUcs2Padding = 0xFFFF;
constexpr uint32_t kSurrogateFirst = 0xD800;
constexpr uint32_t kSurrogateLast = 0xDFFF;

// Status words: sw1 0x90 (normal ending) and 0x91 (normal ending with extra
// information) are success; any status makes sw1 * 256 + sw2.
constexpr uint32_t kNormalEnding = 0x90;
constexpr uint32_t kNormalEndingWithInfo = 0x91;
constexpr uint32_t kStatusByteLimit = 0xFF;
constexpr int32_t kStatusWordBase = 256;

// The SIM form, counted from 0: file size, file type, structure, record length.
constexpr size_t kSimInfoShortest = 15;
constexpr size_t kSimFileSizeAt = 2;
constexpr size_t kSimFileTypeAt = 6;
constexpr size_t kSimStructureAt = 13;
constexpr size_t kSimRecordLengthAt = 14;
constexpr uint8_t kElementaryFile = 0x04;
constexpr uint8_t kLinearFixed = 0x01;

// The USIM form: a file control parameter template holding a file descriptor.
constexpr uint8_t kFcpTemplateTag = 0x62;
constexpr uint8_t kFileDescriptorTag = 0x82;
constexpr size_t kFileDescriptorBytes = 5;
constexpr uint8_t kFileStructureBits = 0x07;
constexpr uint8_t kLinearFixedStructure = 0x02;
constexpr size_t kTagAndLengthBytes = 2;

// The SIM's default alphabet, one UTF-8 text per code 0x00..0x7F; the escape
// to the extension table (0x1B) has none.
constexpr const char* kSimAlphabet[] = {
    "@",      "\u00A3", "$",      "\u00A5", "\u00E8", "\u00E9", "\u00F9", "\u00EC", "\u00F2", "\u00C7", "\n",
    "\u00D8", "\u00F8", "\r",     "\u00C5", "\u00E5", "\u0394", "_",      "\u03A6", "\u0393", "\u039B", "\u03A9",
    "\u03A0", "\u03A8", "\u03A3", "\u0398", "\u039E", "",       "\u00C6", "\u00E6", "\u00DF", "\u00C9", " ",
    "!",      "\"",     "#",      "\u00A4", "%",      "&",      "'",      "(",      ")",      "*",      "+",
    ",",      "-",      ".",      "/",      "0",      "1",      "2",      "3",      "4",      "5",      "6",
    "7",      "8",      "9",      ":",      ";",      "<",      "=",      ">",      "?",      "\u00A1", "A",
    "B",      "C",      "D",      "E",      "F",      "G",      "H",      "I",      "J",      "K",      "L",
    "M",      "N",      "O",      "P",      "Q",      "R",      "S",      "T",      "U",      "V",      "W",
    "X",      "Y",      "Z",      "\u00C4", "\u00D6", "\u00D1", "\u00DC", "\u00A7", "\u00BF", "a",      "b",
    "c",      "d",      "e",      "f",      "g",      "h",      "i",      "j",      "k",      "l",      "m",
    "n",      "o",      "p",      "q",      "r",      "s",      "t",      "u",      "v",      "w",      "x",
    "y",      "z",      "\u00E4", "\u00F6", "\u00F1", "\u00FC", "\u00E0"};
static_assert(sizeof kSimAlphabet / sizeof kSimAlphabet[0] == kSimAlphabetLast + 1, "one text per code");

void AppendUtf8(std::string& text, uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool ReadSimAlphabet(const uint8_t* bytes, size_t count, std::string& name) {
    for (size_t i = 0; i < count && bytes[i] != kSpnPadding; ++i) {
        if (bytes[i] > kSimAlphabetLast || bytes[i] == kSimAlphabetEscape) return false;
        name += kSimAlphabet[bytes[i]];
    }
    return true;
}

bool ReadUcs2(const uint8_t* bytes, size_t count, std::string& name) {
    for (size_t i = 0; i + 1 < count; i += 2) {
        const uint32_t code = (uint32_t{bytes[i]} << 8) | bytes[i + 1];
        if (code == kUcs2Padding) break;
        if (code >= kSurrogateFirst && code <= kSurrogateLast) return false;
        AppendUtf8(name, code);
    }
    return true;
}

uint32_t BigEndianWord(const uint8_t* bytes) { return (uint32_t{bytes[0]} << 8) | bytes[1]; }

bool ReadSimForm(const uint8_t* bytes, size_t count, AdnRecordInfo& info) {
    if (count < kSimInfoShortest || bytes[kSimFileTypeAt] != kElementaryFile ||
        bytes[kSimStructureAt] != kLinearFixed) {
        return false;
    }
    info.recordLength = bytes[kSimRecordLengthAt];
    if (info.recordLength < kAdnNumberBytes) return false;
    info.records = BigEndianWord(bytes + kSimFileSizeAt) / info.recordLength;
    return true;
}

bool ReadUsimForm(const uint8_t* bytes, size_t count, AdnRecordInfo& info) {
    if (count < kTagAndLengthBytes || bytes[1] > count - kTagAndLengthBytes) return false;
    const uint8_t* object = bytes + kTagAndLengthBytes;
    const uint8_t* end = object + bytes[1];
    while (end - object >= static_cast<ptrdiff_t>(kTagAndLengthBytes)) {
        uint8_t tag = object[0];
        size_t length = object[1];
        const uint8_t* value = object + kTagAndLengthBytes;
        if (static_cast<size_t>(end - value) < length) return false;
        if (tag == kFileDescriptorTag) {
            if (length != kFileDescriptorBytes || (value[0] & kFileStructureBits) != kLinearFixedStructure) {
                return false;
            }
            info.recordLength = BigEndianWord(value + 2);
            info.records = value[4];
            return info.recordLength >= kAdnNumberBytes;
        }
        object = value + length;
    }
    return false;
}

}  // namespace

int32_t FormatHandsetParameters(const AtRequest& request, char (&parameters)[mextal::kFamilyNumbersBytes],
                                std::string_view& formatted) {
    size_t count = request.id == AT_CMD_SYSTEM ? 1 : request.id == AT_CMD_CRSM ? 5 : 0;
    if (count == 0) return PARSE_NO_HANDLER;
    formatted = mextal::FormatFamilyNumbers(FamilyRequestFieldsOf(request), count, parameters);
    return PARSE_OK;
}

int32_t ParseSimAnswer(std::string_view text, AtResponse* response) {
    response->id = AT_RSP_CRSM;
    mextal::FamilyFields fields;
    int32_t result = mextal::SplitFamilyAnswer(text, fields);
    if (result != PARSE_OK) return result;
    if (fields.count != 2 && fields.count != 3) return PARSE_BAD_FIELDS;
    FamilyAnswerFields answer{};
    if (!mextal::ParseFamilyNumber(fields.field[0], answer.numbers[0]) ||
        !mextal::ParseFamilyNumber(fields.field[1], answer.numbers[1])) {
        return PARSE_BAD_FIELDS;
    }
    size_t bytes = 0;
    if (fields.count == 3 && !mextal::ParseHexField(fields.field[2], true, answer.text0, kSimResponseBytes, bytes)) {
        return PARSE_BAD_FIELDS;
    }
    answer.numbers[2] = static_cast<uint32_t>(bytes);
    StoreFamilyAnswer(*response, answer);
    return PARSE_OK;
}

bool ReadAdnRecordInfo(const uint8_t* bytes, size_t count, AdnRecordInfo& info) {
    info = AdnRecordInfo{};
    bool read =
        count > 0 && (bytes[0] == kFcpTemplateTag ? ReadUsimForm(bytes, count, info) : ReadSimForm(bytes, count, info));
    if (!read) info = AdnRecordInfo{};
    return read;
}

bool ReadServiceProviderName(const uint8_t* bytes, size_t count, std::string& name) {
    name.clear();
    if (count <= kSpnNameAt) return false;
    const uint8_t* text = bytes + kSpnNameAt;
    size_t length = std::min(count - kSpnNameAt, kSpnNameBytes);
    const bool read =
        text[0] == kSpnUcs2Mark ? ReadUcs2(text + 1, length - 1, name) : ReadSimAlphabet(text, length, name);
    const size_t end = name.find_last_not_of(' ');
    name.resize(read && end != std::string::npos ? end + 1 : 0);
    return !name.empty();
}

int32_t HandsetAndSimOps::RebootMs(const PortSettings* settings, uint32_t mode) {
    if (settings == nullptr || (mode != kRestart && mode != kSwitchOff) || !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    FamilyRequestFields fields{};
    fields.numbers[0] = mode;
    return engine_.ExchangeFinalOnly(settings, MakeFamilyRequest(AT_CMD_SYSTEM, fields), kNoFamilyErrorLine,
                                     engine_.ResponseTimeoutMs());
}

int32_t HandsetAndSimOps::GetSIMCount(const PortSettings* settings, uint32_t* count) {
    if (settings == nullptr || count == nullptr || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    *count = 0;
    AdnRecordInfo info{};
    int32_t result = ReadPhonebookInfo(settings, &info);
    if (result == MEXTAL_OK) *count = info.records;
    return result;
}

int32_t HandsetAndSimOps::GetSIMTextLength(const PortSettings* settings, uint32_t* length) {
    if (settings == nullptr || length == nullptr || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    *length = 0;
    AdnRecordInfo info{};
    int32_t result = ReadPhonebookInfo(settings, &info);
    if (result == MEXTAL_OK) *length = info.recordLength - kAdnNumberBytes;
    return result;
}

// GET RESPONSE on EF_ADN.
int32_t HandsetAndSimOps::ReadPhonebookInfo(const PortSettings* settings, AdnRecordInfo* info) {
    FamilyAnswerFields answer{};
    int32_t result = AccessSim(settings, kGetResponse, kAdnFileId, kRecordInfoBytes, answer);
    if (result != MEXTAL_OK) return result;
    const auto* bytes = reinterpret_cast<const uint8_t*>(answer.text0);
    return ReadAdnRecordInfo(bytes, answer.numbers[2], *info) ? MEXTAL_OK : MEXTAL_UNEXPECTED_ANSWER;
}

// READ BINARY of EF SPN. A SIM without the file answers its status (file not
// found: -37892); a handset without a SIM, or with a SIM waiting for its PIN,
// answers "+CME ERROR: <n>", which gives -n.
int32_t HandsetAndSimOps::QuerySimSpn(const PortSettings* settings, char* buffer, uint32_t size) {
    if (settings == nullptr || buffer == nullptr || size == 0 || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    std::memset(buffer, 0, size);
    FamilyAnswerFields answer{};
    int32_t result = AccessSim(settings, kReadBinary, kSpnFileId, kSpnFileBytes, answer);
    if (result != MEXTAL_OK) return EquipmentErrorCode(engine_.LastReceivedLine(), result);
    std::string name;
    if (!ReadServiceProviderName(reinterpret_cast<const uint8_t*>(answer.text0), answer.numbers[2], name)) {
        return MEXTAL_UNEXPECTED_ANSWER;
    }
    mextal::CopyTerminated(name, buffer, size);
    return MEXTAL_OK;
}

// The "+CRSM" line is followed by "OK" whatever its status, since the status is
// the SIM's and the command itself went through; that "OK" is taken before the
// status is reported.
int32_t HandsetAndSimOps::AccessSim(const PortSettings* settings, uint32_t command, uint32_t fileId, uint32_t bytes,
                                    FamilyAnswerFields& answer) {
    FamilyRequestFields fields{};
    fields.numbers[0] = command;
    fields.numbers[1] = fileId;
    fields.numbers[4] = bytes;
    AtResponse response{};
    int32_t result = engine_.StartFamilyExchange(settings, MakeFamilyRequest(AT_CMD_CRSM, fields), &response,
                                                 engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != AT_RSP_CRSM) return FamilyAnswerCode(response, kNoFamilyErrorLine);
    answer = FamilyAnswerFieldsOf(response);
    result = engine_.ReceiveAcceptedFinal(settings, kNoFamilyErrorLine);
    if (result != MEXTAL_OK) return result;
    uint32_t sw1 = answer.numbers[0];
    uint32_t sw2 = answer.numbers[1];
    if (sw1 > kStatusByteLimit || sw2 > kStatusByteLimit || (sw1 == 0 && sw2 == 0)) return MEXTAL_UNEXPECTED_ANSWER;
    if (sw1 != kNormalEnding && sw1 != kNormalEndingWithInfo) {
        return -(static_cast<int32_t>(sw1) * kStatusWordBase + static_cast<int32_t>(sw2));
    }
    return MEXTAL_OK;
}

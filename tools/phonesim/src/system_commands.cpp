// AT+SYSTEM (restart or switch off), AT+CRSM (restricted SIM access to the
// record information and records of the abbreviated dialling numbers file and
// to the service provider name) and AT+CIMI (the SIM's IMSI).
#include <optional>
#include <string>

#include "family_support.h"

namespace phonesim {
namespace {

constexpr uint32_t kRestart = 0;
constexpr uint32_t kSwitchOff = 1;

constexpr uint32_t kGetResponse = 192;
constexpr uint32_t kReadRecord = 178;
constexpr uint32_t kReadBinary = 176;
constexpr uint32_t kAdnFile = 0x6F3A;
constexpr uint32_t kSpnFile = 0x6F46;
constexpr size_t kSpnNameBytes = 16;
constexpr char kSpnDisplayCondition = 0x01;
constexpr unsigned char kSpnPadding = 0xFF;
constexpr uint32_t kAbsoluteRecord = 4;
constexpr uint32_t kStatusWordBase = 256;

// Equipment error numbers of a SIM that cannot be read.
constexpr int kCmeSimNotInserted = 10;
constexpr int kCmeSimPinRequired = 11;

// Status words: sw1, sw2.
constexpr uint32_t kNormalEnding = 144;
constexpr uint32_t kReferenceError = 148;
constexpr uint32_t kOutOfRange = 2;
constexpr uint32_t kFileNotFound = 4;
constexpr uint32_t kUnknownInstruction = 109;

constexpr unsigned char kEmptyRecordByte = 0xFF;
constexpr int kBitsPerByte = 8;
constexpr unsigned kByteMask = 0xFF;

std::string StatusLine(uint32_t sw1, uint32_t sw2, const std::string& response = std::string()) {
    std::string line = "+CRSM: " + std::to_string(sw1) + "," + std::to_string(sw2);
    if (!response.empty()) line += ",\"" + AnswerHex(response) + "\"";
    return line;
}

std::string SimStatusAnswer(uint32_t number) {
    return InfoLine(StatusLine(number / kStatusWordBase, number % kStatusWordBase)) + OkLine();
}

void AppendWord(std::string& bytes, unsigned value) {
    bytes += static_cast<char>((value >> kBitsPerByte) & kByteMask);
    bytes += static_cast<char>(value & kByteMask);
}

// GET RESPONSE of EF_ADN as a SIM answers it: size, file id, elementary file,
// access conditions 11 F0 22, status 01, linear fixed records.
std::string SimRecordInfo(unsigned records, unsigned length) {
    std::string info(2, '\0');
    AppendWord(info, records * length);
    AppendWord(info, kAdnFile);
    info += std::string("\x04\x00\x11\xF0\x22\x01\x02\x01", 8);
    info += static_cast<char>(length);
    return info;
}

// The same as a USIM file control parameter template: file descriptor (linear
// fixed, data coding 0x21, record length, record count), file id, file size.
std::string UsimRecordInfo(unsigned records, unsigned length) {
    std::string descriptor("\x82\x05\x42\x21", 4);
    AppendWord(descriptor, length);
    descriptor += static_cast<char>(records);
    std::string fileId("\x83\x02", 2);
    AppendWord(fileId, kAdnFile);
    std::string size("\x80\x02", 2);
    AppendWord(size, records * length);
    std::string body = descriptor + fileId + size;
    return std::string("\x62", 1) + static_cast<char>(body.size()) + body;
}

// The final line of a command that needs the SIM when the SIM cannot be read;
// empty when it can.
std::string SimUnavailableLine(const PhoneOptions& options) {
    switch (options.simState) {
        case SimState::kAbsent:
            return InfoLine("+CME ERROR: " + std::to_string(kCmeSimNotInserted));
        case SimState::kPinRequired:
            return InfoLine("+CME ERROR: " + std::to_string(kCmeSimPinRequired));
        case SimState::kReady:
            break;
    }
    return std::string();
}

// EF SPN: display condition, then the name padded to 16 bytes.
std::string SpnFile(const std::string& name) {
    std::string file(1, kSpnDisplayCondition);
    file += name;
    file.resize(1 + kSpnNameBytes, static_cast<char>(kSpnPadding));
    return file;
}

// READ BINARY of EF SPN from offset 0; the name exists only when configured.
std::string ReadSpn(const PhoneOptions& options, const Parameters& parameters) {
    if (options.spn.empty()) return StatusLine(kReferenceError, kFileNotFound);
    const std::string file = SpnFile(options.spn);
    const uint32_t offset = parameters.Number(2) * kStatusWordBase + parameters.Number(3);
    const uint32_t length = parameters.Number(4);
    if (offset >= file.size() || length == 0 || length > file.size() - offset) {
        return StatusLine(kReferenceError, kOutOfRange);
    }
    return StatusLine(kNormalEnding, 0, file.substr(offset, length));
}

Answer Imsi(CommandContext& context, std::string_view arguments) {
    if (arguments == "=?") return OkLine();
    if (!arguments.empty()) return ErrorLine();
    const std::string unavailable = SimUnavailableLine(context.options);
    if (!unavailable.empty()) return unavailable;
    return InfoLine(context.options.imsi) + OkLine();
}

Answer Restart(CommandContext&, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("n")) return ErrorLine();
    uint32_t mode = parameters->Number(0);
    if (mode != kRestart && mode != kSwitchOff) return ErrorLine();
    Answer answer(OkLine());
    answer.after = mode == kRestart ? AfterAnswer::kRestart : AfterAnswer::kSwitchOff;
    return answer;
}

Answer SimAccess(CommandContext& context, std::string_view arguments) {
    const PhoneOptions& options = context.options;
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (options.noSim || !parameters || !parameters->Fits("nnnnn")) return ErrorLine();
    const std::string unavailable = SimUnavailableLine(options);
    if (!unavailable.empty()) return unavailable;
    uint32_t command = parameters->Number(0);
    unsigned records = static_cast<unsigned>(options.simRecords);
    unsigned length = static_cast<unsigned>(options.simRecordLength);
    std::string status;
    if (command == kReadBinary && parameters->Number(1) == kSpnFile) {
        status = ReadSpn(options, *parameters);
    } else if (command != kGetResponse && command != kReadRecord) {
        status = StatusLine(kUnknownInstruction, 0);
    } else if (parameters->Number(1) != kAdnFile) {
        status = StatusLine(kReferenceError, kFileNotFound);
    } else if (command == kGetResponse) {
        bool usim = options.simFormat == SimFormat::kUsim;
        status = StatusLine(kNormalEnding, 0, usim ? UsimRecordInfo(records, length) : SimRecordInfo(records, length));
    } else if (parameters->Number(3) == kAbsoluteRecord && parameters->Number(2) >= 1 &&
               parameters->Number(2) <= records) {
        status = StatusLine(kNormalEnding, 0, std::string(length, static_cast<char>(kEmptyRecordByte)));
    } else {
        status = StatusLine(kReferenceError, kOutOfRange);
    }
    return FamilyAnswer(InfoLine(status));
}

}  // namespace

void AddSystemCommands(CommandTable& table) {
    // AT+SYSTEM has no error line of its own: --fail answers ERROR.
    AddFamilyCommand(
        table, "AT+SYSTEM", [](uint32_t) { return ErrorLine(); }, Restart);
    AddFamilyCommand(table, "AT+CRSM", SimStatusAnswer, SimAccess);
    table.Add("AT+CIMI", Imsi);
}

}  // namespace phonesim

#include "family_support.h"

#include <array>

#include "hex.h"

namespace phonesim {
namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';
constexpr char kEquals = '=';
constexpr uint64_t kMaxNumber = 4294967295ULL;
constexpr size_t kMaxNumberDigits = 10;
constexpr uint32_t kBadLength = 4294967295U;
constexpr uint32_t kPatternModulus = 251;
constexpr uint32_t kCrcPolynomial = 0xEDB88320U;
constexpr uint32_t kCrcStart = 0xFFFFFFFFU;
constexpr int kBitsPerByte = 8;
constexpr std::string_view kCrLf = "\r\n";

bool ParseDecimal(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > kMaxNumberDigits) return false;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > kMaxNumber) return false;
    value = static_cast<uint32_t>(number);
    return true;
}

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < table.size(); ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < kBitsPerByte; ++bit) value = (value & 1) ? (value >> 1) ^ kCrcPolynomial : value >> 1;
        table[i] = value;
    }
    return table;
}

template <typename Map>
const typename Map::mapped_type* Lookup(const Map& map, const std::string& keyword) {
    auto found = map.find(keyword);
    return found == map.end() ? nullptr : &found->second;
}

}  // namespace

std::optional<Parameters> Parameters::Parse(std::string_view arguments) {
    if (arguments.empty() || arguments[0] != kEquals) return std::nullopt;
    Parameters parameters;
    std::string_view rest = arguments.substr(1);
    while (true) {
        Field field;
        if (!rest.empty() && rest[0] == kQuote) {
            size_t close = rest.find(kQuote, 1);
            if (close == std::string_view::npos) return std::nullopt;
            field.quoted = true;
            field.text = std::string(rest.substr(1, close - 1));
            rest = rest.substr(close + 1);
            if (!rest.empty() && rest[0] != kComma) return std::nullopt;
        } else {
            size_t comma = rest.find(kComma);
            field.text = std::string(rest.substr(0, comma));
            if (!ParseDecimal(field.text, field.number)) return std::nullopt;
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma);
        }
        parameters.fields_.push_back(std::move(field));
        if (rest.empty()) return parameters;
        rest = rest.substr(1);  // the comma
    }
}

bool Parameters::Fits(std::string_view shape) const {
    if (shape.size() != fields_.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (fields_[i].quoted != (shape[i] == 't')) return false;
    }
    return true;
}

void AddFamilyCommand(CommandTable& table, const std::string& keyword, ErrorLineBuilder errorLine,
                      CommandHandler handler) {
    table.Add(keyword, [errorLine, handler](CommandContext& context, std::string_view arguments) {
        const PhoneOptions& options = context.options;
        if (const uint32_t* number = Lookup(options.fail, context.keyword)) return Answer(errorLine(*number));
        Answer answer = handler(context, arguments);
        const uint32_t* afterData = Lookup(options.failAfterData, context.keyword);
        if (answer.upload && afterData) {
            std::string failure = errorLine(*afterData);
            answer.upload->complete = [failure](CommandContext&, const std::string&) { return Answer(failure); };
        }
        return answer;
    });
}

Answer FamilyAnswer(std::string firstLine, std::string rest) {
    Answer answer(firstLine + rest);
    answer.stallAt = firstLine.size();
    return answer;
}

Answer RawDownload(const CommandContext& context, const std::string& announce, std::string_view content) {
    const PhoneOptions& options = context.options;
    if (options.badLength.count(context.keyword) > 0) {
        return FamilyAnswer(InfoLine(announce + std::to_string(kBadLength)), std::string());
    }
    size_t announced = content.size();
    if (options.shortRaw.count(context.keyword) > 0) {
        if (content.empty()) {
            announced = 1;
        } else {
            content.remove_suffix(1);
        }
    }
    std::string line = InfoLine(announce + std::to_string(announced));
    if (const uint32_t* cut = Lookup(options.cutRaw, context.keyword)) {
        Answer answer = FamilyAnswer(line, std::string(content.substr(0, *cut)));
        answer.after = AfterAnswer::kHangUp;
        return answer;
    }
    std::string rest;
    rest.reserve(content.size() + kCrLf.size() + OkLine().size());
    rest.append(content).append(kCrLf).append(OkLine());
    return FamilyAnswer(std::move(line), std::move(rest));
}

Answer UploadAnswer(std::string goAhead, uint32_t length, UploadCompletion complete) {
    Answer answer = FamilyAnswer(std::move(goAhead), std::string());
    answer.upload = Upload{length, std::move(complete)};
    return answer;
}

uint32_t Crc32(std::string_view bytes) {
    static const std::array<uint32_t, 256> kTable = MakeCrcTable();
    uint32_t crc = kCrcStart;
    for (unsigned char byte : bytes) crc = kTable[(crc ^ byte) & 0xFF] ^ (crc >> kBitsPerByte);
    return crc ^ kCrcStart;
}

std::string PatternContent(size_t size) {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i % kPatternModulus);
    return content;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) joined += kCrLf;
        joined += lines[i];
    }
    return joined;
}

std::string AnswerHex(std::string_view text) { return UpperAscii(ToHex(text)); }

bool ParseNumberWord(const std::string& word, uint32_t& value) { return ParseDecimal(word, value); }

ControlResult ControlError(const std::string& text) {
    ControlResult result;
    result.error = text;
    return result;
}

}  // namespace phonesim

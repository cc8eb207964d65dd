#pragma once
// Helpers shared by the command families: parameter parsing, the family error line
// and the fault modes, raw downloads and uploads, CRC-32 and generated content.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "command_table.h"

namespace phonesim {

// The parameters of a command line, "=<field>,<field>,...": each field is an
// unsigned decimal number (at most 4294967295) or a text in double quotes without
// escaping (a comma inside the quotes belongs to the text).
class Parameters {
public:
    // Nothing for a malformed list (no "=", an unterminated quote, text after a
    // closing quote, a field that is neither a number nor a quoted text).
    static std::optional<Parameters> Parse(std::string_view arguments);

    // True when the fields are exactly of the kinds of `shape`: 'n' a number,
    // 't' a text.
    bool Fits(std::string_view shape) const;
    size_t Count() const { return fields_.size(); }
    uint32_t Number(size_t index) const { return fields_[index].number; }
    const std::string& Text(size_t index) const { return fields_[index].text; }

private:
    struct Field {
        bool quoted = false;
        std::string text;
        uint32_t number = 0;
    };
    std::vector<Field> fields_;
};

// Builds a family's error line for an error number.
using ErrorLineBuilder = std::function<std::string(uint32_t number)>;

// Registers a family command with the common fault modes: --fail answers the
// family error line before the handler looks at anything; --fail-after-data lets
// an upload take its bytes and answers the error line instead of storing them.
void AddFamilyCommand(CommandTable& table, const std::string& keyword, ErrorLineBuilder errorLine,
                      CommandHandler handler);

// A family answer: its first line, which --stall keeps, and the rest.
Answer FamilyAnswer(std::string firstLine, std::string rest = OkLine());

// A raw download: the announcing line `announce` followed by the content length,
// the content, CR LF and OK. --short-raw sends one content byte less than it
// announces, --bad-length announces 4294967295 and sends nothing after the line,
// --cut-raw pulls the cable after that many content bytes; --stall keeps the
// announcing line only.
Answer RawDownload(const CommandContext& context, const std::string& announce, std::string_view content);

// A go-ahead line (kept by --stall) followed by an upload of `length` bytes.
Answer UploadAnswer(std::string goAhead, uint32_t length, UploadCompletion complete);

// The CRC-32 of zip files and Ethernet.
// Deliberately a copy of the command library's: the simulator shares no code with what it tests.
uint32_t Crc32(std::string_view bytes);
// Content of the stores' default files: byte i is i mod 251.
std::string PatternContent(size_t size);
// Lines joined by CR LF, none after the last.
std::string JoinLines(const std::vector<std::string>& lines);
// Upper-case hex of UTF-8 text, as answer lines carry texts.
std::string AnswerHex(std::string_view text);

// Control-request helpers.
bool ParseNumberWord(const std::string& word, uint32_t& value);
ControlResult ControlError(const std::string& text);

}  // namespace phonesim

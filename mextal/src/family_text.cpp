#include "family_text.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "mextal/mextal.h"
#include "text_convert.h"

namespace mextal {
namespace {

bool HoldsLineBreakOrQuote(std::string_view text) { return text.find_first_of("\"\r\n") != std::string_view::npos; }

}  // namespace

bool PrepareRequestText(const char* text, size_t most, EmptyText empty, char* field, size_t fieldSize) {
    if (text == nullptr || fieldSize == 0) return false;
    std::string_view local = text;
    if (local.empty() && empty == EmptyText::Refused) return false;
    std::string utf8;
    if (!ToHandsetText(local, utf8)) return false;
    if (utf8.size() > most || utf8.size() >= fieldSize || HoldsLineBreakOrQuote(utf8)) return false;
    std::memcpy(field, utf8.c_str(), utf8.size() + 1);
    return true;
}

int32_t HandOutListing(const uint8_t* listing, uint32_t length, char** text, uint32_t* textLength) {
    std::string_view utf8(reinterpret_cast<const char*>(listing), length);
    if (utf8.find('\0') != std::string_view::npos) return MEXTAL_UNEXPECTED_ANSWER;
    std::string local;
    if (!FromHandsetText(utf8, local)) return MEXTAL_UNEXPECTED_ANSWER;
    auto* copy = static_cast<char*>(std::malloc(local.size() + 1));
    if (copy == nullptr) return MEXTAL_BAD_ARGUMENT;
    std::memcpy(copy, local.c_str(), local.size() + 1);
    *text = copy;
    *textLength = static_cast<uint32_t>(local.size() + 1);
    return MEXTAL_OK;
}

}  // namespace mextal

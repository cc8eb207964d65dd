#include "text_convert.h"

#include <algorithm>
#include <new>

namespace mextal {
namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool Convert(std::string_view text, std::string& converted, bool (*converter)(std::string_view, std::string&)) {
    try {
        if (IsAscii(text)) {
            converted.assign(text.data(), text.size());
            return true;
        }
        return converter(text, converted);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

bool ToHandsetText(std::string_view local, std::string& utf8) { return Convert(local, utf8, LocalToUtf8); }

bool FromHandsetText(std::string_view utf8, std::string& local) { return Convert(utf8, local, Utf8ToLocal); }

}  // namespace mextal

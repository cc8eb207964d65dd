// The local code page is the ANSI code page; text goes through UTF-16 with the
// system's converters, which refuse invalid input and, with the checks below,
// characters that would only come out as a best fit or a default character.
#include <ravelin/win32.h>

#include <climits>

#include "text_convert.h"

namespace mextal {
namespace {

bool ToWide(UINT codePage, std::string_view text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    if (text.size() > static_cast<size_t>(INT_MAX)) return false;
    int size = static_cast<int>(text.size());
    int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (count <= 0) return false;
    wide.resize(static_cast<size_t>(count));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], count) == count;
}

bool FromWide(UINT codePage, const std::wstring& wide, std::string& text) {
    text.clear();
    if (wide.empty()) return true;
    if (wide.size() > static_cast<size_t>(INT_MAX)) return false;
    int size = static_cast<int>(wide.size());
    // UTF-8 holds every character and takes neither the best-fit flag nor a
    // used-default flag; it only refuses broken surrogate pairs.
    bool utf8 = codePage == CP_UTF8;
    DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    int count = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefaultOut);
    if (count <= 0 || usedDefault) return false;
    text.resize(static_cast<size_t>(count));
    int written = WideCharToMultiByte(codePage, flags, wide.data(), size, &text[0], count, nullptr, usedDefaultOut);
    return written == count && !usedDefault;
}

}  // namespace

bool LocalToUtf8(std::string_view local, std::string& utf8) {
    std::wstring wide;
    return ToWide(GetACP(), local, wide) && FromWide(CP_UTF8, wide, utf8);
}

bool Utf8ToLocal(std::string_view utf8, std::string& local) {
    std::wstring wide;
    return ToWide(CP_UTF8, utf8, wide) && FromWide(GetACP(), wide, local);
}

}  // namespace mextal

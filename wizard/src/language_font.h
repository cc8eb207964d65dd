#pragma once
#include <cstdint>

namespace ravelinwiz {

// The face and point size of the wizard's page texts in the user's language.
// Face names are UTF-16 so that they reach the system unchanged whatever the
// ANSI code page is.
struct LanguageFont {
    const char16_t* faceName;
    int pointSize;
};

// Chosen from the user's default language id (primary language and sublanguage).
LanguageFont ChooseLanguageFont(uint16_t languageId);

}  // namespace ravelinwiz

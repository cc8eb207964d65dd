#pragma once
#include <string>

#include "entry_writer.h"
#include "ras_records.h"
#include "wizard_seams.h"

namespace ravelinwiz {

// The limit of each edit of the dial-up page: what the record field it goes
// into holds before the terminating zero. The edit counts it in the units of
// its own text, which are those of the record the entry writer uses: UTF-16
// characters on the NT family (wide records), bytes of the ANSI code page on
// Windows 95, 98 and Me, whose edits keep ANSI text (ANSI records).
constexpr size_t kConnectionNameLimit = kMaxEntryName;
constexpr size_t kDialNumberLimit = kMaxPhoneNumber;
constexpr size_t kUserNameLimit = kMaxUserName;
constexpr size_t kPasswordLimit = kMaxPassword;

// The page's fields as typed.
struct DialUpFields {
    std::u16string connectionName;
    std::u16string dialNumber;
    std::u16string userName;
    std::u16string password;
};

struct DialUpOutcome {
    bool goOn = false;
    std::string failureText;  // the entry writer's, never shown
};

// The dial-up page's Next: checks the fields, replaces any entry of the same
// name and writes the new one over the detected model's modem.
DialUpOutcome RunDialUpStep(const std::string& detectedModel, const DialUpFields& fields, WizardUi& ui,
                            EntryWriter& writer);

}  // namespace ravelinwiz

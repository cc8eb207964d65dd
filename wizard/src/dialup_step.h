#pragma once
#include <string>

#include "entry_writer.h"
#include "ras_records.h"
#include "wizard_seams.h"

namespace ravelinwiz {

// How many characters each edit of the dial-up page accepts: no more than the
// record field it goes into can hold.
constexpr size_t kConnectionNameLimit = kMaxEntryName;
constexpr size_t kDialNumberLimit = kMaxPhoneNumber;
constexpr size_t kUserNameLimit = kMaxUserName;
constexpr size_t kPasswordLimit = kMaxPassword;

struct DialUpFields {
    std::string connectionName;
    std::string dialNumber;
    std::string userName;
    std::string password;
};

struct DialUpOutcome {
    bool goOn = false;
    std::string failureText;  // the entry writer's, never shown
};

// The dial-up page's Next: checks the fields, replaces any entry of the same
// name and writes the new one over the detected model's modem.
DialUpOutcome RunDialUpStep(const std::string& detectedModel, const DialUpFields& fields,
                            IWizardUi& ui, EntryWriter& writer);

}  // namespace ravelinwiz

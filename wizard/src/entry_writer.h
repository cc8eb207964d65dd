#pragma once
#include <optional>
#include <string>

#include "wizard_seams.h"

namespace ravelinwiz {

// Result codes of the remote-access calls that get their own texts.
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorBufferInvalid = 610;
constexpr uint32_t kErrorCannotOpenPhonebook = 621;
constexpr uint32_t kErrorCannotFindPhonebookEntry = 623;
constexpr uint32_t kErrorNotEnoughMemory = 8;

constexpr char kPhonebookFolder[] =
    "\\Documents and Settings\\All Users\\Application Data\\Microsoft\\Network\\Connections\\Pbk\\";
constexpr char kPhonebookFile[] = "rasphone.pbk";

struct EntryFields {
    std::string connectionName;
    std::string phoneNumber;
    std::string deviceName;
    std::string userName;
    std::string password;
};

struct WriteOutcome {
    bool ok = false;
    // What went wrong, composed for diagnosis; never shown to the user.
    std::string failureText;
};

// Writes the wizard's dial-up entry into the default phonebook.
class EntryWriter {
public:
    EntryWriter(ISystemInfo& system, IRasPhonebook& phonebook, IProfileWriter& profile);

    // Writes the entry, its dial parameters and the follow-up fix that turns
    // hardware flow control, the protocol setting and compression off.
    WriteOutcome Write(const EntryFields& fields);
    // True when the system deleted the entry (false also when there was none).
    bool Delete(const std::string& connectionName);
    // Writes the three keys into the entry's section of the phonebook file on
    // the Windows drive; false when the drive is unknown and nothing was written.
    bool PatchPhonebookFile(const std::string& connectionName, bool hardwareFlowControl,
                            bool protocol, bool compression);

private:
    std::optional<std::string> ValidateName(const std::string& name);
    std::optional<std::string> WriteProperties(const EntryFields& fields);
    std::optional<std::string> WriteDialParams(const EntryFields& fields);
    std::optional<std::string> FixModemSettings(const std::string& name);
    std::optional<std::string> PhonebookPath();

    ISystemInfo& system_;
    IRasPhonebook& phonebook_;
    IProfileWriter& profile_;
};

}  // namespace ravelinwiz

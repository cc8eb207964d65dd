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

// The texts of the entry as the user typed them (the device name comes from
// the model table).
struct EntryFields {
    std::u16string connectionName;
    std::u16string phoneNumber;
    std::u16string deviceName;
    std::u16string userName;
    std::u16string password;
};

struct WriteOutcome {
    bool ok = false;
    // What went wrong, composed for diagnosis; never shown to the user.
    std::string failureText;
};

// Writes the wizard's dial-up entry into the default phonebook. On the NT
// family it uses the wide calls and records, so every text is stored as typed;
// on Windows 95, 98 and Me the ANSI ones, with each text in the ANSI code page.
// A text that its record field cannot hold whole (or, for the ANSI calls, that
// the code page cannot express) is refused before anything is written: a cut
// or substituted name, user name or password would be stored as something the
// user never typed, and a cut name leaves the dial parameters without an entry.
class EntryWriter {
public:
    EntryWriter(SystemInfo& system, RasPhonebook& phonebook, ProfileWriter& profile);

    // Writes the entry, its dial parameters and the follow-up fix that turns
    // hardware flow control, the protocol setting and compression off.
    WriteOutcome Write(const EntryFields& fields);
    // True when the system deleted the entry (false also when there was none,
    // and when the ANSI code page cannot express the name, which then names no
    // entry the ANSI calls could have written).
    bool Delete(const std::u16string& connectionName);
    // Writes the three keys into the entry's section of the phonebook file on
    // the Windows drive; false when the drive is unknown and nothing was written.
    bool PatchPhonebookFile(const std::u16string& connectionName, bool hardwareFlowControl, bool protocol,
                            bool compression);

private:
    std::optional<std::string> WriteWide(const EntryFields& fields);
    std::optional<std::string> WriteAnsi(const EntryFields& fields, bool fixModemSettings);
    std::optional<std::string> FixModemSettings(const std::string& name);
    std::optional<std::string> PhonebookPath();

    SystemInfo& system_;
    RasPhonebook& phonebook_;
    ProfileWriter& profile_;
};

}  // namespace ravelinwiz

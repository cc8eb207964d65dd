#include "entry_writer.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <vector>

#include "modem_config_patch.h"
#include "ras_records.h"
#include "system_text.h"

namespace ravelinwiz {

namespace {

struct KnownResult {
    uint32_t code;
    const char* text;
};

// The text of a failed call: its own text for the results it knows, the
// system's text (or the code) after the prefix for any other.
std::string DescribeFailure(ISystemInfo& system, uint32_t code,
                            std::initializer_list<KnownResult> known, const char* prefix) {
    for (const KnownResult& result : known) {
        if (result.code == code) {
            return result.text;
        }
    }
    return ComposeSystemError(system, prefix, code);
}

constexpr char kInvalidConfigText[] = "Invalid RASENTRY type";
constexpr char kProfileOn[] = "1";
constexpr char kProfileOff[] = "0";

const char* ProfileFlag(bool on) { return on ? kProfileOn : kProfileOff; }

}  // namespace

EntryWriter::EntryWriter(ISystemInfo& system, IRasPhonebook& phonebook, IProfileWriter& profile)
    : system_(system), phonebook_(phonebook), profile_(profile) {}

WriteOutcome EntryWriter::Write(const EntryFields& fields) {
    const OsVersion version = system_.QueryVersion();
    if (!version.known) {
        return {false, ComposeSystemError(system_, "GetVersionEx error - ", version.error)};
    }
    std::optional<std::string> failure = ValidateName(fields.connectionName);
    if (!failure) {
        failure = WriteProperties(fields);
    }
    if (!failure) {
        failure = WriteDialParams(fields);
    }
    if (!failure && IsWindows95Or98(version)) {
        failure = FixModemSettings(fields.connectionName);
    }
    if (failure) {
        return {false, *failure};
    }
    if (!IsWindows95Or98(version)) {
        PatchPhonebookFile(fields.connectionName, false, false, false);
    }
    return {true, ""};
}

bool EntryWriter::Delete(const std::string& connectionName) {
    return phonebook_.DeleteEntry(connectionName) == 0;
}

std::optional<std::string> EntryWriter::ValidateName(const std::string& name) {
    const uint32_t result = phonebook_.ValidateEntryName(name);
    if (result == 0) {
        return std::nullopt;
    }
    return DescribeFailure(
        system_, result,
        {{kErrorInvalidName, "The format of the name for the new connection is invalid"},
         {kErrorAlreadyExists, "The name for the new connection already exists"},
         {kErrorCannotFindPhonebookEntry, "The specified Phonebook doesn't exist"}},
        "RasValidateEntryName error - ");
}

std::optional<std::string> EntryWriter::WriteProperties(const EntryFields& fields) {
    const RasEntryV1 entry = BuildGprsEntry(fields.phoneNumber, fields.deviceName);
    const uint32_t result =
        phonebook_.SetEntryProperties(fields.connectionName, entry, sizeof entry, nullptr, 0);
    if (result == 0) {
        return std::nullopt;
    }
    return DescribeFailure(
        system_, result,
        {{kErrorInvalidParameter, "The specified Ras Entry does not contain adequate parameters"},
         {kErrorBufferInvalid, "The pointer to the specified Ras Entry is invalid"},
         {kErrorCannotOpenPhonebook, "The Phonebook is corrupted or missing components"}},
        "RasSetEntryProperties error -- ");
}

std::optional<std::string> EntryWriter::WriteDialParams(const EntryFields& fields) {
    const RasDialParamsV1 params =
        BuildDialParams(fields.connectionName, fields.userName, fields.password);
    const uint32_t result = phonebook_.SetEntryDialParams(params, false);
    if (result == 0) {
        return std::nullopt;
    }
    return DescribeFailure(
        system_, result,
        {{kErrorBufferInvalid, "The pointer to the specified Ras Dail Params is invalid"},
         {kErrorCannotOpenPhonebook, "The Phonebook is corrupted or missing components"},
         {kErrorCannotFindPhonebookEntry, "The specified Phonebook Entries are not found"}},
        "RasSetEntryDialParams error - ");
}

// Windows 95/98 keep the modem settings in the entry's device configuration
// rather than in a phonebook file: read it back, clear flow control, write it.
std::optional<std::string> EntryWriter::FixModemSettings(const std::string& name) {
    RasEntryV1 entry{};
    entry.dwSize = sizeof entry;
    uint32_t entrySize = sizeof entry;
    uint32_t configSize = 0;
    uint32_t result = phonebook_.GetEntryProperties(name, entry, entrySize, nullptr, configSize);
    if (result != 0) {
        return ComposeSystemError(system_, "RasGetEntryProperties error - ", result);
    }

    std::vector<uint8_t> config;
    try {
        config.assign(configSize, 0);
    } catch (const std::bad_alloc&) {
        return "LocalAlloc failure - " + FormatErrorCode(kErrorNotEnoughMemory);
    }

    entry = RasEntryV1{};
    entry.dwSize = sizeof entry;
    entrySize = sizeof entry;
    result = phonebook_.GetEntryProperties(name, entry, entrySize, config.data(), configSize);
    if (result != 0) {
        return ComposeSystemError(system_, "RasGetEntryProperties error - ", result);
    }

    const uint32_t returned = std::min<uint32_t>(configSize, static_cast<uint32_t>(config.size()));
    if (!ClearModemFlowControl(config.data(), returned)) {
        return std::string(kInvalidConfigText);
    }

    entrySize = std::min<uint32_t>(entrySize, sizeof entry);
    result = phonebook_.SetEntryProperties(name, entry, entrySize, config.data(), returned);
    if (result != 0) {
        return ComposeSystemError(system_, "RasSetEntryProperties error - ", result);
    }
    return std::nullopt;
}

std::optional<std::string> EntryWriter::PhonebookPath() {
    const std::optional<std::string> windowsDirectory = system_.WindowsDirectory();
    if (!windowsDirectory) {
        return std::nullopt;
    }
    const size_t colon = windowsDirectory->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return windowsDirectory->substr(0, colon + 1) + kPhonebookFolder + kPhonebookFile;
}

bool EntryWriter::PatchPhonebookFile(const std::string& connectionName, bool hardwareFlowControl,
                                     bool protocol, bool compression) {
    const std::optional<std::string> path = PhonebookPath();
    if (!path) {
        return false;
    }
    profile_.WriteString(*path, connectionName, "HwFlowControl", ProfileFlag(hardwareFlowControl));
    profile_.WriteString(*path, connectionName, "Protocol", ProfileFlag(protocol));
    profile_.WriteString(*path, connectionName, "Compression", ProfileFlag(compression));
    return true;
}

}  // namespace ravelinwiz

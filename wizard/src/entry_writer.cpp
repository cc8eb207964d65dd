#include "entry_writer.h"

#include <algorithm>
#include <array>
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
std::string DescribeFailure(SystemInfo& system, uint32_t code, std::initializer_list<KnownResult> known,
                            const char* prefix) {
    for (const KnownResult& result : known) {
        if (result.code == code) {
            return result.text;
        }
    }
    return ComposeSystemError(system, prefix, code);
}

std::string ValidationFailure(SystemInfo& system, uint32_t code) {
    return DescribeFailure(system, code,
                           {{kErrorInvalidName, "The format of the name for the new connection is invalid"},
                            {kErrorAlreadyExists, "The name for the new connection already exists"},
                            {kErrorCannotFindPhonebookEntry, "The specified Phonebook doesn't exist"}},
                           "RasValidateEntryName error - ");
}

std::string PropertiesFailure(SystemInfo& system, uint32_t code) {
    return DescribeFailure(system, code,
                           {{kErrorInvalidParameter, "The specified Ras Entry does not contain adequate parameters"},
                            {kErrorBufferInvalid, "The pointer to the specified Ras Entry is invalid"},
                            {kErrorCannotOpenPhonebook, "The Phonebook is corrupted or missing components"}},
                           "RasSetEntryProperties error -- ");
}

std::string DialParamsFailure(SystemInfo& system, uint32_t code) {
    return DescribeFailure(system, code,
                           {{kErrorBufferInvalid, "The pointer to the specified Ras Dail Params is invalid"},
                            {kErrorCannotOpenPhonebook, "The Phonebook is corrupted or missing components"},
                            {kErrorCannotFindPhonebookEntry, "The specified Phonebook Entries are not found"}},
                           "RasSetEntryDialParams error - ");
}

uint32_t SetNewEntry(RasPhonebook& phonebook, const std::string& name, const RasEntryV1& entry) {
    return phonebook.SetEntryProperties(name, entry, sizeof entry, nullptr, 0);
}

uint32_t SetNewEntry(RasPhonebook& phonebook, const std::u16string& name, const RasEntryV1W& entry) {
    return phonebook.SetEntryProperties(name, entry, sizeof entry);
}

// Validates the name, then writes the entry and its dial parameters, in the
// ANSI or the wide calls as the record types say.
template <typename Char>
std::optional<std::string> WriteRecords(SystemInfo& system, RasPhonebook& phonebook,
                                        const std::basic_string<Char>& name, const BasicRasEntryV1<Char>& entry,
                                        const BasicRasDialParamsV1<Char>& params) {
    uint32_t result = phonebook.ValidateEntryName(name);
    if (result != 0) {
        return ValidationFailure(system, result);
    }
    result = SetNewEntry(phonebook, name, entry);
    if (result != 0) {
        return PropertiesFailure(system, result);
    }
    result = phonebook.SetEntryDialParams(params, false);
    if (result != 0) {
        return DialParamsFailure(system, result);
    }
    return std::nullopt;
}

// One text of the entry and how many characters (wide records) or bytes (ANSI
// records) its field holds before the terminating zero.
struct EntryText {
    const char* label;
    const std::u16string& text;
    size_t capacity;
};

constexpr size_t kEntryTextCount = 5;

std::array<EntryText, kEntryTextCount> EntryTexts(const EntryFields& fields) {
    return {{{"connection name", fields.connectionName, kMaxEntryName},
             {"dial number", fields.phoneNumber, kMaxPhoneNumber},
             {"device name", fields.deviceName, kMaxDeviceName},
             {"user name", fields.userName, kMaxUserName},
             {"password", fields.password, kMaxPassword}}};
}

std::string TooLongText(const char* label) { return std::string("The ") + label + " does not fit its phonebook field"; }

std::string NotInCodePageText(const char* label) {
    return std::string("The ") + label + " holds characters the ANSI code page lacks";
}

// A 32-bit process cannot hold one block of 2 GiB or more; a larger size is
// an allocation failure (and would not even fit a vector of the 32-bit build).
constexpr uint32_t kLargestAllocation = 0x7FFFFFFF;

bool AllocateZeroed(std::vector<uint8_t>& buffer, uint32_t size) {
    if (size > kLargestAllocation) {
        return false;
    }
    try {
        buffer.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

constexpr char kInvalidConfigText[] = "Invalid RASENTRY type";
constexpr char kProfileOn[] = "1";
constexpr char kProfileOff[] = "0";

const char* ProfileFlag(bool on) { return on ? kProfileOn : kProfileOff; }

}  // namespace

EntryWriter::EntryWriter(SystemInfo& system, RasPhonebook& phonebook, ProfileWriter& profile)
    : system_(system), phonebook_(phonebook), profile_(profile) {}

WriteOutcome EntryWriter::Write(const EntryFields& fields) {
    const OsVersion version = system_.QueryVersion();
    if (!version.known) {
        return {false, ComposeSystemError(system_, "GetVersionEx error - ", version.error)};
    }
    const std::optional<std::string> failure =
        IsNtFamily(version) ? WriteWide(fields) : WriteAnsi(fields, IsWindows95Or98(version));
    if (failure) {
        return {false, *failure};
    }
    if (!IsWindows95Or98(version)) {
        PatchPhonebookFile(fields.connectionName, false, false, false);
    }
    return {true, ""};
}

bool EntryWriter::Delete(const std::u16string& connectionName) {
    if (IsNtFamily(system_.QueryVersion())) {
        return phonebook_.DeleteEntry(connectionName) == 0;
    }
    const std::optional<std::string> ansiName = system_.ToAnsiCodePage(connectionName);
    return ansiName && phonebook_.DeleteEntry(*ansiName) == 0;
}

std::optional<std::string> EntryWriter::WriteWide(const EntryFields& fields) {
    for (const EntryText& field : EntryTexts(fields)) {
        if (field.text.size() > field.capacity) {
            return TooLongText(field.label);
        }
    }
    return WriteRecords(system_, phonebook_, fields.connectionName,
                        BuildGprsEntry(fields.phoneNumber, fields.deviceName),
                        BuildDialParams(fields.connectionName, fields.userName, fields.password));
}

std::optional<std::string> EntryWriter::WriteAnsi(const EntryFields& fields, bool fixModemSettings) {
    const std::array<EntryText, kEntryTextCount> texts = EntryTexts(fields);
    std::array<std::string, kEntryTextCount> encoded;
    for (size_t i = 0; i < kEntryTextCount; ++i) {
        std::optional<std::string> text = system_.ToAnsiCodePage(texts[i].text);
        if (!text) {
            return NotInCodePageText(texts[i].label);
        }
        if (text->size() > texts[i].capacity) {
            return TooLongText(texts[i].label);
        }
        encoded[i] = std::move(*text);
    }
    const auto& [name, phoneNumber, deviceName, userName, password] = encoded;
    std::optional<std::string> failure = WriteRecords(
        system_, phonebook_, name, BuildGprsEntry(phoneNumber, deviceName), BuildDialParams(name, userName, password));
    if (!failure && fixModemSettings) {
        failure = FixModemSettings(name);
    }
    return failure;
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
    if (!AllocateZeroed(config, configSize)) {
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

bool EntryWriter::PatchPhonebookFile(const std::u16string& connectionName, bool hardwareFlowControl, bool protocol,
                                     bool compression) {
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

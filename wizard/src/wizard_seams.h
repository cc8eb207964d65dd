#pragma once
// The narrow interfaces through which the page logic reaches the system. The
// program implements them with Win32 calls; the unit tests with doubles.
#include <cstdint>
#include <optional>
#include <string>

#include "ras_records.h"
#include "wizard_ids.h"

namespace ravelinwiz {

// The connection detector of the detection library.
class ConnectionDetector {
public:
    virtual ~ConnectionDetector() = default;
    virtual bool StartDetect() = 0;
    virtual int GetCurConnectPort() = 0;
    virtual std::string GetCurConnectModel() = 0;
    virtual std::string GetCurConnectImei() = 0;
};

// What a page's Next step does to the wizard frame around it.
class WizardUi {
public:
    virtual ~WizardUi() = default;
    virtual void SetWizardButtons(WizardButtons buttons) = 0;
    // Error box without owner: the string's text, the application name as
    // caption, error icon, OK.
    virtual void ShowErrorMessage(StringId text) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows = 1;  // Windows 95, 98, Me
constexpr uint32_t kPlatformNt = 2;

struct OsVersion {
    bool known = false;
    uint32_t error = 0;  // system error code when the version could not be read
    uint32_t platform = kPlatformWin32s;
    uint32_t major = 0;
    uint32_t minor = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual OsVersion QueryVersion() = 0;
    // The system's message text for an error code; empty when it has none.
    virtual std::string SystemErrorText(uint32_t code) = 0;
    virtual std::optional<std::string> ModuleFileName() = 0;
    virtual std::optional<std::string> WindowsDirectory() = 0;
    // The text in the system's ANSI code page; nothing when it holds a
    // character that code page lacks.
    virtual std::optional<std::string> ToAnsiCodePage(const std::u16string& text) = 0;
};

struct StartResult {
    bool started = false;
    uint32_t error = 0;                // system error code when not started
    std::optional<uint32_t> exitCode;  // set when the program ended within the wait
};

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Creates the process hidden, then waits up to waitMs for it to end.
    virtual StartResult RunHidden(const std::string& program, const std::string& commandLine, uint32_t waitMs) = 0;
    // Starts the program through the shell's "open" verb, hidden, then waits
    // up to waitMs for it to end.
    virtual StartResult ShellOpenHidden(const std::string& program, const std::string& parameters, uint32_t waitMs) = 0;
};

// The default remote-access phonebook; every call returns the system's result
// code. The calls on std::string take text in the ANSI code page and the ANSI
// records (Windows 95, 98 and Me); those on std::u16string take UTF-16 and the
// wide records (the NT family).
class RasPhonebook {
public:
    virtual ~RasPhonebook() = default;
    virtual uint32_t ValidateEntryName(const std::string& name) = 0;
    virtual uint32_t SetEntryProperties(const std::string& name, const RasEntryV1& entry, uint32_t entrySize,
                                        const uint8_t* deviceInfo, uint32_t deviceInfoSize) = 0;
    virtual uint32_t SetEntryDialParams(const RasDialParamsV1& params, bool removePassword) = 0;
    // entrySize and deviceInfoSize are in-out byte counts, as the system takes them.
    virtual uint32_t GetEntryProperties(const std::string& name, RasEntryV1& entry, uint32_t& entrySize,
                                        uint8_t* deviceInfo, uint32_t& deviceInfoSize) = 0;
    virtual uint32_t DeleteEntry(const std::string& name) = 0;

    virtual uint32_t ValidateEntryName(const std::u16string& name) = 0;
    // Without device information.
    virtual uint32_t SetEntryProperties(const std::u16string& name, const RasEntryV1W& entry, uint32_t entrySize) = 0;
    virtual uint32_t SetEntryDialParams(const RasDialParamsV1W& params, bool removePassword) = 0;
    virtual uint32_t DeleteEntry(const std::u16string& name) = 0;
};

// The system's profile-string writer. The section name is UTF-16 so that it
// names the entry exactly as the wide phonebook calls stored it.
class ProfileWriter {
public:
    virtual ~ProfileWriter() = default;
    virtual void WriteString(const std::string& file, const std::u16string& section, const std::string& key,
                             const std::string& value) = 0;
};

class Restarter {
public:
    virtual ~Restarter() = default;
    virtual void EnableShutdownPrivilege() = 0;
    virtual void RequestReboot() = 0;
};

}  // namespace ravelinwiz

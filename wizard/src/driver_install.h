#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "wizard_seams.h"

namespace ravelinwiz {

constexpr char kModemInfFile[] = "MDMTavo.inf";
constexpr char kInstaller32[] = "GMINST32.exe";
constexpr char kInstaller16[] = "GMINST16.EXE";
constexpr uint32_t kInstallerWaitMs = 600000;  // 10 minutes

// "MDMTavo.inf;<port>;<apn>;<hardware id>": the 32-bit installer's command line.
std::string BuildInstaller32CommandLine(const std::string& port, const std::string& apn, const std::string& hardwareId);
// "MDMTavo.inf;<port>;<apn>": the 16-bit installer's parameters.
std::string BuildInstaller16Parameters(const std::string& port, const std::string& apn);

// The executable's path up to, not including, its last backslash; nothing when
// the path holds no backslash.
std::optional<std::string> DirectoryOfModule(const std::string& modulePath);

struct InstallFields {
    std::string port;  // text of the selected port item; empty when none
    std::string apn;
};

struct InstallOutcome {
    bool goOn = false;
    // Why the installer could not be started (kept for diagnosis, never shown).
    std::string failureText;
};

// The installation page's Next: checks the fields, then runs the installer
// for the detected model and waits for it.
InstallOutcome RunDriverInstallation(const std::string& detectedModel, const InstallFields& fields, WizardUi& ui,
                                     SystemInfo& system, ProcessStarter& starter);

}  // namespace ravelinwiz

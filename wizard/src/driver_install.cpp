#include "driver_install.h"

#include "model_table.h"
#include "system_text.h"
#include "wizard_trace.h"

namespace ravelinwiz {

namespace {

constexpr char kFieldSeparator = ';';

InstallOutcome NotStarted(SystemInfo& system, uint32_t error) {
    InstallOutcome outcome{false, ComposeSystemError(system, "", error)};
    TraceWizard("installer not started: ", outcome.failureText);
    return outcome;
}

void TraceInstallerEnd(const StartResult& result) {
    if (result.exitCode) {
        TraceWizard("installer ended with exit code ", *result.exitCode);
    } else {
        TraceWizard("installer not seen to end within ", kInstallerWaitMs / 1000, " s; the wizard goes on");
    }
}

}  // namespace

std::string BuildInstaller16Parameters(const std::string& port, const std::string& apn) {
    return std::string(kModemInfFile) + kFieldSeparator + port + kFieldSeparator + apn;
}

std::string BuildInstaller32CommandLine(const std::string& port, const std::string& apn,
                                        const std::string& hardwareId) {
    return BuildInstaller16Parameters(port, apn) + kFieldSeparator + hardwareId;
}

std::optional<std::string> DirectoryOfModule(const std::string& modulePath) {
    const size_t slash = modulePath.rfind('\\');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    return modulePath.substr(0, slash);
}

InstallOutcome RunDriverInstallation(const std::string& detectedModel, const InstallFields& fields, WizardUi& ui,
                                     SystemInfo& system, ProcessStarter& starter) {
    ui.SetWizardButtons(kButtonsNone);
    const std::string hardwareId = LookupModemDriver(detectedModel).hardwareId;
    ui.SetWizardButtons(kButtonBack | kButtonNext);

    if (fields.port.empty()) {
        ui.ShowErrorMessage(kStrPortEmpty);
        return {};
    }
    if (fields.apn.empty()) {
        ui.ShowErrorMessage(kStrApnEmpty);
        return {};
    }

    const bool sixteenBit = IsWindows95Or98(system.QueryVersion());
    const std::optional<std::string> modulePath = system.ModuleFileName();
    const std::optional<std::string> directory = modulePath ? DirectoryOfModule(*modulePath) : std::nullopt;
    if (!directory) {
        return {};
    }

    StartResult result;
    if (sixteenBit) {
        const std::string program = *directory + "\\" + kInstaller16;
        const std::string parameters = BuildInstaller16Parameters(fields.port, fields.apn);
        TraceWizard("installer: ", program, " ", parameters);
        result = starter.ShellOpenHidden(program, parameters, kInstallerWaitMs);
    } else {
        const std::string program = *directory + "\\" + kInstaller32;
        const std::string commandLine = BuildInstaller32CommandLine(fields.port, fields.apn, hardwareId);
        TraceWizard("installer: ", program, " ", commandLine);
        result = starter.RunHidden(program, commandLine, kInstallerWaitMs);
    }
    if (!result.started) {
        return NotStarted(system, result.error);
    }
    TraceInstallerEnd(result);
    return {true, ""};
}

}  // namespace ravelinwiz

// The 32-bit modem installer. The wizard starts it with the program as the
// application name and "MDMTavo.inf;<port>;<APN>;<hardware id>" as the whole
// command line; "GMINST32.exe /remove <port>" removes the modems it made there.
#include <ravelin/win32.h>

#include <optional>

#include "installer_run_win32.h"
#include "modem_setup_win32.h"

namespace gminst {
namespace {

InstallResult ResultOf(const SetupOutcome& outcome) {
    return outcome.succeeded ? InstallResult::kInstalled : InstallResult::kSetupFailed;
}

RunReport Remove(std::wstring_view portText) {
    const std::vector<std::wstring> fields{std::wstring(portText)};
    const std::optional<unsigned> port = ParseComPort(portText);
    if (!port) return RunReport{InstallResult::kBadPort, L"nothing changed", fields};
    const SetupOutcome outcome = RemoveModems(ComPortName(*port));
    return RunReport{ResultOf(outcome), outcome.action, fields};
}

RunReport Install(std::wstring_view fieldText) {
    RunReport report = CheckedFields(fieldText, kInstaller32);
    if (report.result != InstallResult::kInstalled) return report;
    const ModemRequest request{InfBesideProgram(), ComPortName(*ParseComPort(report.fields[kPortField])),
                               report.fields[kHardwareIdField], report.fields[kApnField]};
    const SetupOutcome outcome = InstallModem(request);
    report.result = ResultOf(outcome);
    report.action = outcome.action;
    return report;
}

int Run(std::wstring_view commandLine) {
    const std::wstring_view request = RequestText(commandLine, kInstaller32.programName);
    if (const std::optional<std::wstring_view> portText = RemovalPortText(request))
        return Finish(kInstaller32, Remove(*portText), request);
    return Finish(kInstaller32, Install(request), request);
}

}  // namespace
}  // namespace gminst

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return gminst::Run(GetCommandLineW()); }

// Stand-in for the modem installer of Windows 95 and 98, which no program of the
// suite can run on (see docs/installers.md): it checks its fields and that the INF
// is beside it, installs nothing and logs the run. The wizard opens it through the
// shell with the parameters "MDMTavo.inf;<port>;<APN>", so the field text follows
// the program name on the command line.
#include <ravelin/win32.h>

#include "installer_run_win32.h"

namespace gminst {
namespace {

int Run(std::wstring_view commandLine) {
    const std::wstring_view fieldText = ArgumentsAfterProgramName(commandLine);
    RunReport report = CheckedFields(fieldText, kInstaller16);
    if (report.result == InstallResult::kInstalled) report.action = L"stand-in: fields checked, nothing installed";
    return Finish(kInstaller16, report, fieldText);
}

}  // namespace
}  // namespace gminst

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return gminst::Run(GetCommandLineW()); }

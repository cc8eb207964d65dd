// Stand-in for the modem installer of Windows 95 and 98. The wizard opens it
// through the shell with the parameters "MDMTavo.inf;<port>;<APN>", so the
// field text follows the program name on the command line.
#include <windows.h>

#include "installer_run_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return standin::RunInstaller(standin::kInstaller16, standin::ArgumentsAfterProgramName(GetCommandLineW()));
}

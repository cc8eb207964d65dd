// Stand-in for the 32-bit modem installer. The wizard starts it with the
// program as the application name and the field text
// "MDMTavo.inf;<port>;<APN>;<hardware id>" as the whole command line.
#include <windows.h>

#include "installer_run_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return standin::RunInstaller(standin::kInstaller32, GetCommandLineW());
}

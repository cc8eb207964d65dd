#include <ravelin/win32.h>
#include <commctrl.h>

#include "ravelin_app_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    CRavelinWizApp app;
    app.Run();
    return 0;
}

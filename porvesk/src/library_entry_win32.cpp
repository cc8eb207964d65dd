// Library load and unload. A running detector thread keeps the library loaded
// (see KeepModuleLoaded), so an unload before process exit finds no thread to
// wait for; at process exit (reserved != null) the thread has been terminated
// already and the detector is left as it is.
#include <windows.h>

#include "library_detector.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            return porvesk::CreateLibraryDetector() ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            if (reserved == nullptr) {
                porvesk::DestroyLibraryDetector();
            } else {
                porvesk::SaveLastPortAtProcessExit();
            }
            return TRUE;
        default:
            return TRUE;
    }
}

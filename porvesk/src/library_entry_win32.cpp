// Library load and unload. A running detector thread keeps the library loaded
// (see KeepModuleLoaded), so an unload before process exit finds no thread to
// wait for; at process exit (reserved != null) the thread has been terminated
// already and the detector and the cache are left as they are (the cache's
// buffers go with the process).
#include <ravelin/win32.h>

#include "library_objects.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            return porvesk::CreateLibraryObjects() ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            if (reserved == nullptr) {
                porvesk::DestroyLibraryObjects();
            } else {
                porvesk::SaveLastPortAtProcessExit();
            }
            return TRUE;
        default:
            return TRUE;
    }
}

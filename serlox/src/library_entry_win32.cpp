// The port table is built when the library is attached to the process. It is
// destroyed only when the library is unloaded while the process goes on; at
// process exit the other threads are already gone and nothing may wait inside
// the loader lock, so the table is left to the system. Every reader thread
// holds a reference to the library, so an unload finds no reader running.
#include <ravelin/win32.h>

#include "serlox_app.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            return serlox::CreatePortTable() ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            if (reserved == nullptr) serlox::DestroyPortTable();
            return TRUE;
        default:
            return TRUE;
    }
}

#pragma once
// The library's detector and media-centre data cache, made when the library is
// loaded: the cache after the detector, whose connection it uses, and destroyed
// before it.

namespace porvesk {

// False when either object could not be made (the library then fails to load);
// nothing is left behind then.
bool CreateLibraryObjects();
// Stops the detector thread and waits for it, then destroys the cache and the
// detector.
void DestroyLibraryObjects();
// At process exit the detector thread is already gone without a trace and
// nothing may be waited for: only the last port is saved.
void SaveLastPortAtProcessExit();

}  // namespace porvesk

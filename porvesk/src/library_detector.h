#pragma once
// The library's one detector, made when the library is loaded.

namespace porvesk {

// False when the detector could not be made (the library then fails to load).
bool CreateLibraryDetector();
// Stops the detector thread, waits for it and destroys the detector.
void DestroyLibraryDetector();
// At process exit the detector thread is already gone without a trace and
// nothing may be waited for: only the last port is saved.
void SaveLastPortAtProcessExit();

}  // namespace porvesk

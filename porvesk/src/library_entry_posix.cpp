// Library load and unload: the detector lives as long as the shared object. Its
// destructor stops the detector thread and waits for it, also at process exit.
#include <cstdlib>

#include "library_detector.h"

namespace {

struct LibraryLifetime {
    LibraryLifetime() {
        if (!porvesk::CreateLibraryDetector()) std::abort();
    }
    ~LibraryLifetime() { porvesk::DestroyLibraryDetector(); }
};

LibraryLifetime g_lifetime;

}  // namespace

// Library load and unload: the detector and the cache live as long as the shared
// object. The detector's destructor stops its thread and waits for it, also at
// process exit.
#include <cstdlib>

#include "library_objects.h"

namespace {

struct LibraryLifetime {
    LibraryLifetime() {
        if (!porvesk::CreateLibraryObjects()) std::abort();
    }
    ~LibraryLifetime() { porvesk::DestroyLibraryObjects(); }
};

LibraryLifetime g_lifetime;

}  // namespace

// Library load and unload: the detector and the cache live as long as the shared
// object. The unload stops the detector thread and waits for it before either is
// destroyed, also at process exit.
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

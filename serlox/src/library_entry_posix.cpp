// The port table lives from the library's load to its unload (or the end of
// the process); unloading closes every port and waits for its reader.
#include "serlox_app.h"

namespace {

struct PortTableLifetime {
    PortTableLifetime() { serlox::CreatePortTable(); }
    ~PortTableLifetime() { serlox::DestroyPortTable(); }
};

PortTableLifetime g_lifetime;

}  // namespace

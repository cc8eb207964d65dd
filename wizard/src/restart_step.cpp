#include "restart_step.h"

#include "system_text.h"

namespace ravelinwiz {

void RunFinish(RestartChoice choice, SystemInfo& system, Restarter& restarter) {
    const OsVersion version = system.QueryVersion();
    if (choice != RestartChoice::kNow) {
        return;
    }
    if (IsNtFamily(version)) {
        restarter.EnableShutdownPrivilege();
    }
    restarter.RequestReboot();
}

}  // namespace ravelinwiz

#pragma once
#include "wizard_seams.h"

namespace ravelinwiz {

enum class RestartChoice { kNow, kLater };

// The finish page's Finish: restarts Windows when the user asked for it, with
// the shutdown privilege enabled first on the NT family. Refusals go unreported:
// the wizard closes either way.
void RunFinish(RestartChoice choice, SystemInfo& system, Restarter& restarter);

}  // namespace ravelinwiz

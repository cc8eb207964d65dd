#pragma once
// Trace lines of the wizard's steps.
#include "ravelin/trace.h"

namespace ravelinwiz {

template <typename... Parts>
void TraceWizard(const Parts&... parts) noexcept {
    ravelin::trace::Event("RavelinWiz", parts...);
}

}  // namespace ravelinwiz

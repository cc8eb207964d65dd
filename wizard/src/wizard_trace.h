#pragma once
// Trace lines of the wizard's steps.
#include "ravelin/trace.h"

namespace ravelinwiz {

inline constexpr ravelin::trace::Component TraceWizard{"RavelinWiz"};

}  // namespace ravelinwiz

#pragma once
// Trace lines of the connection detector.
#include "ravelin/trace.h"

namespace porvesk {

inline constexpr ravelin::trace::Component TraceDetector{"Porvesk"};

}  // namespace porvesk

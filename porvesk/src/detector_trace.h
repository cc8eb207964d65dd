#pragma once
// Trace lines of the connection detector.
#include "ravelin/trace.h"

namespace porvesk {

template <typename... Parts>
void TraceDetector(const Parts&... parts) noexcept {
    ravelin::trace::Event("Porvesk", parts...);
}

}  // namespace porvesk

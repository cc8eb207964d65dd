#pragma once
// Trace lines of the handset library: "COM<n> <operation>: ok, <label> <value>..."
// or "COM<n> <operation>: result <code>". Never throws: the exports hand no
// exception to their callers.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "ravelin/trace.h"
#include "serlox/serlox.h"

namespace mextal {

// `details` (label and NUL-terminated value) are read only for a success.
inline void TraceOperation(const PortSettings* settings, const char* operation, int32_t result,
                           std::initializer_list<std::pair<const char*, const char*>> details = {}) noexcept {
    if (!ravelin::trace::On()) return;
    try {
        std::string text = "COM" + std::to_string(settings ? settings->port : 0) + " " + operation + ": ";
        if (result != 0) {
            text += "result " + std::to_string(result);
        } else {
            text += "ok";
            for (const auto& [label, value] : details) text += std::string(", ") + label + " " + value;
        }
        ravelin::trace::Write("Mextal", text);
    } catch (...) {
        // Out of memory: the line is dropped.
    }
}

}  // namespace mextal

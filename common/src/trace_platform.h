#pragma once
// What the trace needs from the system; one implementation per platform
// (trace_posix.cpp, trace_win32.cpp).
#include <cstdint>
#include <string>
#include <string_view>

#include "trace_line.h"

namespace ravelin::trace::platform {

// Local time and the calling process and thread.
Stamp Now();

// Finds the trace file the user asked for and keeps its path for Append;
// false when none is set. Called before the first Append.
bool LoadConfiguredPath();

// Appends `line` to the configured file in one write, so that lines from other
// threads and processes never interleave inside it. False when the file could
// not be opened or written.
bool Append(std::string_view line);

// Saves the calling thread's last system error and puts it back when destroyed.
class PreservedError {
public:
    PreservedError();
    ~PreservedError();
    PreservedError(const PreservedError&) = delete;
    PreservedError& operator=(const PreservedError&) = delete;

private:
    uint32_t saved_;
};

uint32_t LastErrorCode();
std::string ErrorText(uint32_t code);

}  // namespace ravelin::trace::platform

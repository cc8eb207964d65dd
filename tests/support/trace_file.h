#pragma once
// Turns the trace on into a fresh file of the test's own (RAVELIN_TRACE) for
// the life of the object; afterwards the variable is unset and the file removed.
// Each binary decides once whether to trace: a test sets this up before the
// code under test first traces, or makes that code decide again.
#include <filesystem>
#include <string>

namespace ravelin::test {

class TraceFile {
public:
    TraceFile();
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Everything written to the file so far.
    std::string Text() const;

private:
    std::filesystem::path path_;
};

}  // namespace ravelin::test

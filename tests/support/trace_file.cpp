#include "trace_file.h"

#include <fstream>
#include <iterator>

#if defined(_WIN32)
#include <ravelin/win32.h>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace ravelin::test {

namespace {

#if defined(_WIN32)
unsigned long ProcessId() { return GetCurrentProcessId(); }
void SetTraceVariable(const std::filesystem::path& path) {
    SetEnvironmentVariableW(L"RAVELIN_TRACE", path.empty() ? nullptr : path.wstring().c_str());
}
#else
unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }
void SetTraceVariable(const std::filesystem::path& path) {
    if (path.empty()) {
        unsetenv("RAVELIN_TRACE");
    } else {
        setenv("RAVELIN_TRACE", path.c_str(), 1);
    }
}
#endif

}  // namespace

TraceFile::TraceFile()
    : path_(std::filesystem::temp_directory_path() / ("ravelin-trace-" + std::to_string(ProcessId()) + ".log")) {
    std::filesystem::remove(path_);
    SetTraceVariable(path_);
}

TraceFile::~TraceFile() {
    SetTraceVariable({});
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

std::string TraceFile::Text() const {
    std::ifstream file(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace ravelin::test

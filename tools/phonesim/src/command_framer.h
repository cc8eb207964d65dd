#pragma once
// Cuts the bytes a phone receives into command lines: CR ends a line, LF is
// dropped wherever it stands (PCs often send CR LF), empty lines are skipped.
#include <cstddef>
#include <optional>
#include <string>

namespace phonesim {

// A phone's command buffer is finite; a longer line keeps its first bytes and is
// reported as overlong so that the phone can refuse it.
constexpr size_t kMaxCommandLine = 4096;

struct CommandLine {
    std::string text;
    bool overlong = false;
};

class CommandFramer {
public:
    // A completed, non-empty line when `byte` is its CR.
    std::optional<CommandLine> Feed(char byte);
    void Reset();

private:
    std::string line_;
    bool overlong_ = false;
};

}  // namespace phonesim

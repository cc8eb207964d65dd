// The trace: how a line looks, when the trace is on, and that lines written at
// once by several threads and processes arrive whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ravelin/trace.h"
#include "support/temp_folder.h"
#include "trace_line.h"
#include "ravelin/trace_testing.h"

namespace ravelin::trace {
namespace {

using ravelin::test::TempFolder;

TEST(TraceLine, HeadThenComponentThenEscapedText) {
    const Stamp stamp{2026, 12, 9, 7, 5, 3, 42, 4120, 4188};
    const struct {
        std::string text;
        std::string expected;
    } rows[] = {
        {"OK\r\n\t", "OK\\r\\n\\t"},
        {std::string("nul\0esc\x1b del\x7f", 13), "nul\\x00esc\\x1B del\\x7F"},
        {"C:\\Program Files\\Ravelin", "C:\\Program Files\\Ravelin"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         "Gr\xC3\xBC\xC3\x9F"
         "e"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatLine(stamp, "Serlox", row.text),
                  "2026-12-09 07:05:03.042 [pid 4120 tid 4188] Serlox " + row.expected + "\n")
            << row.expected;
    }
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The decision, made afresh for each row: a configured path that can be opened
// turns the trace on; none, an empty one or one in a missing folder leaves it
// off, touches no file, and keeps the caller's errno.
TEST(TraceDecision, OnOnlyForAFileThatCanBeOpened) {
    TempFolder folder("trace");
    const struct {
        const char* variable;  // nullptr: unset
        std::string file;      // what must (not) appear
        bool on;
    } rows[] = {
        {nullptr, "", false},
        {"", "", false},
        {"missing/trace.log", folder.Entry("missing/trace.log"), false},
        {"trace.log", folder.Entry("trace.log"), true},
    };
    for (const auto& row : rows) {
        const std::string path = row.variable ? folder.Entry(row.variable) : "";
        if (row.variable == nullptr) {
            unsetenv("RAVELIN_TRACE");
        } else {
            setenv("RAVELIN_TRACE", row.variable[0] ? path.c_str() : "", 1);
        }
        ForgetDecisionForTesting();
        errno = EAGAIN;
        Write("Test", "decision");
        EXPECT_EQ(errno, EAGAIN);
        EXPECT_EQ(On(), row.on) << path;
        if (!row.file.empty()) {
            EXPECT_EQ(Exists(row.file), row.on) << row.file;
        }
    }
    unsetenv("RAVELIN_TRACE");
    ForgetDecisionForTesting();
}

// Long lines from four threads in this process and two child processes at
// once: every line arrives whole and exactly once.
TEST(TraceWriters, ThreadsAndProcessesNeverInterleaveInsideALine) {
    TempFolder folder("trace");
    const std::string path = folder.Entry("trace.log");
    setenv("RAVELIN_TRACE", path.c_str(), 1);
    ForgetDecisionForTesting();
    constexpr int kLines = 200;
    const std::string padding(400, 'x');
    auto writeLines = [&](const std::string& writer) {
        for (int n = 0; n < kLines; ++n) Write("Test", writer + " " + std::to_string(n) + " " + padding);
    };

    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            writeLines("process" + std::to_string(child));
            _exit(0);
        }
        children.push_back(pid);
    }
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) threads.emplace_back(writeLines, "thread" + std::to_string(thread));
    for (std::thread& thread : threads) thread.join();
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    unsetenv("RAVELIN_TRACE");
    ForgetDecisionForTesting();

    const std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[pid \d+ tid \d+\] Test (\w+ \d+) x{400})");
    std::ifstream file(path);
    std::set<std::string> seen;
    std::string line;
    int lines = 0;
    while (std::getline(file, line)) {
        ++lines;
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, shape)) << line.substr(0, 120);
        EXPECT_TRUE(seen.insert(match[1]).second) << match[1];
    }
    EXPECT_EQ(lines, 6 * kLines);
}

}  // namespace
}  // namespace ravelin::trace

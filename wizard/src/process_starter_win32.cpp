#include "system_win32.h"

#include <shellapi.h>

#include <vector>

namespace ravelinwiz {

using ravelin::win32::UniqueHandle;

namespace {

// Waits for the process and reads its exit code once it has ended.
StartResult WaitForEnd(HANDLE process, uint32_t waitMs) {
    StartResult result{true, 0, std::nullopt};
    DWORD exitCode = 0;
    if (WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &exitCode)) {
        result.exitCode = exitCode;
    }
    return result;
}

}  // namespace

StartResult Win32ProcessStarter::RunHidden(const std::string& program, const std::string& commandLine,
                                           uint32_t waitMs) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    // CreateProcess may write into the command line, so it gets its own copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return {false, GetLastError(), std::nullopt};
    }
    const UniqueHandle running(process.hProcess);
    UniqueHandle thread(process.hThread);
    thread.reset();  // only the process is waited for
    return WaitForEnd(running.get(), waitMs);
}

StartResult Win32ProcessStarter::ShellOpenHidden(const std::string& program, const std::string& parameters,
                                                 uint32_t waitMs) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info)) {
        return {false, GetLastError(), std::nullopt};
    }
    const UniqueHandle running(info.hProcess);
    if (!running) {
        return {true, 0, std::nullopt};
    }
    return WaitForEnd(running.get(), waitMs);
}

}  // namespace ravelinwiz

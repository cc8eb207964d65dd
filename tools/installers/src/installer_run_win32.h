#pragma once
// What both installer programs share around their work: reading the fields, the
// INF beside the program, and the one log line per run in %TEMP%\<program>.log.
#include <string>
#include <string_view>
#include <vector>

#include "installer_fields.h"

namespace gminst {

struct RunReport {
    InstallResult result;
    std::wstring action;  // what the run did, for the log
    std::vector<std::wstring> fields;
};

// Full path of MDMTavo.inf in the program's own folder.
std::wstring InfBesideProgram();

// Splits and checks the field text and looks for the INF beside the program.
// The result is kInstalled when the run may go on; the action is then empty.
RunReport CheckedFields(std::wstring_view fieldText, const InstallerKind& kind);

// Appends the run's line to %TEMP%\<program>.log and returns the exit code. A run
// that did its work but cannot log it says so in its exit code; a failed run
// keeps its own code.
int Finish(const InstallerKind& kind, const RunReport& report, std::wstring_view requestText);

}  // namespace gminst

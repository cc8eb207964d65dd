#pragma once
#include <string_view>

#include "installer_fields.h"

namespace standin {

// Checks the field text, looks for the INF file next to the program, appends
// one line to the installer log and returns the exit code of the run.
// The log is the file named by RAVELIN_INSTALLER_LOG, or installer.log next
// to the program when that variable is unset or empty.
int RunInstaller(const InstallerKind& kind, std::wstring_view fieldText);

}  // namespace standin

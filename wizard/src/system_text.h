#pragma once
#include <cstdint>
#include <string>

#include "wizard_seams.h"

namespace ravelinwiz {

// prefix + the system's text for the error, or prefix + "0x%8.8lX" when the
// system has no text for it.
std::string ComposeSystemError(SystemInfo& system, const std::string& prefix, uint32_t code);

std::string FormatErrorCode(uint32_t code);

// Windows 95 and 98: the Windows platform with minor version 0 or 10.
bool IsWindows95Or98(const OsVersion& version);
bool IsNtFamily(const OsVersion& version);

}  // namespace ravelinwiz

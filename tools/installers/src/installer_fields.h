#pragma once
// Reading the command line of the modem installer stand-ins: the
// semicolon-separated fields "MDMTavo.inf;<port>;<APN>[;<hardware id>]",
// their checks, and the line each run appends to the installer log.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Outcome of one run. The value is the program's exit code.
enum class InstallResult : int {
    kInstalled = 0,
    kWrongFieldCount = 1,
    kUnknownInf = 2,
    kBadPort = 3,
    kEmptyApn = 4,
    kEmptyHardwareId = 5,
    kInfMissing = 6,
    kLogNotWritten = 7,
};

// The two installers differ in name and in the number of fields they take.
struct InstallerKind {
    std::wstring_view programName;
    size_t fieldCount;
};
inline constexpr InstallerKind kInstaller32{L"GMINST32", 4};
inline constexpr InstallerKind kInstaller16{L"GMINST16", 3};

inline constexpr std::wstring_view kInfName = L"MDMTavo.inf";
inline constexpr size_t kInfField = 0;
inline constexpr size_t kPortField = 1;
inline constexpr size_t kApnField = 2;
inline constexpr size_t kHardwareIdField = 3;

// Cuts the text at every ';'. Empty fields are kept, so "a;;b" gives three
// fields and an empty text gives one empty field.
std::vector<std::wstring> SplitFields(std::wstring_view text);

// "COM1" to "COM255", "COM" in any case, no sign, no leading zero.
bool IsComPort(std::wstring_view text);

// Checks the fields in order: count, INF name (case-insensitive, as file
// names are), port, APN, hardware id. The first failing check is the result.
InstallResult CheckFields(const std::vector<std::wstring>& fields, const InstallerKind& kind);

// What follows the program name on a command line: the program name ends at
// the closing quote when it starts with one, otherwise at the first blank;
// blanks after it are skipped. The rest is returned unchanged.
std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine);

std::wstring_view ResultName(InstallResult result);

// One log line without its line end: program name, result name, the raw
// field text, the field count and every field, separated by tabs. Control
// characters inside the texts are written as \xNN so that a line stays one line.
std::wstring FormatLogLine(const InstallerKind& kind, InstallResult result, std::wstring_view raw,
                           const std::vector<std::wstring>& fields);

}  // namespace standin

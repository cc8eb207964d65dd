#pragma once
// What the modem installers make of their command line: the semicolon-separated
// fields "MDMTavo.inf;<port>;<APN>[;<hardware id>]" or "/remove <port>", the
// checks on them, the modem's extra initialisation built from the APN, the exit
// codes, and the line each run appends to its log. Portable: no system calls.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gminst {

// Outcome of one run. The value is the program's exit code.
enum class InstallResult : int {
    kInstalled = 0,        // modem installed, or the requested removal done
    kWrongFieldCount = 1,  // not exactly the installer's number of fields
    kUnknownInf = 2,       // field 1 is not MDMTavo.inf
    kBadPort = 3,          // not COM1 to COM255
    kBadApn = 4,           // empty, too long, or a character an APN never has
    kBadHardwareId = 5,    // empty, too long, or a character no device id has
    kInfMissing = 6,       // MDMTavo.inf is not beside the program
    kSetupFailed = 7,      // the system's device installer failed; nothing was left changed
    kLogNotWritten = 8,    // the run succeeded but its log line could not be written
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

inline constexpr unsigned kHighestComPort = 255;
// The longest access point name a network accepts, in characters.
inline constexpr size_t kMaxApnLength = 100;
// A device id and its terminating zero fit in the system's 200-character limit.
inline constexpr size_t kMaxHardwareIdLength = 199;

// Cuts the text at every ';'. Empty fields are kept, so "a;;b" gives three
// fields and an empty text gives one empty field.
std::vector<std::wstring> SplitFields(std::wstring_view text);

// Device ids, port names and file names compare without regard to ASCII case.
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// "COM1" to "COM255", "COM" in any case, no sign, no leading zero: the port number.
std::optional<unsigned> ParseComPort(std::wstring_view text);

// The port's name as the system writes it: "COM5".
std::wstring ComPortName(unsigned port);

// Letters, digits, '.' and '-' (ASCII only), 1 to kMaxApnLength characters. A
// quote, comma, semicolon or control character would change the initialisation
// command the APN is put into, so none of them passes.
bool IsValidApn(std::wstring_view apn);

// Printable ASCII without blanks and commas, 1 to kMaxHardwareIdLength characters.
bool IsValidHardwareId(std::wstring_view id);

// Checks the fields in order: count, INF name (case-insensitive, as file names
// are), port, APN, hardware id. The first failing check is the result.
InstallResult CheckFields(const std::vector<std::wstring>& fields, const InstallerKind& kind);

// The modem's extra initialisation that selects the APN for the first PDP
// context: AT+CGDCONT=1,"IP","<apn>". Only for an APN that IsValidApn accepts.
std::wstring ApnInitCommand(std::wstring_view apn);

// What follows the program name on a command line: the program name ends at
// the closing quote when it starts with one, otherwise at the first blank;
// blanks after it are skipped. The rest is returned unchanged.
std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine);

// The wizard passes the field text as the whole command line; a shell puts the
// program's own path first. Drops that path when its file name is the program's
// (with or without ".exe", any case); otherwise returns the line unchanged.
std::wstring_view RequestText(std::wstring_view commandLine, std::wstring_view programName);

// "/remove <port>" (the switch in any case, blanks between): the port text,
// without trailing blanks; nothing when the text is not a removal request.
std::optional<std::wstring_view> RemovalPortText(std::wstring_view requestText);

std::wstring_view ResultName(InstallResult result);

// One log line without its line end, tab-separated: program name, result name,
// exit code, what the run did, the request text as received, the field count
// and every field (a removal's only field is its port text). Control characters
// inside the texts are written as \xNN so that a run stays one line.
std::wstring FormatLogLine(const InstallerKind& kind, InstallResult result, std::wstring_view action,
                           std::wstring_view requestText, const std::vector<std::wstring>& fields);

}  // namespace gminst

#include "installer_fields.h"

#include <cwchar>

namespace gminst {
namespace {

constexpr std::wstring_view kComPrefix = L"COM";
constexpr std::wstring_view kRemoveSwitch = L"/remove";
constexpr std::wstring_view kExeSuffix = L".exe";
constexpr size_t kMaxPortDigits = 3;
constexpr wchar_t kFieldSeparator = L';';
constexpr wchar_t kLogSeparator = L'\t';

wchar_t ToUpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

std::wstring_view TrimTrailingBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::wstring_view SkipLeadingBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::wstring_view FileNameOf(std::wstring_view path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

// The first token of a command line, without its quotes.
std::wstring_view ProgramToken(std::wstring_view commandLine) {
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        return commandLine.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1);
    }
    size_t end = 0;
    while (end < commandLine.size() && !IsBlank(commandLine[end])) ++end;
    return commandLine.substr(0, end);
}

bool NamesProgram(std::wstring_view fileName, std::wstring_view programName) {
    if (EqualsIgnoringAsciiCase(fileName, programName)) return true;
    return fileName.size() == programName.size() + kExeSuffix.size() &&
           StartsWithIgnoringAsciiCase(fileName, programName) &&
           EqualsIgnoringAsciiCase(fileName.substr(programName.size()), kExeSuffix);
}

template <typename Predicate>
bool AllOf(std::wstring_view text, Predicate accepted) {
    for (wchar_t c : text) {
        if (!accepted(c)) return false;
    }
    return true;
}

void AppendEscaped(std::wstring& out, std::wstring_view text) {
    for (wchar_t c : text) {
        if (c < 0x20 || c == 0x7F) {
            wchar_t escape[8];
            std::swprintf(escape, sizeof escape / sizeof escape[0], L"\\x%02X", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
}

}  // namespace

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
    }
    return true;
}

std::vector<std::wstring> SplitFields(std::wstring_view text) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(kFieldSeparator, start);
        if (end == std::wstring_view::npos) {
            fields.emplace_back(text.substr(start));
            return fields;
        }
        fields.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::optional<unsigned> ParseComPort(std::wstring_view text) {
    if (!StartsWithIgnoringAsciiCase(text, kComPrefix)) return std::nullopt;
    const std::wstring_view digits = text.substr(kComPrefix.size());
    if (digits.empty() || digits.size() > kMaxPortDigits || digits[0] == L'0' || !AllOf(digits, IsDigit))
        return std::nullopt;
    unsigned number = 0;
    for (wchar_t c : digits) number = number * 10 + static_cast<unsigned>(c - L'0');
    if (number > kHighestComPort) return std::nullopt;
    return number;
}

std::wstring ComPortName(unsigned port) { return std::wstring(kComPrefix) + std::to_wstring(port); }

bool IsValidApn(std::wstring_view apn) {
    return !apn.empty() && apn.size() <= kMaxApnLength &&
           AllOf(apn, [](wchar_t c) { return IsAsciiLetter(c) || IsDigit(c) || c == L'.' || c == L'-'; });
}

bool IsValidHardwareId(std::wstring_view id) {
    return !id.empty() && id.size() <= kMaxHardwareIdLength &&
           AllOf(id, [](wchar_t c) { return c > L' ' && c < 0x7F && c != L','; });
}

InstallResult CheckFields(const std::vector<std::wstring>& fields, const InstallerKind& kind) {
    if (fields.size() != kind.fieldCount) return InstallResult::kWrongFieldCount;
    if (!EqualsIgnoringAsciiCase(fields[kInfField], kInfName)) return InstallResult::kUnknownInf;
    if (!ParseComPort(fields[kPortField])) return InstallResult::kBadPort;
    if (!IsValidApn(fields[kApnField])) return InstallResult::kBadApn;
    if (kind.fieldCount > kHardwareIdField && !IsValidHardwareId(fields[kHardwareIdField]))
        return InstallResult::kBadHardwareId;
    return InstallResult::kInstalled;
}

std::wstring ApnInitCommand(std::wstring_view apn) { return L"AT+CGDCONT=1,\"IP\",\"" + std::wstring(apn) + L"\""; }

std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine) {
    size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        pos = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (pos < commandLine.size() && !IsBlank(commandLine[pos])) ++pos;
    }
    return SkipLeadingBlanks(commandLine.substr(pos));
}

std::wstring_view RequestText(std::wstring_view commandLine, std::wstring_view programName) {
    if (NamesProgram(FileNameOf(ProgramToken(commandLine)), programName)) return ArgumentsAfterProgramName(commandLine);
    return commandLine;
}

std::optional<std::wstring_view> RemovalPortText(std::wstring_view requestText) {
    if (!StartsWithIgnoringAsciiCase(requestText, kRemoveSwitch)) return std::nullopt;
    const std::wstring_view rest = requestText.substr(kRemoveSwitch.size());
    if (!rest.empty() && !IsBlank(rest.front())) return std::nullopt;
    return TrimTrailingBlanks(SkipLeadingBlanks(rest));
}

std::wstring_view ResultName(InstallResult result) {
    switch (result) {
        case InstallResult::kInstalled:
            return L"installed";
        case InstallResult::kWrongFieldCount:
            return L"wrong-field-count";
        case InstallResult::kUnknownInf:
            return L"unknown-inf";
        case InstallResult::kBadPort:
            return L"bad-port";
        case InstallResult::kBadApn:
            return L"bad-apn";
        case InstallResult::kBadHardwareId:
            return L"bad-hardware-id";
        case InstallResult::kInfMissing:
            return L"inf-missing";
        case InstallResult::kSetupFailed:
            return L"setup-failed";
        case InstallResult::kLogNotWritten:
            return L"log-not-written";
    }
    return L"unknown";
}

std::wstring FormatLogLine(const InstallerKind& kind, InstallResult result, std::wstring_view action,
                           std::wstring_view requestText, const std::vector<std::wstring>& fields) {
    std::wstring line(kind.programName);
    line += kLogSeparator;
    line += ResultName(result);
    line += kLogSeparator;
    line += std::to_wstring(static_cast<int>(result));
    line += kLogSeparator;
    AppendEscaped(line, action);
    line += kLogSeparator;
    AppendEscaped(line, requestText);
    line += kLogSeparator;
    line += std::to_wstring(fields.size());
    for (const std::wstring& field : fields) {
        line += kLogSeparator;
        AppendEscaped(line, field);
    }
    return line;
}

}  // namespace gminst

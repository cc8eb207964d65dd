#include "installer_fields.h"

#include <cwchar>

namespace standin {
namespace {

constexpr std::wstring_view kComPrefix = L"COM";
constexpr unsigned kHighestComPort = 255;
constexpr wchar_t kFieldSeparator = L';';
constexpr wchar_t kLogSeparator = L'\t';

wchar_t ToUpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
    }
    return true;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

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

bool IsComPort(std::wstring_view text) {
    if (text.size() <= kComPrefix.size() || !EqualsIgnoringAsciiCase(text.substr(0, kComPrefix.size()), kComPrefix))
        return false;
    const std::wstring_view digits = text.substr(kComPrefix.size());
    if (digits.size() > 3 || digits[0] == L'0') return false;
    unsigned number = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return false;
        number = number * 10 + static_cast<unsigned>(c - L'0');
    }
    return number <= kHighestComPort;
}

InstallResult CheckFields(const std::vector<std::wstring>& fields, const InstallerKind& kind) {
    if (fields.size() != kind.fieldCount) return InstallResult::kWrongFieldCount;
    if (!EqualsIgnoringAsciiCase(fields[kInfField], kInfName)) return InstallResult::kUnknownInf;
    if (!IsComPort(fields[kPortField])) return InstallResult::kBadPort;
    if (fields[kApnField].empty()) return InstallResult::kEmptyApn;
    if (kind.fieldCount > kHardwareIdField && fields[kHardwareIdField].empty())
        return InstallResult::kEmptyHardwareId;
    return InstallResult::kInstalled;
}

std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine) {
    size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        pos = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (pos < commandLine.size() && !IsBlank(commandLine[pos])) ++pos;
    }
    while (pos < commandLine.size() && IsBlank(commandLine[pos])) ++pos;
    return commandLine.substr(pos);
}

std::wstring_view ResultName(InstallResult result) {
    switch (result) {
    case InstallResult::kInstalled: return L"installed";
    case InstallResult::kWrongFieldCount: return L"wrong-field-count";
    case InstallResult::kUnknownInf: return L"unknown-inf";
    case InstallResult::kBadPort: return L"bad-port";
    case InstallResult::kEmptyApn: return L"empty-apn";
    case InstallResult::kEmptyHardwareId: return L"empty-hardware-id";
    case InstallResult::kInfMissing: return L"inf-missing";
    case InstallResult::kLogNotWritten: return L"log-not-written";
    }
    return L"unknown";
}

std::wstring FormatLogLine(const InstallerKind& kind, InstallResult result, std::wstring_view raw,
                           const std::vector<std::wstring>& fields) {
    std::wstring line(kind.programName);
    line += kLogSeparator;
    line += ResultName(result);
    line += kLogSeparator;
    AppendEscaped(line, raw);
    line += kLogSeparator;
    line += std::to_wstring(fields.size());
    for (const std::wstring& field : fields) {
        line += kLogSeparator;
        AppendEscaped(line, field);
    }
    return line;
}

}  // namespace standin

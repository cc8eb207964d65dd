#include "store_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace porvesk {
namespace {

struct TypeName {
    const char* name;
    uint32_t type;
    bool text;
};

constexpr TypeName kTypeNames[] = {
    {"REG_NONE", 0, false},   {"REG_SZ", 1, true},     {"REG_EXPAND_SZ", 2, true},
    {"REG_BINARY", 3, false}, {"REG_DWORD", 4, false}, {"REG_MULTI_SZ", 7, true},
};

bool ParseType(const std::string& text, uint32_t& type) {
    for (const TypeName& known : kTypeNames) {
        if (text == known.name) {
            type = known.type;
            return true;
        }
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    errno = 0;
    unsigned long number = std::strtoul(text.c_str(), nullptr, 10);
    if (errno != 0 || number > UINT32_MAX) return false;
    type = static_cast<uint32_t>(number);
    return true;
}

bool IsTextType(uint32_t type) {
    for (const TypeName& known : kTypeNames) {
        if (known.type == type) return known.text;
    }
    return false;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSectionLine(const std::string& line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

std::string SectionName(const std::string& line) { return line.substr(1, line.size() - 2); }

// The entry's value when `line` is "entry=value".
bool MatchEntry(const std::string& line, const std::string& entry, std::string& value) {
    if (line.size() <= entry.size() || line.compare(0, entry.size(), entry) != 0 || line[entry.size()] != '=') {
        return false;
    }
    value = line.substr(entry.size() + 1);
    return true;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace

std::vector<StoredValue> ParseSerialMapText(const std::string& text) {
    std::vector<StoredValue> values;
    for (const std::string& line : SplitLines(text)) {
        size_t firstTab = line.find('\t');
        if (firstTab == std::string::npos) continue;
        size_t secondTab = line.find('\t', firstTab + 1);
        if (secondTab == std::string::npos) continue;
        StoredValue value;
        if (!ParseType(line.substr(firstTab + 1, secondTab - firstTab - 1), value.type)) continue;
        value.name = line.substr(0, firstTab);
        value.data = line.substr(secondTab + 1);
        values.push_back(std::move(value));
    }
    return values;
}

SerialMapValue FitIntoBuffers(const StoredValue& stored) {
    std::string bytes = stored.data;
    if (IsTextType(stored.type)) bytes.push_back('\0');
    SerialMapValue value;
    value.name = stored.name.substr(0, kValueNameBufferSize - 1);
    value.type = stored.type;
    size_t kept = std::min(bytes.size(), kValueDataBufferSize);
    value.data.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept));
    value.reportedLength = static_cast<uint32_t>(bytes.size());
    return value;
}

bool FindProfileEntry(const std::string& text, const std::string& section, const std::string& entry,
                      std::string& value) {
    bool inSection = false;
    for (const std::string& line : SplitLines(text)) {
        if (IsSectionLine(line)) {
            inSection = SectionName(line) == section;
        } else if (inSection && MatchEntry(line, entry, value)) {
            return true;
        }
    }
    return false;
}

std::string SetProfileEntry(const std::string& text, const std::string& section, const std::string& entry,
                            const std::string& value) {
    std::vector<std::string> lines = SplitLines(text);
    const std::string newLine = entry + "=" + value;
    auto isOurSection = [&](const std::string& line) { return IsSectionLine(line) && SectionName(line) == section; };
    auto sectionStart = std::find_if(lines.begin(), lines.end(), isOurSection);
    if (sectionStart == lines.end()) {
        lines.push_back("[" + section + "]");
        lines.push_back(newLine);
        return JoinLines(lines);
    }
    auto sectionEnd = std::find_if(sectionStart + 1, lines.end(), IsSectionLine);
    std::string old;
    auto found = std::find_if(sectionStart + 1, sectionEnd,
                              [&](const std::string& line) { return MatchEntry(line, entry, old); });
    if (found != sectionEnd) {
        *found = newLine;
    } else {
        lines.insert(sectionEnd, newLine);
    }
    return JoinLines(lines);
}

}  // namespace porvesk

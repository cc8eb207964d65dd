#include "options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace phonesim {
namespace {

constexpr int kMaxScenarioDepth = 8;
constexpr int kMaxTcpPort = 65535;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool ParseCount(const std::string& text, long min, long max, long& value) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < min || parsed > max) return false;
    value = parsed;
    return true;
}

// Adds the comma-separated keywords of `list` to `keywords`; "all" sets `all`.
bool AddKeywords(const std::string& list, bool& all, std::set<std::string>& keywords) {
    std::stringstream stream(list);
    std::string item;
    bool any = false;
    while (std::getline(stream, item, ',')) {
        if (item.empty()) return false;
        std::string keyword = UpperAscii(item);
        if (keyword == "ALL") {
            all = true;
        } else {
            keywords.insert(keyword);
        }
        any = true;
    }
    return any;
}

class OptionParser {
public:
    OptionParser(OptionScope scope, ParsedOptions& out, std::string& error)
        : scope_(scope), out_(out), error_(error) {}

    bool Parse(const std::vector<std::string>& words, int depth) {
        for (size_t i = 0; i < words.size(); ++i) {
            std::string name = words[i];
            std::optional<std::string> value;
            size_t equals = name.find('=');
            if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
            }
            if (name.rfind("--", 0) != 0) return Fail("unexpected word '" + words[i] + "'");
            if (!IsFlag(name) && !TakesValue(name)) return Fail("unknown option " + name);
            if (IsFlag(name)) {
                if (value) return Fail(name + " takes no value");
                ApplyFlag(name);
                continue;
            }
            if (!value) {
                if (i + 1 >= words.size()) return Fail(name + " needs a value");
                value = words[++i];
            }
            if (!ApplyValue(name, *value, depth)) return false;
        }
        return true;
    }

    bool Finish() {
        const PhoneOptions& phone = out_.phone;
        if (phone.imeiChangeAfter.has_value() != !phone.secondImei.empty()) {
            return Fail("--second-imei and --imei-change-after go together");
        }
        return true;
    }

private:
    static bool IsFlag(const std::string& name) { return name == "--garbage" || name == "--split"; }

    static bool TakesValue(const std::string& name) {
        static const std::set<std::string> kValueOptions = {
            "--model", "--imei", "--sn", "--imei-format", "--silent", "--error", "--delay", "--second-imei",
            "--imei-change-after", "--hangup-after", "--pace", "--scenario", "--link", "--control-port"};
        return kValueOptions.count(name) > 0;
    }

    void ApplyFlag(const std::string& name) {
        if (name == "--garbage") out_.phone.garbage = true;
        if (name == "--split") out_.phone.split = true;
    }

    bool ApplyValue(const std::string& name, const std::string& value, int depth) {
        PhoneOptions& phone = out_.phone;
        long number = 0;
        if (name == "--model") {
            phone.model = value;
        } else if (name == "--imei") {
            phone.imei = value;
        } else if (name == "--sn") {
            phone.serialNumber = value;
        } else if (name == "--imei-format") {
            if (value == "labelled") {
                phone.imeiFormat = ImeiFormat::kLabelled;
            } else if (value == "single") {
                phone.imeiFormat = ImeiFormat::kSingle;
            } else {
                return Fail("--imei-format is labelled or single");
            }
        } else if (name == "--silent") {
            if (!AddKeywords(value, phone.silentAll, phone.silent)) return BadValue(name, value);
        } else if (name == "--error") {
            if (!AddKeywords(value, phone.errorAll, phone.error)) return BadValue(name, value);
        } else if (name == "--delay") {
            if (!ParseCount(value, 0, INT_MAX, number)) return BadValue(name, value);
            phone.delayMs = number;
        } else if (name == "--second-imei") {
            if (value.empty()) return Fail("--second-imei needs a text");
            phone.secondImei = value;
        } else if (name == "--imei-change-after") {
            if (!ParseCount(value, 0, INT_MAX, number)) return BadValue(name, value);
            phone.imeiChangeAfter = number;
        } else if (name == "--hangup-after") {
            if (!ParseCount(value, 1, INT_MAX, number)) return BadValue(name, value);
            phone.hangupAfter = number;
        } else if (name == "--pace") {
            if (!ParseCount(value, 1, INT_MAX, number)) return BadValue(name, value);
            phone.paceBaud = number;
        } else if (name == "--scenario") {
            return ApplyScenario(value, depth);
        } else {
            return ApplyStartOption(name, value);
        }
        return true;
    }

    bool ApplyStartOption(const std::string& name, const std::string& value) {
        if (scope_ != OptionScope::kCommandLine) return Fail(name + " only at start");
        if (name == "--link") {
            if (value.empty()) return Fail("--link needs a path");
            out_.start.linkPath = value;
            return true;
        }
        long port = 0;
        if (!ParseCount(value, 0, kMaxTcpPort, port)) return BadValue(name, value);
        out_.start.controlPort = static_cast<int>(port);
        return true;
    }

    bool ApplyScenario(const std::string& path, int depth) {
        if (depth >= kMaxScenarioDepth) return Fail("scenario files nested too deep at " + path);
        std::ifstream file(path);
        if (!file) return Fail("cannot read scenario " + path);
        std::vector<std::string> words;
        std::string line;
        int lineNumber = 0;
        while (std::getline(file, line)) {
            ++lineNumber;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == '#') continue;
            std::string splitError;
            if (!SplitWords(line, words, splitError)) {
                return Fail(path + ":" + std::to_string(lineNumber) + ": " + splitError);
            }
        }
        if (Parse(words, depth + 1)) return true;
        error_ = path + ": " + error_;
        return false;
    }

    bool BadValue(const std::string& name, const std::string& value) {
        return Fail("bad value '" + value + "' for " + name);
    }

    bool Fail(const std::string& message) {
        error_ = message;
        return false;
    }

    OptionScope scope_;
    ParsedOptions& out_;
    std::string& error_;
};

}  // namespace

bool SplitWords(const std::string& text, std::vector<std::string>& words, std::string& error) {
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsBlank(c) && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        error = "unterminated quote";
        return false;
    }
    if (inWord) words.push_back(word);
    return true;
}

bool ParseOptions(const std::vector<std::string>& words, OptionScope scope, ParsedOptions& out,
                  std::string& error) {
    OptionParser parser(scope, out, error);
    return parser.Parse(words, 0) && parser.Finish();
}

std::string UpperAscii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace phonesim

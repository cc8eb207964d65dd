#include "options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
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

constexpr long kMaxErrorNumber = 4294967295L;
constexpr long kMaxMediaCategory = 9;
constexpr long kMaxMediaItemSize = 64L * 1024 * 1024;
constexpr size_t kMinLockDigits = 4;
constexpr size_t kMaxLockDigits = 8;
constexpr long kMinSimRecords = 1;
constexpr long kMaxSimRecords = 254;
constexpr long kMinSimRecordLength = 14;
constexpr long kMaxSimRecordLength = 255;
constexpr size_t kMinImsiDigits = 6;
constexpr size_t kMaxImsiDigits = 15;
constexpr size_t kMaxSpnLength = 16;  // the name bytes of EF SPN

std::vector<std::string> SplitList(const std::string& list, char separator) {
    std::vector<std::string> items;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, separator)) items.push_back(item);
    if (!list.empty() && list.back() == separator) items.emplace_back();
    return items;
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

bool AddKeywordList(const std::string& list, std::set<std::string>& keywords) {
    bool all = false;
    return AddKeywords(list, all, keywords) && !all;
}

// Adds "KW=N[,KW=N..]" items to `numbers`, N in min..max.
bool AddKeywordNumbers(const std::string& list, long min, long max, std::map<std::string, uint32_t>& numbers) {
    std::vector<std::string> items = SplitList(list, ',');
    if (items.empty()) return false;
    for (const std::string& item : items) {
        size_t equals = item.rfind('=');
        long number = 0;
        if (equals == std::string::npos || equals == 0 || !ParseCount(item.substr(equals + 1), min, max, number)) {
            return false;
        }
        numbers[UpperAscii(item.substr(0, equals))] = static_cast<uint32_t>(number);
    }
    return true;
}

// "<category>:<id>:<name>:<size>"; the name is everything between the second and
// the last colon, so it may hold colons itself.
bool ParseMediaItem(const std::string& text, MediaItemOption& item) {
    size_t first = text.find(':');
    size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    size_t last = text.rfind(':');
    if (second == std::string::npos || last == second) return false;
    long category = 0;
    long id = 0;
    long size = 0;
    std::string name = text.substr(second + 1, last - second - 1);
    if (!ParseCount(text.substr(0, first), 0, kMaxMediaCategory, category) ||
        !ParseCount(text.substr(first + 1, second - first - 1), 1, kMaxErrorNumber, id) ||
        !ParseCount(text.substr(last + 1), 0, kMaxMediaItemSize, size) || name.empty() ||
        name.find_first_of("\"\r\n") != std::string::npos) {
        return false;
    }
    item = MediaItemOption{static_cast<int>(category), static_cast<uint32_t>(id), name, static_cast<uint32_t>(size)};
    return true;
}

bool AddMediaFaults(const std::string& list, std::set<MediaFault>& faults) {
    static const std::map<std::string, MediaFault> kFaults = {
        {"other-name", MediaFault::kOtherName},   {"other-category", MediaFault::kOtherCategory},
        {"other-id", MediaFault::kOtherId},       {"form-2", MediaFault::kForm2},
        {"extra-field", MediaFault::kExtraField},
    };
    std::vector<std::string> items = SplitList(list, ',');
    if (items.empty()) return false;
    for (const std::string& item : items) {
        auto found = kFaults.find(item);
        if (found == kFaults.end()) return false;
        faults.insert(found->second);
    }
    return true;
}

bool IsLockCode(const std::string& code) {
    if (code.size() < kMinLockDigits || code.size() > kMaxLockDigits) return false;
    for (char c : code) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool ParseSimState(const std::string& value, SimState& state) {
    static const std::map<std::string, SimState> kStates = {
        {"ready", SimState::kReady}, {"absent", SimState::kAbsent}, {"pin", SimState::kPinRequired}};
    auto found = kStates.find(value);
    if (found == kStates.end()) return false;
    state = found->second;
    return true;
}

// The simulated SIM stores its name in the SIM alphabet, which agrees with ASCII
// on letters, digits, the blank and the punctuation allowed here.
bool IsSpnText(const std::string& name) {
    if (name.size() > kMaxSpnLength) return false;
    for (char c : name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) ||
                           std::string(" !&'()*+,-./:;<=>?").find(c) != std::string::npos;
        if (!plain) return false;
    }
    return true;
}

class OptionParser {
public:
    OptionParser(OptionScope scope, ParsedOptions& out, std::string& error) : scope_(scope), out_(out), error_(error) {}

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
    static bool IsFlag(const std::string& name) {
        static const std::set<std::string> kFlags = {"--garbage", "--split", "--no-card", "--no-sim", "--mc-clear"};
        return kFlags.count(name) > 0;
    }

    static bool TakesValue(const std::string& name) {
        static const std::set<std::string> kValueOptions = {"--model",
                                                            "--imei",
                                                            "--sn",
                                                            "--imei-format",
                                                            "--silent",
                                                            "--error",
                                                            "--delay",
                                                            "--second-imei",
                                                            "--imei-change-after",
                                                            "--hangup-after",
                                                            "--pace",
                                                            "--scenario",
                                                            "--link",
                                                            "--control-port",
                                                            "--fail",
                                                            "--fail-after-data",
                                                            "--stall",
                                                            "--short-raw",
                                                            "--bad-length",
                                                            "--cut-raw",
                                                            "--phone-lock",
                                                            "--sim-format",
                                                            "--sim-state",
                                                            "--imsi",
                                                            "--spn",
                                                            "--sim-records",
                                                            "--sim-record-length",
                                                            "--reboot-delay",
                                                            "--mc-categories",
                                                            "--mc-item",
                                                            "--mc-fault"};
        return kValueOptions.count(name) > 0;
    }

    void ApplyFlag(const std::string& name) {
        PhoneOptions& phone = out_.phone;
        if (name == "--garbage") phone.garbage = true;
        if (name == "--split") phone.split = true;
        if (name == "--no-card") phone.noCard = true;
        if (name == "--no-sim") phone.noSim = true;
        if (name == "--mc-clear") phone.mcClear = true;
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
        } else if (name == "--link" || name == "--control-port") {
            return ApplyStartOption(name, value);
        } else {
            return ApplyFamilyOption(name, value) || BadValue(name, value);
        }
        return true;
    }

    // Options of the command families; false for a bad value.
    bool ApplyFamilyOption(const std::string& name, const std::string& value) {
        PhoneOptions& phone = out_.phone;
        long number = 0;
        if (name == "--fail") return AddKeywordNumbers(value, 0, kMaxErrorNumber, phone.fail);
        if (name == "--fail-after-data") return AddKeywordNumbers(value, 0, kMaxErrorNumber, phone.failAfterData);
        if (name == "--cut-raw") return AddKeywordNumbers(value, 0, kMaxErrorNumber, phone.cutRaw);
        if (name == "--stall") return AddKeywordList(value, phone.stall);
        if (name == "--short-raw") return AddKeywordList(value, phone.shortRaw);
        if (name == "--bad-length") return AddKeywordList(value, phone.badLength);
        if (name == "--mc-fault") return AddMediaFaults(value, phone.mcFaults);
        if (name == "--phone-lock") {
            phone.phoneLock = value;
            return IsLockCode(value);
        }
        if (name == "--sim-format") {
            phone.simFormat = value == "usim" ? SimFormat::kUsim : SimFormat::kSim;
            return value == "sim" || value == "usim";
        }
        if (name == "--sim-state") return ParseSimState(value, phone.simState);
        if (name == "--imsi") {
            phone.imsi = value;
            return value.size() >= kMinImsiDigits && value.size() <= kMaxImsiDigits &&
                   value.find_first_not_of("0123456789") == std::string::npos;
        }
        if (name == "--spn") {
            phone.spn = value;
            return IsSpnText(value);
        }
        if (name == "--sim-records") {
            return ParseCount(value, kMinSimRecords, kMaxSimRecords, phone.simRecords);
        }
        if (name == "--sim-record-length") {
            return ParseCount(value, kMinSimRecordLength, kMaxSimRecordLength, phone.simRecordLength);
        }
        if (name == "--reboot-delay") {
            if (!ParseCount(value, 0, INT_MAX, number)) return false;
            phone.rebootDelayMs = number;
            return true;
        }
        if (name == "--mc-categories") {
            phone.mcCategories = value;
            return value.find_first_of("\r\n") == std::string::npos;
        }
        MediaItemOption item;
        if (!ParseMediaItem(value, item)) return false;
        phone.mcItems.push_back(item);
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

bool ParseOptions(const std::vector<std::string>& words, OptionScope scope, ParsedOptions& out, std::string& error) {
    OptionParser parser(scope, out, error);
    return parser.Parse(words, 0) && parser.Finish();
}

std::string UpperAscii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace phonesim

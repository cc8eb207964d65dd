// The Java-application commands AT$TCKS (check a descriptor, install a package,
// delete a suite) and AT$TCKR (target version, list), and the control request that
// lists the installed suites.
#include "java_applications.h"

#include <array>
#include <optional>
#include <sstream>
#include <vector>

#include "family_support.h"

namespace phonesim {
namespace {

constexpr uint64_t kJavaCapacity = 2097152;
constexpr uint32_t kProfileMajor = 2;
constexpr uint32_t kProfileMinor = 0;
constexpr uint32_t kConfigurationMajor = 1;
constexpr uint32_t kConfigurationMinor = 1;
constexpr std::string_view kAttributeSeparator = ": ";
constexpr std::string_view kBlanks = " \t";
constexpr unsigned char kFirstPrintable = 0x20;

// AT$TCKS operations and AT$TCKR queries.
constexpr uint32_t kCheck = 1;
constexpr uint32_t kInstall = 2;
constexpr uint32_t kDelete = 3;
constexpr uint32_t kTargetVersion = 1;
constexpr uint32_t kList = 2;

// NACK numbers.
constexpr uint32_t kFine = 0;
constexpr uint32_t kNoSpace = 1;
constexpr uint32_t kInvalid = 2;
constexpr uint32_t kUnsupported = 3;
constexpr uint32_t kNotNewer = 4;
constexpr uint32_t kNoSuchSuite = 5;
constexpr uint32_t kDamaged = 6;
constexpr uint32_t kNotChecked = 7;

// A version "<major>.<minor>[.<micro>]", compared part by part.
using Version = std::array<uint32_t, 3>;

std::string NackLine(uint32_t number) { return InfoLine("NACK: " + std::to_string(number)); }

std::string AckAnswerText() { return InfoLine("ACK"); }

std::optional<Version> ParseVersion(const std::string& text, size_t minParts, size_t maxParts) {
    Version version{};
    std::stringstream stream(text);
    std::string part;
    size_t count = 0;
    while (std::getline(stream, part, '.')) {
        if (count == maxParts || !ParseNumberWord(part, version[count])) return std::nullopt;
        ++count;
    }
    if (count < minParts || text.empty() || text.back() == '.') return std::nullopt;
    return version;
}

// True when the text can stand in double quotes on a listing line.
bool PlainText(const std::string& text) {
    if (text.empty()) return false;
    for (unsigned char c : text) {
        if (c < kFirstPrintable || c == '"') return false;
    }
    return true;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// "<attribute>: <value>" lines ended by LF or CR LF; the first of a name counts.
std::map<std::string, std::string> ParseAttributes(const std::string& descriptor) {
    std::map<std::string, std::string> attributes;
    std::stringstream stream(descriptor);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t separator = line.find(kAttributeSeparator);
        if (separator == std::string::npos) continue;
        attributes.emplace(line.substr(0, separator), Trim(line.substr(separator + kAttributeSeparator.size())));
    }
    return attributes;
}

// 0 when every entry "<prefix><x>.<y>" of a blank-separated list is at most the
// handset's own version; 2 for a malformed entry, 3 for a newer one.
uint32_t CheckPlatform(const std::string& entries, const std::string& prefix, uint32_t major, uint32_t minor) {
    std::stringstream stream(entries);
    std::string entry;
    while (stream >> entry) {
        if (entry.compare(0, prefix.size(), prefix) != 0) return kInvalid;
        std::optional<Version> version = ParseVersion(entry.substr(prefix.size()), 2, 2);
        if (!version) return kInvalid;
        if (*version > Version{major, minor, 0}) return kUnsupported;
    }
    return kFine;
}

uint64_t UsedBytes(const JavaStore& store) {
    uint64_t used = 0;
    for (const auto& suite : store.suites) used += suite.second.package.size();
    return used;
}

// Whether `size` bytes fit, counting the package of an installed suite of that
// name as freed.
bool Fits(const JavaStore& store, const std::string& name, uint64_t size) {
    uint64_t freed = 0;
    auto installed = store.suites.find(name);
    if (installed != store.suites.end()) freed = installed->second.package.size();
    return UsedBytes(store) - freed + size <= kJavaCapacity;
}

// The checks of a descriptor after its data, in the handset's order.
uint32_t CheckDescriptor(const JavaStore& store, const std::string& text, JavaDescriptor& descriptor) {
    std::map<std::string, std::string> attributes = ParseAttributes(text);
    descriptor.name = attributes["MIDlet-Name"];
    descriptor.vendor = attributes["MIDlet-Vendor"];
    descriptor.version = attributes["MIDlet-Version"];
    std::optional<Version> version = ParseVersion(descriptor.version, 2, 3);
    if (!PlainText(descriptor.name) || !PlainText(descriptor.vendor) || !version ||
        !ParseNumberWord(attributes["MIDlet-Jar-Size"], descriptor.jarSize)) {
        return kInvalid;
    }
    if (uint32_t error = CheckPlatform(attributes["MicroEdition-Profile"], "MIDP-", kProfileMajor, kProfileMinor)) {
        return error;
    }
    if (uint32_t error = CheckPlatform(attributes["MicroEdition-Configuration"], "CLDC-", kConfigurationMajor,
                                       kConfigurationMinor)) {
        return error;
    }
    auto installed = store.suites.find(descriptor.name);
    if (installed != store.suites.end() && ParseVersion(installed->second.version, 2, 3) >= version) return kNotNewer;
    return Fits(store, descriptor.name, descriptor.jarSize) ? kFine : kNoSpace;
}

std::string GoAhead(uint32_t operation, uint32_t length) {
    return InfoLine("$TCK: " + std::to_string(operation) + "," + std::to_string(length));
}

Answer Check(CommandContext& context, uint32_t length, uint32_t crc) {
    context.state.connection.javaPending.reset();
    return UploadAnswer(GoAhead(kCheck, length), length, [crc](CommandContext& done, const std::string& data) {
        if (Crc32(data) != crc) return Answer(NackLine(kDamaged));
        JavaDescriptor descriptor;
        if (uint32_t error = CheckDescriptor(done.state.stores.java, data, descriptor)) return Answer(NackLine(error));
        done.state.connection.javaPending = descriptor;
        return FamilyAnswer(AckAnswerText());
    });
}

Answer Install(CommandContext& context, uint32_t length, uint32_t crc) {
    std::optional<JavaDescriptor>& pending = context.state.connection.javaPending;
    if (!pending) return NackLine(kNotChecked);
    if (length != pending->jarSize) return NackLine(kInvalid);
    if (!Fits(context.state.stores.java, pending->name, length)) return NackLine(kNoSpace);
    JavaDescriptor descriptor = *pending;
    pending.reset();
    return UploadAnswer(
        GoAhead(kInstall, length), length, [crc, descriptor](CommandContext& done, const std::string& data) {
            if (Crc32(data) != crc) return Answer(NackLine(kDamaged));
            done.state.stores.java.suites[descriptor.name] = JavaSuite{descriptor.vendor, descriptor.version, data};
            return FamilyAnswer(AckAnswerText());
        });
}

Answer Send(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || parameters->Count() < 1) return ErrorLine();
    uint32_t operation = parameters->Number(0);
    if ((operation == kCheck || operation == kInstall) && parameters->Fits("nnn")) {
        uint32_t length = parameters->Number(1);
        uint32_t crc = parameters->Number(2);
        return operation == kCheck ? Check(context, length, crc) : Install(context, length, crc);
    }
    if (operation != kDelete || !parameters->Fits("nt")) return ErrorLine();
    if (context.state.stores.java.suites.erase(parameters->Text(1)) == 0) return NackLine(kNoSuchSuite);
    return FamilyAnswer(AckAnswerText());
}

std::vector<std::string> ListingLines(const JavaStore& store) {
    std::vector<std::string> lines;
    for (const auto& [name, suite] : store.suites) {
        lines.push_back(std::to_string(suite.package.size()) + ",\"" + name + "\",\"" + suite.vendor + "\",\"" +
                        suite.version + "\"");
    }
    return lines;
}

Answer Read(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("n")) return ErrorLine();
    if (parameters->Number(0) == kTargetVersion) {
        return FamilyAnswer(InfoLine("INFO: " + std::to_string(kProfileMajor) + "," + std::to_string(kProfileMinor) +
                                     "," + std::to_string(kConfigurationMajor) + "," +
                                     std::to_string(kConfigurationMinor)));
    }
    if (parameters->Number(0) != kList) return ErrorLine();
    return RawDownload(context, "LIST: ", JoinLines(ListingLines(context.state.stores.java)));
}

ControlResult ListControl(PhoneState& state, const std::vector<std::string>&) {
    return ControlResult{ListingLines(state.stores.java), std::nullopt};
}

}  // namespace

JavaStore DefaultJavaStore() {
    JavaStore store;
    store.suites["Sudoku"] = JavaSuite{"Example Games", "1.0.2", PatternContent(48213)};
    store.suites["Weather"] = JavaSuite{"Example Labs", "2.1", PatternContent(102400)};
    return store;
}

void AddJavaCommands(CommandTable& table) {
    AddFamilyCommand(table, "AT$TCKS", NackLine, Send);
    AddFamilyCommand(table, "AT$TCKR", NackLine, Read);
    table.AddControl("java-list", ListControl);
}

}  // namespace phonesim

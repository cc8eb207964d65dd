#pragma once
// Options of the simulated phone: parsed from the command line, from scenario
// files and from the control channel's "reset" request, all with one syntax.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace phonesim {

enum class ImeiFormat { kLabelled, kSingle };
enum class SimFormat { kSim, kUsim };
// Whether the SIM can be read: present and unlocked, missing, or waiting for its PIN.
enum class SimState { kReady, kAbsent, kPinRequired };

// A media-centre item of --mc-item; its content is generated from its size.
struct MediaItemOption {
    int category = 0;
    uint32_t id = 0;
    std::string name;
    uint32_t size = 0;
};

// Wrong answers of the media-centre commands (--mc-fault).
enum class MediaFault { kOtherName, kOtherCategory, kOtherId, kForm2, kExtraField };

// How the phone behaves; a fresh PhoneOptions is the default, well-behaved phone.
struct PhoneOptions {
    std::string model = "ZEKO6W";
    std::string imei = "352099001761481";
    std::string serialNumber = "R58M41LXQ2";
    ImeiFormat imeiFormat = ImeiFormat::kLabelled;
    bool silentAll = false;
    std::set<std::string> silent;  // command keywords, upper case
    bool errorAll = false;
    std::set<std::string> error;  // command keywords, upper case
    bool garbage = false;
    bool split = false;
    long delayMs = 0;
    std::string secondImei;
    std::optional<long> imeiChangeAfter;
    std::optional<long> hangupAfter;
    long paceBaud = 0;  // 0: output as fast as the pty takes it

    // Fault modes of the command families, keyed by command keyword (upper case).
    std::map<std::string, uint32_t> fail;           // answer the family error line with this number
    std::map<std::string, uint32_t> failAfterData;  // take an upload, then fail with this number
    std::set<std::string> stall;                    // first answer only
    std::set<std::string> shortRaw;                 // one content byte less than announced
    std::set<std::string> badLength;                // announce 4294967295 bytes, send none
    std::map<std::string, uint32_t> cutRaw;         // pull the cable after this many content bytes

    bool noCard = false;    // the file system's memory card (area 1) is missing
    std::string phoneLock;  // lock code of the message store; empty: no lock
    bool noSim = false;
    SimState simState = SimState::kReady;
    std::string imsi = "001010123456789";  // test network: no operator in any database
    std::string spn;                       // service provider name; empty: the SIM has no EF SPN
    SimFormat simFormat = SimFormat::kSim;
    long simRecords = 250;
    long simRecordLength = 30;
    long rebootDelayMs = 3000;

    std::optional<std::string> mcCategories;  // text of the category query answer, as given
    bool mcClear = false;                     // start with an empty media centre
    std::vector<MediaItemOption> mcItems;
    std::set<MediaFault> mcFaults;
};

// Options that only make sense when the program starts.
struct StartOptions {
    std::string linkPath;
    int controlPort = 0;
};

enum class OptionScope {
    kCommandLine,  // phone and start options
    kReset,        // phone options only
};

struct ParsedOptions {
    PhoneOptions phone;
    StartOptions start;
};

// Splits a text into words at blanks and tabs; double quotes group words and are
// removed. Returns false (with a message) for an unterminated quote.
bool SplitWords(const std::string& text, std::vector<std::string>& words, std::string& error);

// Parses option words ("--name value", "--name=value" or a flag). Later options
// override earlier ones; --silent and --error lists accumulate. Returns false with
// a message on the first bad word; `out` is then unspecified.
bool ParseOptions(const std::vector<std::string>& words, OptionScope scope, ParsedOptions& out, std::string& error);

// Upper-cases an ASCII text; command keywords are compared this way.
std::string UpperAscii(std::string text);

}  // namespace phonesim

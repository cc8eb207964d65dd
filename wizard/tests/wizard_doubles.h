#pragma once
// Test doubles for the wizard's system interfaces: they record what the page
// logic asked for and answer from scripted values.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "wizard_seams.h"

namespace ravelinwiz::testing {

// A detector whose port appears after a number of polls (never when negative).
class FakeDetector : public ConnectionDetector {
public:
    int portAfterPolls = -1;
    int port = 0;
    std::string model;
    std::string imei;
    int startCalls = 0;
    int portReads = 0;

    bool StartDetect() override { return ++startCalls == 1; }
    int GetCurConnectPort() override {
        ++portReads;
        return portAfterPolls >= 0 && portReads > portAfterPolls ? port : 0;
    }
    std::string GetCurConnectModel() override { return model; }
    std::string GetCurConnectImei() override { return imei; }
};

class RecordingSleeper : public Sleeper {
public:
    std::vector<uint32_t> sleeps;
    void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
};

class FakeUi : public WizardUi {
public:
    std::vector<WizardButtons> buttons;
    std::vector<StringId> messages;
    int waitCursorDepth = 0;
    int waitCursorShown = 0;

    void SetWizardButtons(WizardButtons value) override { buttons.push_back(value); }
    void ShowErrorMessage(StringId text) override { messages.push_back(text); }
    void BeginWaitCursor() override {
        ++waitCursorDepth;
        ++waitCursorShown;
    }
    void EndWaitCursor() override { --waitCursorDepth; }
    WizardButtons LastButtons() const { return buttons.empty() ? 0xFFFFFFFFu : buttons.back(); }
};

inline OsVersion WindowsXp() { return {true, 0, kPlatformNt, 5, 1}; }
inline OsVersion Windows95() { return {true, 0, kPlatformWindows, 4, 0}; }
inline OsVersion Windows98() { return {true, 0, kPlatformWindows, 4, 10}; }
inline OsVersion WindowsMe() { return {true, 0, kPlatformWindows, 4, 90}; }

// The ANSI code page of the doubles: ASCII and U+00A0 to U+00FF in one byte,
// the CJK ideographs U+4E00 to U+9FFF in two. Any other character is missing.
inline std::optional<std::string> EncodeInAnsi(const std::u16string& text) {
    std::string encoded;
    for (const char16_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            encoded += static_cast<char>(c);
        } else if (c >= 0x4E00 && c <= 0x9FFF) {
            encoded += static_cast<char>(0x81 + ((c >> 8) & 0x3F));
            encoded += static_cast<char>(0x40 + (c & 0x3F));
        } else {
            return std::nullopt;
        }
    }
    return encoded;
}

class FakeSystem : public SystemInfo {
public:
    OsVersion version = WindowsXp();
    std::map<uint32_t, std::string> errorTexts;
    std::optional<std::string> moduleFileName = std::string("C:\\Program Files\\Tavo\\RavelinWiz.exe");
    std::optional<std::string> windowsDirectory = std::string("C:\\WINDOWS");
    int versionQueries = 0;

    OsVersion QueryVersion() override {
        ++versionQueries;
        return version;
    }
    std::string SystemErrorText(uint32_t code) override {
        auto found = errorTexts.find(code);
        return found == errorTexts.end() ? std::string() : found->second;
    }
    std::optional<std::string> ModuleFileName() override { return moduleFileName; }
    std::optional<std::string> WindowsDirectory() override { return windowsDirectory; }
    std::optional<std::string> ToAnsiCodePage(const std::u16string& text) override { return EncodeInAnsi(text); }
};

struct ProcessCall {
    bool shell;
    std::string program;
    std::string arguments;
    uint32_t waitMs;
};

class FakeStarter : public ProcessStarter {
public:
    StartResult result{true, 0, std::nullopt};
    std::vector<ProcessCall> calls;

    StartResult RunHidden(const std::string& program, const std::string& commandLine, uint32_t waitMs) override {
        calls.push_back({false, program, commandLine, waitMs});
        return result;
    }
    StartResult ShellOpenHidden(const std::string& program, const std::string& parameters, uint32_t waitMs) override {
        calls.push_back({true, program, parameters, waitMs});
        return result;
    }
};

// One SetEntryProperties call as the phonebook saw it (the wide call passes no
// device information).
template <typename Char>
struct BasicPropertiesWrite {
    std::basic_string<Char> name;
    BasicRasEntryV1<Char> entry;
    uint32_t entrySize;
    std::vector<uint8_t> deviceInfo;
};
using PropertiesWrite = BasicPropertiesWrite<char>;
using WidePropertiesWrite = BasicPropertiesWrite<char16_t>;

// Answers the ANSI and the wide calls with the same scripted results; the log
// names a wide call with a trailing "W".
class FakePhonebook : public RasPhonebook {
public:
    uint32_t validateResult = 0;
    uint32_t setPropertiesResult = 0;
    uint32_t resetPropertiesResult = 0;  // the second write, with device information
    uint32_t dialParamsResult = 0;
    uint32_t sizeQueryResult = 0;   // the read that learns the configuration size
    uint32_t configReadResult = 0;  // the read into the configuration buffer
    uint32_t deleteResult = 0;
    std::vector<uint8_t> deviceConfig;  // what the system holds for the entry
    uint32_t reportedConfigSize = 0;    // the size the first read reports
    uint32_t returnedConfigSize = 0;    // the size the second read reports

    std::vector<std::string> log;  // call names in order
    std::vector<std::string> validatedNames;
    std::vector<std::string> deletedNames;
    std::vector<PropertiesWrite> propertyWrites;
    std::vector<RasDialParamsV1> dialParams;
    std::vector<bool> removePasswordFlags;
    std::vector<std::u16string> wideDeletedNames;
    std::vector<WidePropertiesWrite> widePropertyWrites;
    std::vector<RasDialParamsV1W> wideDialParams;

    uint32_t ValidateEntryName(const std::string& name) override {
        log.push_back("validate");
        validatedNames.push_back(name);
        return validateResult;
    }
    uint32_t SetEntryProperties(const std::string& name, const RasEntryV1& entry, uint32_t entrySize,
                                const uint8_t* deviceInfo, uint32_t deviceInfoSize) override {
        log.push_back("set");
        PropertiesWrite write{name, entry, entrySize, {}};
        if (deviceInfo != nullptr) {
            write.deviceInfo.assign(deviceInfo, deviceInfo + deviceInfoSize);
        }
        propertyWrites.push_back(write);
        return propertyWrites.size() == 1 ? setPropertiesResult : resetPropertiesResult;
    }
    uint32_t SetEntryDialParams(const RasDialParamsV1& params, bool removePassword) override {
        log.push_back("dialparams");
        dialParams.push_back(params);
        removePasswordFlags.push_back(removePassword);
        return dialParamsResult;
    }
    uint32_t GetEntryProperties(const std::string&, RasEntryV1& entry, uint32_t& entrySize, uint8_t* deviceInfo,
                                uint32_t& deviceInfoSize) override {
        log.push_back("get");
        entry = RasEntryV1{};
        entry.dwSize = sizeof entry;
        entrySize = sizeof entry;
        if (deviceInfo == nullptr) {
            deviceInfoSize = reportedConfigSize;
            return sizeQueryResult;
        }
        if (configReadResult != 0) {
            return configReadResult;
        }
        const size_t copied = std::min<size_t>({deviceInfoSize, deviceConfig.size()});
        std::memcpy(deviceInfo, deviceConfig.data(), copied);
        deviceInfoSize = returnedConfigSize;
        return 0;
    }
    uint32_t DeleteEntry(const std::string& name) override {
        log.push_back("delete");
        deletedNames.push_back(name);
        return deleteResult;
    }

    uint32_t ValidateEntryName(const std::u16string&) override {
        log.push_back("validateW");
        return validateResult;
    }
    uint32_t SetEntryProperties(const std::u16string& name, const RasEntryV1W& entry, uint32_t entrySize) override {
        log.push_back("setW");
        widePropertyWrites.push_back({name, entry, entrySize, {}});
        return setPropertiesResult;
    }
    uint32_t SetEntryDialParams(const RasDialParamsV1W& params, bool removePassword) override {
        log.push_back("dialparamsW");
        wideDialParams.push_back(params);
        removePasswordFlags.push_back(removePassword);
        return dialParamsResult;
    }
    uint32_t DeleteEntry(const std::u16string& name) override {
        log.push_back("deleteW");
        wideDeletedNames.push_back(name);
        return deleteResult;
    }
};

struct ProfileWrite {
    std::string file;
    std::u16string section;
    std::string key;
    std::string value;
};

class RecordingProfile : public ProfileWriter {
public:
    std::vector<ProfileWrite> writes;
    void WriteString(const std::string& file, const std::u16string& section, const std::string& key,
                     const std::string& value) override {
        writes.push_back({file, section, key, value});
    }
};

class RecordingRestarter : public Restarter {
public:
    std::vector<std::string> calls;
    void EnableShutdownPrivilege() override { calls.push_back("privilege"); }
    void RequestReboot() override { calls.push_back("reboot"); }
};

}  // namespace ravelinwiz::testing

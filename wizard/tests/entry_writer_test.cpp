#include "entry_writer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "modem_config_patch.h"
#include "wizard_doubles.h"

namespace ravelinwiz {
namespace {

using testing::FakePhonebook;
using testing::FakeSystem;
using testing::RecordingProfile;

constexpr char kPbkPath[] =
    "C:\\Documents and Settings\\All Users\\Application Data\\Microsoft\\Network\\Connections\\Pbk"
    "\\rasphone.pbk";

struct WriterRun {
    FakeSystem system;
    FakePhonebook phonebook;
    RecordingProfile profile;
    EntryWriter writer{system, phonebook, profile};

    EntryFields fields{"Tavo GPRS", "*99#", "Tavo-Nelm KM3 USB Communication Class", "guest",
                       "secret"};

    WriteOutcome Write() { return writer.Write(fields); }
};

template <typename T>
bool AllZeroExcept(const T& record, std::initializer_list<std::pair<size_t, size_t>> fields) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    for (size_t i = 0; i < sizeof record; ++i) {
        bool inField = false;
        for (const auto& [offset, size] : fields) {
            inField = inField || (i >= offset && i < offset + size);
        }
        if (!inField && bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

TEST(EntryWriter, NtFamily_WritesEntryDialParamsAndPhonebookKeys) {
    WriterRun run;
    const WriteOutcome outcome = run.Write();

    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.failureText, "");
    EXPECT_EQ(run.phonebook.log, (std::vector<std::string>{"validate", "set", "dialparams"}));
    EXPECT_EQ(run.phonebook.validatedNames, std::vector<std::string>{"Tavo GPRS"});

    const testing::PropertiesWrite& write = run.phonebook.propertyWrites.at(0);
    EXPECT_EQ(write.name, "Tavo GPRS");
    EXPECT_EQ(write.entrySize, 1768u);
    EXPECT_TRUE(write.deviceInfo.empty());
    const RasEntryV1& entry = write.entry;
    EXPECT_EQ(entry.dwSize, 1768u);
    EXPECT_EQ(entry.dwfOptions, 0x05000318u);
    EXPECT_STREQ(entry.szLocalPhoneNumber, "*99#");
    EXPECT_STREQ(entry.szDeviceType, "modem");
    EXPECT_STREQ(entry.szDeviceName, "Tavo-Nelm KM3 USB Communication Class");
    EXPECT_EQ(entry.dwfNetProtocols, 4u);
    EXPECT_EQ(entry.dwFramingProtocol, 1u);
    EXPECT_TRUE(AllZeroExcept(entry, {{offsetof(RasEntryV1, dwSize), 8},
                                      {offsetof(RasEntryV1, szLocalPhoneNumber), 4},
                                      {offsetof(RasEntryV1, dwfNetProtocols), 8},
                                      {offsetof(RasEntryV1, szDeviceType), 5},
                                      {offsetof(RasEntryV1, szDeviceName), 37}}));

    const RasDialParamsV1& params = run.phonebook.dialParams.at(0);
    EXPECT_EQ(params.dwSize, 1052u);
    EXPECT_STREQ(params.szEntryName, "Tavo GPRS");
    EXPECT_STREQ(params.szUserName, "guest");
    EXPECT_STREQ(params.szPassword, "secret");
    EXPECT_TRUE(AllZeroExcept(params, {{0, 4},
                                       {offsetof(RasDialParamsV1, szEntryName), 9},
                                       {offsetof(RasDialParamsV1, szUserName), 5},
                                       {offsetof(RasDialParamsV1, szPassword), 6}}));
    EXPECT_EQ(run.phonebook.removePasswordFlags, std::vector<bool>{false});

    ASSERT_EQ(run.profile.writes.size(), 3u);
    const char* keys[] = {"HwFlowControl", "Protocol", "Compression"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(run.profile.writes[i].file, kPbkPath);
        EXPECT_EQ(run.profile.writes[i].section, "Tavo GPRS");
        EXPECT_EQ(run.profile.writes[i].key, keys[i]);
        EXPECT_EQ(run.profile.writes[i].value, "0");
    }
}

TEST(EntryWriter, EmptyCredentials_AreWrittenEmpty) {
    WriterRun run;
    run.fields.userName.clear();
    run.fields.password.clear();
    EXPECT_TRUE(run.Write().ok);
    EXPECT_STREQ(run.phonebook.dialParams.at(0).szUserName, "");
    EXPECT_STREQ(run.phonebook.dialParams.at(0).szPassword, "");
}

TEST(EntryWriter, OverLongFields_AreCutToTheirRecordFields) {
    WriterRun run;
    run.fields.phoneNumber = std::string(300, '9');
    run.fields.deviceName = std::string(200, 'M');
    run.fields.connectionName = std::string(300, 'N');
    run.fields.userName = std::string(400, 'u');
    run.fields.password = std::string(400, 'p');

    EXPECT_TRUE(run.Write().ok);
    const RasEntryV1& entry = run.phonebook.propertyWrites.at(0).entry;
    EXPECT_EQ(std::string(entry.szLocalPhoneNumber), std::string(128, '9'));
    EXPECT_EQ(std::string(entry.szDeviceName), std::string(128, 'M'));
    EXPECT_EQ(entry.szX25PadType[0], '\0');
    const RasDialParamsV1& params = run.phonebook.dialParams.at(0);
    EXPECT_EQ(std::string(params.szEntryName), std::string(256, 'N'));
    EXPECT_EQ(std::string(params.szUserName), std::string(256, 'u'));
    EXPECT_EQ(std::string(params.szPassword), std::string(256, 'p'));
    EXPECT_EQ(params.szDomain[0], '\0');
}

// Which call fails, with which result code, and the text the writer composes.
enum class FailingCall { kValidate, kSetProperties, kDialParams };

struct ResultCase {
    FailingCall call;
    uint32_t code;
    const char* systemText;  // empty: the system has no text for the code
    const char* expected;
    size_t callsMade;
};

class RasResult : public ::testing::TestWithParam<ResultCase> {};

TEST_P(RasResult, ComposesItsTextAndFails) {
    const ResultCase& c = GetParam();
    WriterRun run;
    if (*c.systemText != '\0') {
        run.system.errorTexts[c.code] = c.systemText;
    }
    switch (c.call) {
    case FailingCall::kValidate: run.phonebook.validateResult = c.code; break;
    case FailingCall::kSetProperties: run.phonebook.setPropertiesResult = c.code; break;
    case FailingCall::kDialParams: run.phonebook.dialParamsResult = c.code; break;
    }

    const WriteOutcome outcome = run.Write();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failureText, c.expected);
    EXPECT_EQ(run.phonebook.log.size(), c.callsMade);
    EXPECT_TRUE(run.profile.writes.empty());
}

constexpr char kSysText[] = "Some system text.\r\n";

INSTANTIATE_TEST_SUITE_P(
    Codes, RasResult,
    ::testing::Values(
        ResultCase{FailingCall::kValidate, 123, kSysText,
                   "The format of the name for the new connection is invalid", 1},
        ResultCase{FailingCall::kValidate, 183, kSysText,
                   "The name for the new connection already exists", 1},
        ResultCase{FailingCall::kValidate, 623, kSysText, "The specified Phonebook doesn't exist", 1},
        ResultCase{FailingCall::kValidate, 87, kSysText,
                   "RasValidateEntryName error - Some system text.\r\n", 1},
        ResultCase{FailingCall::kValidate, 0xDEAD, "", "RasValidateEntryName error - 0x0000DEAD", 1},
        ResultCase{FailingCall::kSetProperties, 87, kSysText,
                   "The specified Ras Entry does not contain adequate parameters", 2},
        ResultCase{FailingCall::kSetProperties, 610, kSysText,
                   "The pointer to the specified Ras Entry is invalid", 2},
        ResultCase{FailingCall::kSetProperties, 621, kSysText,
                   "The Phonebook is corrupted or missing components", 2},
        ResultCase{FailingCall::kSetProperties, 623, kSysText,
                   "RasSetEntryProperties error -- Some system text.\r\n", 2},
        ResultCase{FailingCall::kSetProperties, 5, "", "RasSetEntryProperties error -- 0x00000005", 2},
        ResultCase{FailingCall::kDialParams, 610, kSysText,
                   "The pointer to the specified Ras Dail Params is invalid", 3},
        ResultCase{FailingCall::kDialParams, 621, kSysText,
                   "The Phonebook is corrupted or missing components", 3},
        ResultCase{FailingCall::kDialParams, 623, kSysText,
                   "The specified Phonebook Entries are not found", 3},
        ResultCase{FailingCall::kDialParams, 87, kSysText,
                   "RasSetEntryDialParams error - Some system text.\r\n", 3},
        ResultCase{FailingCall::kDialParams, 0x80004005u, "",
                   "RasSetEntryDialParams error - 0x80004005", 3}));

TEST(EntryWriter, UnreadableVersion_FailsBeforeTouchingThePhonebook) {
    for (const char* text : {"Access is denied.\r\n", ""}) {
        WriterRun run;
        run.system.version = OsVersion{false, 5, 0, 0, 0};
        if (*text != '\0') {
            run.system.errorTexts[5] = text;
        }
        const WriteOutcome outcome = run.Write();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.failureText,
                  *text != '\0' ? "GetVersionEx error - Access is denied.\r\n"
                                : "GetVersionEx error - 0x00000005");
        EXPECT_TRUE(run.phonebook.log.empty());
    }
}

// A 64-byte modem configuration: size field, provider subtype, DCB flags.
std::vector<uint8_t> ModemConfig(uint32_t sizeField, uint32_t subtype, uint32_t flags) {
    std::vector<uint8_t> config(64);
    for (size_t i = 0; i < config.size(); ++i) {
        config[i] = static_cast<uint8_t>(0xA0 + i);
    }
    std::memcpy(config.data() + kDevConfigSizeOffset, &sizeField, 4);
    std::memcpy(config.data() + kProviderSubtypeOffset, &subtype, 4);
    std::memcpy(config.data() + kDcbFlagsOffset, &flags, 4);
    return config;
}

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

struct Windows9xRun : WriterRun {
    explicit Windows9xRun(const std::vector<uint8_t>& config) {
        system.version = testing::Windows98();
        phonebook.deviceConfig = config;
        phonebook.reportedConfigSize = static_cast<uint32_t>(config.size());
        phonebook.returnedConfigSize = static_cast<uint32_t>(config.size());
    }
};

TEST(EntryWriter, Windows9x_ClearsExactlyTheFlowControlBitsAndWritesTheConfigBack) {
    for (OsVersion version : {testing::Windows95(), testing::Windows98()}) {
        const std::vector<uint8_t> original = ModemConfig(64, 6, 0xFFFFFFFF);
        Windows9xRun run(original);
        run.system.version = version;

        EXPECT_TRUE(run.Write().ok);

        EXPECT_EQ(run.phonebook.log, (std::vector<std::string>{"validate", "set", "dialparams",
                                                               "get", "get", "set"}));
        ASSERT_EQ(run.phonebook.propertyWrites.size(), 2u);
        const std::vector<uint8_t>& written = run.phonebook.propertyWrites[1].deviceInfo;
        ASSERT_EQ(written.size(), original.size());
        EXPECT_EQ(WordAt(written, kDcbFlagsOffset), 0xFFFFCC03u);
        for (size_t i = 0; i < written.size(); ++i) {
            if (i < kDcbFlagsOffset || i >= kDcbFlagsOffset + 4) {
                EXPECT_EQ(written[i], original[i]) << "byte " << i;
            }
        }
        EXPECT_EQ(run.phonebook.propertyWrites[1].entrySize, 1768u);
        EXPECT_TRUE(run.profile.writes.empty());
    }
}

TEST(EntryWriter, WindowsMe_PatchesThePhonebookFileInstead) {
    WriterRun run;
    run.system.version = testing::WindowsMe();
    EXPECT_TRUE(run.Write().ok);
    EXPECT_EQ(run.phonebook.log, (std::vector<std::string>{"validate", "set", "dialparams"}));
    EXPECT_EQ(run.profile.writes.size(), 3u);
}

struct ConfigCase {
    const char* name;
    uint32_t sizeField;
    uint32_t subtype;
    uint32_t returnedSize;
};

class RefusedModemConfig : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(RefusedModemConfig, FailsWithInvalidTypeAndWritesNothingBack) {
    const ConfigCase& c = GetParam();
    Windows9xRun run(ModemConfig(c.sizeField, c.subtype, 0xFFFFFFFF));
    run.phonebook.returnedConfigSize = c.returnedSize;

    const WriteOutcome outcome = run.Write();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failureText, "Invalid RASENTRY type");
    EXPECT_EQ(run.phonebook.propertyWrites.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Configs, RefusedModemConfig,
                         ::testing::Values(ConfigCase{"SizeBelow64", 63, 6, 64},
                                           ConfigCase{"SizeZero", 0, 6, 64},
                                           ConfigCase{"NotAModem", 64, 5, 64},
                                           ConfigCase{"ReturnedTooShortForSubtype", 64, 6, 51},
                                           ConfigCase{"ReturnedTooShortForFlags", 64, 6, 31},
                                           ConfigCase{"NothingReturned", 64, 6, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EntryWriter, Windows9x_ReturnedSizeJustReachingTheSubtypeIsPatched) {
    Windows9xRun run(ModemConfig(64, 6, 0x3FFF));
    run.phonebook.returnedConfigSize = 52;
    EXPECT_TRUE(run.Write().ok);
    const std::vector<uint8_t>& written = run.phonebook.propertyWrites.at(1).deviceInfo;
    ASSERT_EQ(written.size(), 52u);
    EXPECT_EQ(WordAt(written, kDcbFlagsOffset), 0x3FFFu & 0xFFFFCC03u);
}

struct Get9xCase {
    uint32_t sizeQuery;
    uint32_t configRead;
    uint32_t reset;
    const char* expected;
};

class Windows9xCallFailure : public ::testing::TestWithParam<Get9xCase> {};

TEST_P(Windows9xCallFailure, ComposesItsText) {
    const Get9xCase& c = GetParam();
    Windows9xRun run(ModemConfig(64, 6, 0));
    run.system.errorTexts[621] = "Cannot open.\r\n";
    run.phonebook.sizeQueryResult = c.sizeQuery;
    run.phonebook.configReadResult = c.configRead;
    run.phonebook.resetPropertiesResult = c.reset;

    const WriteOutcome outcome = run.Write();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failureText, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, Windows9xCallFailure,
    ::testing::Values(Get9xCase{621, 0, 0, "RasGetEntryProperties error - Cannot open.\r\n"},
                      Get9xCase{603, 0, 0, "RasGetEntryProperties error - 0x0000025B"},
                      Get9xCase{0, 621, 0, "RasGetEntryProperties error - Cannot open.\r\n"},
                      Get9xCase{0, 0, 621, "RasSetEntryProperties error - Cannot open.\r\n"},
                      Get9xCase{0, 0, 87, "RasSetEntryProperties error - 0x00000057"}));

struct ConfigPatchCase {
    const char* name;
    size_t length;
    uint32_t sizeField;
    uint32_t subtype;
    bool patched;
};

class ModemConfigPatch : public ::testing::TestWithParam<ConfigPatchCase> {};

TEST_P(ModemConfigPatch, PatchesOnlyValidModemConfigs) {
    const ConfigPatchCase& c = GetParam();
    std::vector<uint8_t> config = ModemConfig(c.sizeField, c.subtype, 0xFFFFFFFF);
    const std::vector<uint8_t> before = config;
    EXPECT_EQ(ClearModemFlowControl(config.data(), c.length), c.patched);
    EXPECT_EQ(WordAt(config, kDcbFlagsOffset), c.patched ? 0xFFFFCC03u : 0xFFFFFFFFu);
    EXPECT_TRUE(std::equal(config.begin() + kDcbFlagsOffset + 4, config.end(),
                           before.begin() + kDcbFlagsOffset + 4));
}

INSTANTIATE_TEST_SUITE_P(Configs, ModemConfigPatch,
                         ::testing::Values(ConfigPatchCase{"Valid", 64, 64, 6, true},
                                           ConfigPatchCase{"LargerSizeField", 64, 512, 6, true},
                                           ConfigPatchCase{"SizeBelow64", 64, 63, 6, false},
                                           ConfigPatchCase{"SubtypeSerial", 64, 64, 1, false},
                                           ConfigPatchCase{"Length52", 52, 64, 6, true},
                                           ConfigPatchCase{"Length51", 51, 64, 6, false},
                                           ConfigPatchCase{"Empty", 0, 64, 6, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DirectoryCase {
    std::optional<std::string> windowsDirectory;
    const char* expectedFile;  // nullptr: nothing written
};

class PhonebookFilePatch : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(PhonebookFilePatch, BuildsPathFromTheWindowsDriveOrSkips) {
    const DirectoryCase& c = GetParam();
    WriterRun run;
    run.system.windowsDirectory = c.windowsDirectory;

    EXPECT_TRUE(run.Write().ok);
    if (c.expectedFile == nullptr) {
        EXPECT_TRUE(run.profile.writes.empty());
        return;
    }
    ASSERT_EQ(run.profile.writes.size(), 3u);
    for (const testing::ProfileWrite& write : run.profile.writes) {
        EXPECT_EQ(write.file, c.expectedFile);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Directories, PhonebookFilePatch,
    ::testing::Values(
        DirectoryCase{std::string("C:\\WINDOWS"), kPbkPath},
        DirectoryCase{std::string("D:\\WINNT"),
                      "D:\\Documents and Settings\\All Users\\Application Data\\Microsoft\\Network"
                      "\\Connections\\Pbk\\rasphone.pbk"},
        DirectoryCase{std::string("E:"),
                      "E:\\Documents and Settings\\All Users\\Application Data\\Microsoft\\Network"
                      "\\Connections\\Pbk\\rasphone.pbk"},
        DirectoryCase{std::string("\\\\server\\windows"), nullptr},
        DirectoryCase{std::nullopt, nullptr}));

TEST(PhonebookFilePatch, TrueFlagsAreWrittenAsOne) {
    WriterRun run;
    EXPECT_TRUE(run.writer.PatchPhonebookFile("GPRS", true, false, true));
    ASSERT_EQ(run.profile.writes.size(), 3u);
    EXPECT_EQ(run.profile.writes[0].value, "1");
    EXPECT_EQ(run.profile.writes[1].value, "0");
    EXPECT_EQ(run.profile.writes[2].value, "1");
}

TEST(EntryDeleter, TrueOnlyWhenTheSystemDeleted) {
    WriterRun run;
    EXPECT_TRUE(run.writer.Delete("GPRS"));
    run.phonebook.deleteResult = kErrorCannotFindPhonebookEntry;
    EXPECT_FALSE(run.writer.Delete("GPRS"));
    EXPECT_EQ(run.phonebook.deletedNames, (std::vector<std::string>{"GPRS", "GPRS"}));
}

}  // namespace
}  // namespace ravelinwiz

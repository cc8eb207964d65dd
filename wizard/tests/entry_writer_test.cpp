#include "entry_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "modem_config_patch.h"
#include "wizard_doubles.h"

namespace ravelinwiz {
namespace {

using testing::EncodeInAnsi;
using testing::FakePhonebook;
using testing::FakeSystem;
using testing::RecordingProfile;

constexpr char kPbkPath[] =
    "C:\\Documents and Settings\\All Users\\Application Data\\Microsoft\\Network\\Connections\\Pbk"
    "\\rasphone.pbk";

// Characters the doubles' code page lacks (one outside the basic plane), and
// CJK ideographs, two bytes each in that code page.
const std::u16string kOutsideAnsiName = u"\u0166avo \u260E GPRS \U0001F4F6";
const std::u16string kCjk128 = std::u16string(128, u'\u7F51');
const std::u16string kModemW = u"Tavo Generic USB Wireless Modem";

struct WriterRun {
    FakeSystem system;
    FakePhonebook phonebook;
    RecordingProfile profile;
    EntryWriter writer{system, phonebook, profile};

    EntryFields fields{u"Tavo GPRS", u"*99#", u"Tavo-Nelm KM3 USB Communication Class", u"guest", u"secret"};

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

template <typename Char>
using Text = std::basic_string<Char>;

// The records hold the texts (name, number, device, user, password), the
// fixed GPRS settings and zeros everywhere else.
template <typename Char>
void ExpectRecords(const BasicRasEntryV1<Char>& entry, const BasicRasDialParamsV1<Char>& params,
                   const std::array<Text<Char>, 5>& texts) {
    using Entry = BasicRasEntryV1<Char>;
    using Params = BasicRasDialParamsV1<Char>;
    const auto& [name, number, device, user, password] = texts;
    EXPECT_EQ(entry.dwSize, sizeof entry);
    EXPECT_EQ(entry.dwfOptions, 0x05000318u);
    EXPECT_EQ(Text<Char>(entry.szLocalPhoneNumber), number);
    EXPECT_EQ(Text<Char>(entry.szDeviceType), (Text<Char>{'m', 'o', 'd', 'e', 'm'}));
    EXPECT_EQ(Text<Char>(entry.szDeviceName), device);
    EXPECT_EQ(entry.dwfNetProtocols, 4u);
    EXPECT_EQ(entry.dwFramingProtocol, 1u);
    EXPECT_TRUE(AllZeroExcept(entry, {{offsetof(Entry, dwSize), 8},
                                      {offsetof(Entry, szLocalPhoneNumber), number.size() * sizeof(Char)},
                                      {offsetof(Entry, dwfNetProtocols), 8},
                                      {offsetof(Entry, szDeviceType), 5 * sizeof(Char)},
                                      {offsetof(Entry, szDeviceName), device.size() * sizeof(Char)}}));
    EXPECT_EQ(params.dwSize, sizeof params);
    EXPECT_EQ(Text<Char>(params.szEntryName), name);
    EXPECT_EQ(Text<Char>(params.szUserName), user);
    EXPECT_EQ(Text<Char>(params.szPassword), password);
    EXPECT_TRUE(AllZeroExcept(params, {{0, 4},
                                       {offsetof(Params, szEntryName), name.size() * sizeof(Char)},
                                       {offsetof(Params, szUserName), user.size() * sizeof(Char)},
                                       {offsetof(Params, szPassword), password.size() * sizeof(Char)}}));
}

std::array<std::u16string, 5> TextsOf(const EntryFields& fields) {
    return {fields.connectionName, fields.phoneNumber, fields.deviceName, fields.userName, fields.password};
}

class NtFamilyText : public ::testing::TestWithParam<EntryFields> {};

// On the NT family every text reaches the wide records exactly as typed, and
// the phonebook file patch names the entry the same way.
TEST_P(NtFamilyText, IsWrittenAsTypedThroughTheWideCalls) {
    WriterRun run;
    run.fields = GetParam();
    const WriteOutcome outcome = run.Write();

    ASSERT_TRUE(outcome.ok) << outcome.failureText;
    EXPECT_EQ(run.phonebook.log, (std::vector<std::string>{"validateW", "setW", "dialparamsW"}));
    const testing::WidePropertiesWrite& write = run.phonebook.widePropertyWrites.at(0);
    EXPECT_EQ(write.name, run.fields.connectionName);
    EXPECT_EQ(write.entrySize, 3468u);
    ExpectRecords(write.entry, run.phonebook.wideDialParams.at(0), TextsOf(run.fields));
    EXPECT_EQ(run.phonebook.removePasswordFlags, std::vector<bool>{false});

    ASSERT_EQ(run.profile.writes.size(), 3u);
    const char* keys[] = {"HwFlowControl", "Protocol", "Compression"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(run.profile.writes[i].file, kPbkPath);
        EXPECT_EQ(run.profile.writes[i].section, run.fields.connectionName);
        EXPECT_EQ(run.profile.writes[i].key, keys[i]);
        EXPECT_EQ(run.profile.writes[i].value, "0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NtFamilyText,
    ::testing::Values(EntryFields{kOutsideAnsiName, u"*99#", kModemW, u"\u0141ukasz", u"p\u0101ss\u20AC\U0001F511"},
                      EntryFields{std::u16string(256, u'N'), std::u16string(128, u'9'), std::u16string(128, u'M'),
                                  std::u16string(256, u'u'), std::u16string(256, u'p')}));

TEST(EntryWriter, EmptyCredentials_AreWrittenEmpty) {
    WriterRun run;
    run.fields.userName.clear();
    run.fields.password.clear();
    EXPECT_TRUE(run.Write().ok);
    EXPECT_EQ(std::u16string(run.phonebook.wideDialParams.at(0).szUserName), u"");
    EXPECT_EQ(std::u16string(run.phonebook.wideDialParams.at(0).szPassword), u"");
}

struct RefusedTextCase {
    OsVersion version;
    EntryFields fields;
    const char* failure;
};

class RefusedText : public ::testing::TestWithParam<RefusedTextCase> {};

// A text its field cannot hold whole (in characters of the wide records, in
// bytes of the ANSI ones), or that the ANSI code page cannot express, is
// refused before anything is written, rather than stored cut or with
// substituted characters.
TEST_P(RefusedText, FailsBeforeWritingAnything) {
    const RefusedTextCase& c = GetParam();
    WriterRun run;
    run.system.version = c.version;
    run.fields = c.fields;

    const WriteOutcome outcome = run.Write();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failureText, c.failure);
    EXPECT_TRUE(run.phonebook.log.empty());
    EXPECT_TRUE(run.profile.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedText,
                         ::testing::Values(RefusedTextCase{testing::WindowsXp(),
                                                           {std::u16string(257, u'N'), u"*99#", kModemW, u"", u""},
                                                           "The connection name does not fit its phonebook field"},
                                           RefusedTextCase{testing::WindowsXp(),
                                                           {u"GPRS", std::u16string(129, u'9'), kModemW, u"", u""},
                                                           "The dial number does not fit its phonebook field"},
                                           RefusedTextCase{testing::WindowsXp(),
                                                           {u"GPRS", u"*99#", kModemW, u"", std::u16string(257, u'p')},
                                                           "The password does not fit its phonebook field"},
                                           RefusedTextCase{testing::WindowsMe(),
                                                           {u"GPRS", u"*99#", kModemW, kCjk128 + u"x", u""},
                                                           "The user name does not fit its phonebook field"},
                                           RefusedTextCase{
                                               testing::Windows98(),
                                               {kOutsideAnsiName, u"*99#", kModemW, u"", u""},
                                               "The connection name holds characters the ANSI code page lacks"}));

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
        case FailingCall::kValidate:
            run.phonebook.validateResult = c.code;
            break;
        case FailingCall::kSetProperties:
            run.phonebook.setPropertiesResult = c.code;
            break;
        case FailingCall::kDialParams:
            run.phonebook.dialParamsResult = c.code;
            break;
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
        ResultCase{FailingCall::kValidate, 123, kSysText, "The format of the name for the new connection is invalid",
                   1},
        ResultCase{FailingCall::kValidate, 183, kSysText, "The name for the new connection already exists", 1},
        ResultCase{FailingCall::kValidate, 623, kSysText, "The specified Phonebook doesn't exist", 1},
        ResultCase{FailingCall::kValidate, 87, kSysText, "RasValidateEntryName error - Some system text.\r\n", 1},
        ResultCase{FailingCall::kValidate, 0xDEAD, "", "RasValidateEntryName error - 0x0000DEAD", 1},
        ResultCase{FailingCall::kSetProperties, 87, kSysText,
                   "The specified Ras Entry does not contain adequate parameters", 2},
        ResultCase{FailingCall::kSetProperties, 610, kSysText, "The pointer to the specified Ras Entry is invalid", 2},
        ResultCase{FailingCall::kSetProperties, 621, kSysText, "The Phonebook is corrupted or missing components", 2},
        ResultCase{FailingCall::kSetProperties, 623, kSysText, "RasSetEntryProperties error -- Some system text.\r\n",
                   2},
        ResultCase{FailingCall::kSetProperties, 5, "", "RasSetEntryProperties error -- 0x00000005", 2},
        ResultCase{FailingCall::kDialParams, 610, kSysText, "The pointer to the specified Ras Dail Params is invalid",
                   3},
        ResultCase{FailingCall::kDialParams, 621, kSysText, "The Phonebook is corrupted or missing components", 3},
        ResultCase{FailingCall::kDialParams, 623, kSysText, "The specified Phonebook Entries are not found", 3},
        ResultCase{FailingCall::kDialParams, 87, kSysText, "RasSetEntryDialParams error - Some system text.\r\n", 3},
        ResultCase{FailingCall::kDialParams, 0x80004005u, "", "RasSetEntryDialParams error - 0x80004005", 3}));

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
                  *text != '\0' ? "GetVersionEx error - Access is denied.\r\n" : "GetVersionEx error - 0x00000005");
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

        EXPECT_EQ(run.phonebook.log, (std::vector<std::string>{"validate", "set", "dialparams", "get", "get", "set"}));
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

struct AnsiTextCase {
    OsVersion version;
    EntryFields fields;
};

class AnsiBranchText : public ::testing::TestWithParam<AnsiTextCase> {};

// On Windows 95, 98 and Me each text is written whole in the ANSI code page.
TEST_P(AnsiBranchText, IsWrittenInTheCodePage) {
    const AnsiTextCase& c = GetParam();
    Windows9xRun run(ModemConfig(64, 6, 0));
    run.system.version = c.version;
    run.fields = c.fields;
    ASSERT_TRUE(run.Write().ok);

    std::array<std::string, 5> encoded;
    for (size_t i = 0; i < encoded.size(); ++i) encoded[i] = *EncodeInAnsi(TextsOf(c.fields)[i]);
    EXPECT_EQ(run.phonebook.validatedNames, std::vector<std::string>{encoded[0]});
    EXPECT_EQ(run.phonebook.propertyWrites.at(0).name, encoded[0]);
    EXPECT_EQ(run.phonebook.propertyWrites.at(0).entrySize, 1768u);
    ExpectRecords(run.phonebook.propertyWrites.at(0).entry, run.phonebook.dialParams.at(0), encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AnsiBranchText,
    ::testing::Values(
        AnsiTextCase{testing::Windows98(), {u"Caf\u00E9 GPRS", u"*99#", kModemW, u"J\u00FCrgen", u"\u00DF\u00E9cret"}},
        AnsiTextCase{testing::WindowsMe(), {kCjk128, std::u16string(128, u'9'), kModemW, kCjk128, kCjk128}}));

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
                         ::testing::Values(ConfigCase{"SizeBelow64", 63, 6, 64}, ConfigCase{"SizeZero", 0, 6, 64},
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

INSTANTIATE_TEST_SUITE_P(Calls, Windows9xCallFailure,
                         ::testing::Values(Get9xCase{621, 0, 0, "RasGetEntryProperties error - Cannot open.\r\n"},
                                           Get9xCase{603, 0, 0, "RasGetEntryProperties error - 0x0000025B"},
                                           Get9xCase{0, 621, 0, "RasGetEntryProperties error - Cannot open.\r\n"},
                                           Get9xCase{0, 0, 621, "RasSetEntryProperties error - Cannot open.\r\n"},
                                           Get9xCase{0, 0, 87, "RasSetEntryProperties error - 0x00000057"}));

// A 32-bit process cannot hold a block of 2 GiB or more: such a reported size
// is an allocation failure, not a crash.
TEST(EntryWriter, Windows9x_ConfigSizeNoProcessCanHold_FailsAsAllocationFailure) {
    for (uint32_t size : {0x80000000u, 0xFFFFFFFFu}) {
        Windows9xRun run(ModemConfig(64, 6, 0));
        run.phonebook.reportedConfigSize = size;
        const WriteOutcome outcome = run.Write();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.failureText, "LocalAlloc failure - 0x00000008");
        EXPECT_EQ(run.phonebook.log, (std::vector<std::string>{"validate", "set", "dialparams", "get"}));
    }
}

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
    EXPECT_TRUE(std::equal(config.begin() + kDcbFlagsOffset + 4, config.end(), before.begin() + kDcbFlagsOffset + 4));
}

INSTANTIATE_TEST_SUITE_P(
    Configs, ModemConfigPatch,
    ::testing::Values(ConfigPatchCase{"Valid", 64, 64, 6, true}, ConfigPatchCase{"LargerSizeField", 64, 512, 6, true},
                      ConfigPatchCase{"SizeBelow64", 64, 63, 6, false},
                      ConfigPatchCase{"SubtypeSerial", 64, 64, 1, false}, ConfigPatchCase{"Length52", 52, 64, 6, true},
                      ConfigPatchCase{"Length51", 51, 64, 6, false}, ConfigPatchCase{"Empty", 0, 64, 6, false}),
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
    ::testing::Values(DirectoryCase{std::string("C:\\WINDOWS"), kPbkPath},
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
    EXPECT_TRUE(run.writer.PatchPhonebookFile(u"GPRS", true, false, true));
    ASSERT_EQ(run.profile.writes.size(), 3u);
    EXPECT_EQ(run.profile.writes[0].value, "1");
    EXPECT_EQ(run.profile.writes[1].value, "0");
    EXPECT_EQ(run.profile.writes[2].value, "1");
}

TEST(EntryDeleter, TrueOnlyWhenTheSystemDeleted) {
    WriterRun run;
    EXPECT_TRUE(run.writer.Delete(kOutsideAnsiName));
    run.phonebook.deleteResult = kErrorCannotFindPhonebookEntry;
    EXPECT_FALSE(run.writer.Delete(kOutsideAnsiName));
    EXPECT_EQ(run.phonebook.wideDeletedNames, (std::vector<std::u16string>{kOutsideAnsiName, kOutsideAnsiName}));
}

// On Windows 95, 98 and Me the deleter names the entry in the code page, as
// the writer does, and names none the code page cannot express: a substituted
// name could name another entry.
TEST(EntryDeleter, Windows9x_NamesTheEntryInTheCodePageOrNotAtAll) {
    WriterRun run;
    run.system.version = testing::Windows98();
    EXPECT_TRUE(run.writer.Delete(u"\u7F51 GPRS"));
    EXPECT_FALSE(run.writer.Delete(kOutsideAnsiName));
    EXPECT_EQ(run.phonebook.log, std::vector<std::string>{"delete"});
    EXPECT_EQ(run.phonebook.deletedNames, std::vector<std::string>{*EncodeInAnsi(u"\u7F51 GPRS")});
}

}  // namespace
}  // namespace ravelinwiz

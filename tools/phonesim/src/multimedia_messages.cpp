// The multimedia-message commands AT$QKMMSL, AT$QKMMSR, AT$QKMMSW, AT$QKMMSD,
// AT$QKMMSA, AT$QKMGS and AT$CHKPL, and the control requests that seed and inspect
// the message store.
#include "multimedia_messages.h"

#include <optional>
#include <vector>

#include "family_support.h"
#include "hex.h"

namespace phonesim {
namespace {

constexpr uint64_t kStoreCapacity = 2097152;
constexpr uint32_t kLargestMessage = 307200;
constexpr uint32_t kLastFolder = 3;
constexpr uint32_t kInbox = 0;
constexpr uint32_t kSent = 2;
constexpr uint32_t kDrafts = 3;
constexpr uint32_t kSettingsBits = 0x0F;
constexpr unsigned char kMessageType = 0x8C;
constexpr unsigned char kReceivedType = 0x84;
constexpr unsigned char kSendType = 0x80;
constexpr std::string_view kReadForm = "?";

// Error numbers of the $QKMMSERR line.
constexpr uint32_t kNoSuchMessage = 1;
constexpr uint32_t kNoSuchFolder = 2;
constexpr uint32_t kStoreFull = 3;
constexpr uint32_t kTooLarge = 4;
constexpr uint32_t kLocked = 5;
constexpr uint32_t kWrongCode = 6;
constexpr uint32_t kDamaged = 8;
constexpr uint32_t kNotAllowed = 9;

std::string MessageErrorLine(uint32_t number) { return InfoLine("$QKMMSERR: " + std::to_string(number)); }

uint64_t UsedBytes(const MessageStore& store) {
    uint64_t used = 0;
    for (const auto& message : store.messages) used += message.second.content.size();
    return used;
}

// The command's single number, or nothing for another parameter list.
std::optional<uint32_t> SingleNumber(std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("n")) return std::nullopt;
    return parameters->Number(0);
}

// While a lock code is set and not verified on this connection the store stays shut.
CommandHandler Locked(CommandHandler handler) {
    return [handler](CommandContext& context, std::string_view arguments) {
        if (!context.options.phoneLock.empty() && !context.state.connection.lockVerified) {
            return Answer(MessageErrorLine(kLocked));
        }
        return handler(context, arguments);
    };
}

Answer ListFolder(CommandContext& context, std::string_view arguments) {
    std::optional<uint32_t> folder = SingleNumber(arguments);
    if (!folder) return ErrorLine();
    if (*folder > kLastFolder) return MessageErrorLine(kNoSuchFolder);
    std::vector<std::string> lines;
    for (const auto& [id, message] : context.state.stores.messages.messages) {
        if (message.folder == *folder) {
            lines.push_back(InfoLine("$QKMMSL: " + std::to_string(*folder) + "," + std::to_string(id)));
        }
    }
    if (lines.empty()) return OkLine();
    std::string rest;
    for (size_t i = 1; i < lines.size(); ++i) rest += lines[i];
    return FamilyAnswer(lines[0], rest + OkLine());
}

Answer ReadMessage(CommandContext& context, std::string_view arguments) {
    std::optional<uint32_t> id = SingleNumber(arguments);
    if (!id) return ErrorLine();
    const auto& messages = context.state.stores.messages.messages;
    auto found = messages.find(*id);
    if (found == messages.end()) return MessageErrorLine(kNoSuchMessage);
    return RawDownload(context, "$QKMMSR: " + std::to_string(*id) + ",", found->second.content);
}

uint32_t CheckWrite(const MessageStore& store, uint32_t folder, uint32_t length) {
    if (folder > kLastFolder) return kNoSuchFolder;
    if (length > kLargestMessage) return kTooLarge;
    return UsedBytes(store) + length <= kStoreCapacity ? 0 : kStoreFull;
}

Answer WriteMessage(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("nnn")) return ErrorLine();
    uint32_t folder = parameters->Number(0);
    uint32_t length = parameters->Number(1);
    uint32_t crc = parameters->Number(2);
    if (uint32_t error = CheckWrite(context.state.stores.messages, folder, length)) return MessageErrorLine(error);
    return UploadAnswer(OkLine(), length, [folder, length, crc](CommandContext& done, const std::string& data) {
        MessageStore& store = done.state.stores.messages;
        if (Crc32(data) != crc) return Answer(MessageErrorLine(kDamaged));
        if (uint32_t error = CheckWrite(store, folder, length)) return Answer(MessageErrorLine(error));
        uint32_t id = store.nextId++;
        store.messages[id] = Message{folder, data};
        return FamilyAnswer(InfoLine("$QKMMSW: " + std::to_string(folder) + "," + std::to_string(id)));
    });
}

Answer DeleteMessage(CommandContext& context, std::string_view arguments) {
    std::optional<uint32_t> id = SingleNumber(arguments);
    if (!id) return ErrorLine();
    if (context.state.stores.messages.messages.erase(*id) == 0) return MessageErrorLine(kNoSuchMessage);
    return OkLine();
}

Answer Settings(CommandContext& context, std::string_view arguments) {
    uint32_t& settings = context.state.stores.messages.settings;
    if (arguments == kReadForm) return FamilyAnswer(InfoLine("$QKMMSR: " + std::to_string(settings)));
    std::optional<uint32_t> value = SingleNumber(arguments);
    if (!value) return ErrorLine();
    if ((*value & ~kSettingsBits) != 0) return MessageErrorLine(kNotAllowed);
    settings = *value;
    return OkLine();
}

Answer SendMessage(CommandContext& context, std::string_view arguments) {
    std::optional<uint32_t> id = SingleNumber(arguments);
    if (!id) return ErrorLine();
    auto& messages = context.state.stores.messages.messages;
    auto found = messages.find(*id);
    if (found == messages.end()) return MessageErrorLine(kNoSuchMessage);
    if (found->second.folder == kInbox) return MessageErrorLine(kNotAllowed);
    found->second.folder = kSent;
    return OkLine();
}

Answer VerifyLock(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("t")) return ErrorLine();
    const std::string& lock = context.options.phoneLock;
    if (!lock.empty() && parameters->Text(0) != lock) return MessageErrorLine(kWrongCode);
    context.state.connection.lockVerified = true;
    return OkLine();
}

Message DefaultMessage(uint32_t folder, size_t size) {
    std::string content = PatternContent(size);
    content[0] = static_cast<char>(kMessageType);
    content[1] = static_cast<char>(folder == kInbox ? kReceivedType : kSendType);
    return Message{folder, std::move(content)};
}

ControlResult PutControl(PhoneState& state, const std::vector<std::string>& words) {
    uint32_t folder = 0;
    std::string content;
    if (words.size() != 2 || !ParseNumberWord(words[0], folder) || folder > kLastFolder ||
        !FromHex(words[1], content)) {
        return ControlError("mms-put takes a folder and hex content");
    }
    MessageStore& store = state.stores.messages;
    uint32_t id = store.nextId++;
    store.messages[id] = Message{folder, std::move(content)};
    return ControlResult{{std::to_string(id)}, std::nullopt};
}

ControlResult GetControl(PhoneState& state, const std::vector<std::string>& words) {
    uint32_t id = 0;
    const auto& messages = state.stores.messages.messages;
    auto found = messages.end();
    if (words.size() == 1 && ParseNumberWord(words[0], id)) found = messages.find(id);
    if (found == messages.end()) return ControlError("no such message");
    return ControlResult{{ToHex(found->second.content)}, std::nullopt};
}

ControlResult ListControl(PhoneState& state, const std::vector<std::string>&) {
    ControlResult result;
    for (const auto& [id, message] : state.stores.messages.messages) {
        result.data.push_back(std::to_string(id) + "," + std::to_string(message.folder) + "," +
                              std::to_string(message.content.size()));
    }
    return result;
}

}  // namespace

MessageStore DefaultMessageStore() {
    MessageStore store;
    store.messages[1] = DefaultMessage(kInbox, 1200);
    store.messages[2] = DefaultMessage(kInbox, 5400);
    store.messages[3] = DefaultMessage(kSent, 2300);
    store.messages[4] = DefaultMessage(kDrafts, 800);
    store.nextId = 5;
    store.settings = 5;
    return store;
}

void AddMessageCommands(CommandTable& table) {
    AddFamilyCommand(table, "AT$QKMMSL", MessageErrorLine, Locked(ListFolder));
    AddFamilyCommand(table, "AT$QKMMSR", MessageErrorLine, Locked(ReadMessage));
    AddFamilyCommand(table, "AT$QKMMSW", MessageErrorLine, Locked(WriteMessage));
    AddFamilyCommand(table, "AT$QKMMSD", MessageErrorLine, Locked(DeleteMessage));
    AddFamilyCommand(table, "AT$QKMMSA", MessageErrorLine, Locked(Settings));
    AddFamilyCommand(table, "AT$QKMGS", MessageErrorLine, Locked(SendMessage));
    AddFamilyCommand(table, "AT$CHKPL", MessageErrorLine, VerifyLock);
    table.AddControl("mms-put", PutControl);
    table.AddControl("mms-get", GetControl);
    table.AddControl("mms-list", ListControl);
}

}  // namespace phonesim

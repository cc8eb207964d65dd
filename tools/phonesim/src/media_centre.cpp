// The media-centre commands AT$QKMCL (list a category, or ask which categories
// exist), AT$QKMCR (read an item) and AT$QKMCPI (name to id and back), and the
// control requests that seed and inspect the media centre.
#include "media_centre.h"

#include <optional>
#include <set>
#include <vector>

#include "family_support.h"
#include "hex.h"

namespace phonesim {
namespace {

constexpr int kLastCategory = 9;
constexpr uint32_t kMediaKind = 255;
constexpr uint32_t kReserved = 0;
constexpr uint32_t kContentFactor = 131;
constexpr uint32_t kByteMask = 0xFF;
constexpr uint32_t kNameToId = 0;
constexpr uint32_t kIdToName = 1;
constexpr uint32_t kWrongForm = 2;
constexpr std::string_view kTestForm = "=?";
constexpr std::string_view kOtherNameSuffix = "-other";
constexpr std::string_view kExtraField = ",0";
constexpr char kItemSeparator = '\n';

bool Has(const CommandContext& context, MediaFault fault) { return context.options.mcFaults.count(fault) > 0; }

std::set<int> Categories(const MediaCentre& media) {
    std::set<int> categories;
    for (const auto& item : media.items) categories.insert(item.second.category);
    return categories;
}

// "(0-2,5)": runs of neighbouring categories as ranges.
std::string CategoryGroup(const std::set<int>& categories) {
    std::string group = "(";
    for (auto it = categories.begin(); it != categories.end();) {
        int first = *it;
        int last = first;
        while (++it != categories.end() && *it == last + 1) last = *it;
        if (group.size() > 1) group += ",";
        group += std::to_string(first);
        if (last != first) group += "-" + std::to_string(last);
    }
    return group + ")";
}

// The category, name and id an answer carries, changed by the fault options.
int AnsweredCategory(const CommandContext& context, int category) {
    return Has(context, MediaFault::kOtherCategory) ? (category + 1) % (kLastCategory + 1) : category;
}

std::string AnsweredName(const CommandContext& context, const std::string& name) {
    return Has(context, MediaFault::kOtherName) ? name + std::string(kOtherNameSuffix) : name;
}

const MediaItem* FindByName(const MediaCentre& media, uint32_t category, const std::string& name, uint32_t kind,
                            uint32_t& id) {
    for (const auto& [itemId, item] : media.items) {
        if (static_cast<uint32_t>(item.category) == category && item.name == name && item.kind == kind) {
            id = itemId;
            return &item;
        }
    }
    return nullptr;
}

// One line per item of the category whose name begins with `prefix`, by id, the
// lines separated by LF: the listing travels as one block so that the PC collects
// it in one piece.
std::string Listing(const MediaCentre& media, uint32_t category, const std::string& prefix) {
    std::string listing;
    for (const auto& [id, item] : media.items) {
        if (static_cast<uint32_t>(item.category) != category || item.name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        if (!listing.empty()) listing += kItemSeparator;
        listing += std::to_string(id) + "," + std::to_string(item.kind) + "," + std::to_string(item.content.size()) +
                   ",\"" + item.name + "\"";
    }
    return listing;
}

Answer List(CommandContext& context, std::string_view arguments) {
    const MediaCentre& media = context.state.stores.media;
    if (arguments == kTestForm) {
        std::string group = context.options.mcCategories.value_or(CategoryGroup(Categories(media)));
        return FamilyAnswer(InfoLine("$QKMCL: " + group));
    }
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("nt")) return ErrorLine();
    uint32_t category = parameters->Number(0);
    const std::string& name = parameters->Text(1);
    std::string listing = Listing(media, category, name);
    if (listing.empty()) return ErrorLine();
    std::string line = "$QKMCL: " + std::to_string(AnsweredCategory(context, static_cast<int>(category))) + ",\"" +
                       AnsweredName(context, name) + "\"";
    return FamilyAnswer(InfoLine(line), OkLine() + listing + "\r\n" + OkLine());
}

Answer Read(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("nnnt")) return ErrorLine();
    uint32_t category = parameters->Number(0);
    const std::string& name = parameters->Text(3);
    uint32_t id = 0;
    const MediaItem* item = FindByName(context.state.stores.media, category, name, kMediaKind, id);
    if (parameters->Number(1) != kMediaKind || parameters->Number(2) != kReserved || item == nullptr) {
        return ErrorLine();
    }
    std::string announce = "$QKMCR: " + std::to_string(AnsweredCategory(context, item->category)) + "," +
                           std::to_string(kMediaKind) + "," + std::to_string(kReserved) + ",\"" +
                           AnsweredName(context, name) + "\",";
    return RawDownload(context, announce, item->content);
}

// "$QKMCPI: <form>,<fields>" with the form, id and extra-field faults applied.
Answer PathAnswer(const CommandContext& context, uint32_t form, const std::string& fields) {
    uint32_t answeredForm = Has(context, MediaFault::kForm2) ? kWrongForm : form;
    std::string line = "$QKMCPI: " + std::to_string(answeredForm) + "," + fields;
    if (Has(context, MediaFault::kExtraField)) line += kExtraField;
    return FamilyAnswer(InfoLine(line));
}

uint32_t AnsweredId(const CommandContext& context, uint32_t id) {
    return Has(context, MediaFault::kOtherId) ? id + 1 : id;
}

Answer PathInfo(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || parameters->Count() < 1) return ErrorLine();
    const MediaCentre& media = context.state.stores.media;
    uint32_t form = parameters->Number(0);
    if (form == kNameToId && parameters->Fits("nnnt")) {
        uint32_t id = 0;
        const MediaItem* item =
            FindByName(media, parameters->Number(1), parameters->Text(3), parameters->Number(2), id);
        if (item == nullptr) return ErrorLine();
        return PathAnswer(context, form,
                          std::to_string(AnsweredCategory(context, item->category)) + "," + std::to_string(item->kind) +
                              ",\"" + AnsweredName(context, item->name) + "\"," +
                              std::to_string(AnsweredId(context, id)));
    }
    if (form != kIdToName || !parameters->Fits("nnn")) return ErrorLine();
    auto found = media.items.find(parameters->Number(2));
    if (found == media.items.end() || static_cast<uint32_t>(found->second.category) != parameters->Number(1)) {
        return ErrorLine();
    }
    const MediaItem& item = found->second;
    return PathAnswer(context, form,
                      std::to_string(AnsweredCategory(context, item.category)) + "," +
                          std::to_string(AnsweredId(context, found->first)) + "," + std::to_string(item.kind) + ",\"" +
                          AnsweredName(context, item.name) + "\"");
}

bool ValidItemName(const std::string& name) {
    return !name.empty() && name.find_first_of("\"\r\n") == std::string::npos;
}

ControlResult PutControl(PhoneState& state, const std::vector<std::string>& words) {
    uint32_t category = 0;
    uint32_t id = 0;
    uint32_t kind = 0;
    std::string content;
    bool valid = (words.size() == 4 || words.size() == 5) && ParseNumberWord(words[0], category) &&
                 category <= kLastCategory && ParseNumberWord(words[1], id) && id > 0 &&
                 ParseNumberWord(words[2], kind) && kind <= kByteMask && ValidItemName(words[3]) &&
                 (words.size() == 4 || FromHex(words[4], content));
    if (!valid) return ControlError("mc-put takes <category> <id> <kind> <name> [<hex>]");
    state.stores.media.items[id] = MediaItem{static_cast<int>(category), kind, words[3], std::move(content)};
    return {};
}

ControlResult ListControl(PhoneState& state, const std::vector<std::string>&) {
    ControlResult result;
    for (const auto& [id, item] : state.stores.media.items) {
        result.data.push_back(std::to_string(item.category) + "," + std::to_string(id) + "," +
                              std::to_string(item.kind) + "," + std::to_string(item.content.size()) + ",\"" +
                              item.name + "\"");
    }
    return result;
}

}  // namespace

std::string MediaContent(uint32_t size) {
    std::string content(size, '\0');
    for (uint32_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * kContentFactor + size) & kByteMask);
    return content;
}

MediaCentre DefaultMediaCentre(const PhoneOptions& options) {
    MediaCentre media;
    if (!options.mcClear) {
        auto add = [&media](uint32_t id, int category, const std::string& name, uint32_t size) {
            media.items[id] = MediaItem{category, kMediaKind, name, MediaContent(size)};
        };
        add(1, 0, "Sunset.jpg", 20480);
        add(2, 0, "Caf\xC3\xA9 \xC3\xA0 Paris.jpg", 3000);
        add(3, 1, "Ring1.mid", 4096);
        add(4, 1, "Silence.mid", 0);
        add(5, 2, "Clip.3gp", 65536);
        add(6, 5, "Blue.thm", 8192);
    }
    for (const MediaItemOption& item : options.mcItems) {
        media.items[item.id] = MediaItem{item.category, kMediaKind, item.name, MediaContent(item.size)};
    }
    return media;
}

void AddMediaCentreCommands(CommandTable& table) {
    // The family has no error line of its own: --fail answers ERROR.
    auto error = [](uint32_t) { return ErrorLine(); };
    AddFamilyCommand(table, "AT$QKMCL", error, List);
    AddFamilyCommand(table, "AT$QKMCR", error, Read);
    AddFamilyCommand(table, "AT$QKMCPI", error, PathInfo);
    table.AddControl("mc-put", PutControl);
    table.AddControl("mc-list", ListControl);
}

}  // namespace phonesim

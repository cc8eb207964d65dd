// The file-system commands AT$FSRF, AT$FSWF, AT$FSDIR, AT$FSMISC and AT$FSQA, and
// the control requests that seed and inspect the file store.
#include "file_system.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "family_support.h"
#include "hex.h"

namespace phonesim {
namespace {

constexpr uint32_t kPhoneMemory = 0;
constexpr uint32_t kMemoryCard = 1;
constexpr uint32_t kBuiltIn = 4;
constexpr uint64_t kPhoneCapacity = 8388608;
constexpr uint64_t kCardCapacity = 67108864;
constexpr uint32_t kDefaultTime = 1199145600;
constexpr uint64_t kMaxReportedCount = 4294967295ULL;
constexpr size_t kMaxPathBytes = 260;
constexpr size_t kMaxNameBytes = 64;
constexpr std::string_view kForbiddenInNames = "\\:*?<>|\"/";
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr char kSeparator = '/';

constexpr uint32_t kReadOnly = 0x01;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;

// Error numbers of the $FSERROR line.
constexpr uint32_t kFine = 0;
constexpr uint32_t kNoSuchEntry = 1;
constexpr uint32_t kAlreadyExists = 2;
constexpr uint32_t kWrongType = 3;
constexpr uint32_t kNotEmpty = 4;
constexpr uint32_t kNoSpace = 5;
constexpr uint32_t kWriteProtected = 6;
constexpr uint32_t kInvalidPath = 7;
constexpr uint32_t kNoArea = 8;
constexpr uint32_t kDamaged = 9;

constexpr uint32_t kReplace = 0;
constexpr uint32_t kAppend = 1;

// Sub-commands of AT$FSMISC.
constexpr uint32_t kDeleteFile = 1;
constexpr uint32_t kRenameFile = 2;
constexpr uint32_t kNewDir = 3;
constexpr uint32_t kDeleteDir = 4;
constexpr uint32_t kRenameDir = 5;
constexpr uint32_t kSpace = 6;

using Path = std::vector<std::string>;

// "/" is the root; any other path is "/<name>" repeated, without a trailing slash.
std::optional<Path> ParsePath(std::string_view text) {
    if (text.empty() || text[0] != kSeparator || text.size() > kMaxPathBytes) return std::nullopt;
    Path path;
    if (text.size() == 1) return path;
    for (size_t start = 1;;) {
        size_t slash = text.find(kSeparator, start);
        std::string name(text.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (!ValidFileName(name)) return std::nullopt;
        path.push_back(std::move(name));
        if (slash == std::string_view::npos) return path;
        start = slash + 1;
    }
}

// Where a path leads: the directory that holds it and the entry (null when missing).
struct Place {
    uint32_t error = kFine;      // kNoSuchEntry or kWrongType when a parent is missing or a file
    FileNode* parent = nullptr;  // null for the root
    FileNode* node = nullptr;
    std::string name;
};

Place Locate(FileNode& root, const Path& path) {
    Place place;
    if (path.empty()) {
        place.node = &root;
        return place;
    }
    FileNode* directory = &root;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        auto found = directory->children.find(path[i]);
        if (found == directory->children.end()) {
            place.error = kNoSuchEntry;
            return place;
        }
        if (!found->second.directory) {
            place.error = kWrongType;
            return place;
        }
        directory = &found->second;
    }
    place.parent = directory;
    place.name = path.back();
    auto found = directory->children.find(place.name);
    place.node = found == directory->children.end() ? nullptr : &found->second;
    return place;
}

// 0 when the place holds an entry of the wanted type.
uint32_t CheckEntry(const Place& place, bool directory) {
    if (place.error != kFine) return place.error;
    if (place.node == nullptr) return kNoSuchEntry;
    return place.node->directory == directory ? kFine : kWrongType;
}

// 0 when a new entry can be made at the place.
uint32_t CheckFree(const Place& place) {
    if (place.error != kFine) return place.error;
    return place.node == nullptr ? kFine : kAlreadyExists;
}

uint64_t UsedBytes(const FileNode& node) {
    uint64_t used = node.content.size();
    for (const auto& child : node.children) used += UsedBytes(child.second);
    return used;
}

uint64_t Capacity(const FileArea& area) { return area.readOnly ? UsedBytes(area.root) : area.capacity; }

uint64_t Reported(uint64_t count) { return count < kMaxReportedCount ? count : kMaxReportedCount; }

uint32_t Attributes(const FileArea& area, uint32_t type) { return type | (area.readOnly ? kReadOnly : 0); }

// The area of a file kind: 7 for an unknown kind, 8 for a missing memory card.
uint32_t FindArea(FileStore& store, uint32_t kind, FileArea*& area) {
    auto found = store.areas.find(kind);
    if (found == store.areas.end()) return kInvalidPath;
    if (!found->second.present) return kNoArea;
    area = &found->second;
    return kFine;
}

// A request on one path, checked in the handset's order: kind and area, path,
// then for changes the write protection.
struct Target {
    uint32_t error = kFine;
    FileArea* area = nullptr;
    Path path;
};

Target Open(FileStore& store, uint32_t kind, std::string_view text, bool change) {
    Target target;
    target.error = FindArea(store, kind, target.area);
    if (target.error != kFine) return target;
    std::optional<Path> path = ParsePath(text);
    if (!path) {
        target.error = kInvalidPath;
    } else if (change && target.area->readOnly) {
        target.error = kWriteProtected;
    } else {
        target.path = std::move(*path);
    }
    return target;
}

FileNode NewFile(const FileArea& area, std::string content, uint32_t time) {
    FileNode file;
    file.content = std::move(content);
    file.attributes = Attributes(area, kArchive);
    file.modified = time;
    return file;
}

FileNode NewDirectory(const FileArea& area, uint32_t time) {
    FileNode directory;
    directory.directory = true;
    directory.attributes = Attributes(area, kDirectory);
    directory.modified = time;
    return directory;
}

std::string ListingLine(const std::string& name, const FileNode& node) {
    return std::to_string(node.attributes) + "," + std::to_string(node.content.size()) + "," +
           std::to_string(node.modified) + ",\"" + name + "\"";
}

std::string Listing(const FileNode& directory) {
    std::vector<std::string> lines;
    for (const auto& child : directory.children) lines.push_back(ListingLine(child.first, child.second));
    return JoinLines(lines);
}

std::string KindPrefix(const std::string& keyword, uint32_t kind) {
    return keyword + ": " + std::to_string(kind) + ",";
}

Answer ReadFile(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("nt")) return ErrorLine();
    Target target = Open(context.state.stores.files, parameters->Number(0), parameters->Text(1), false);
    if (target.error != kFine) return FileErrorLine(target.error);
    Place place = Locate(target.area->root, target.path);
    if (uint32_t error = CheckEntry(place, false)) return FileErrorLine(error);
    return RawDownload(context, KindPrefix("$FSRF", parameters->Number(0)), place.node->content);
}

// Everything a write is checked for before its go-ahead: the path and the space.
uint32_t CheckWrite(FileStore& store, uint32_t kind, const std::string& text, uint32_t mode, uint32_t length) {
    Target target = Open(store, kind, text, true);
    if (target.error != kFine) return target.error;
    Place place = Locate(target.area->root, target.path);
    if (place.error != kFine) return place.error;
    if (place.node != nullptr && place.node->directory) return kWrongType;
    uint64_t used = UsedBytes(target.area->root);
    if (mode == kReplace && place.node != nullptr) used -= place.node->content.size();
    return used + length <= target.area->capacity ? kFine : kNoSpace;
}

void StoreWrite(FileStore& store, uint32_t kind, const std::string& text, uint32_t mode, const std::string& data,
                uint32_t time) {
    Target target = Open(store, kind, text, true);
    Place place = Locate(target.area->root, target.path);
    if (place.node == nullptr) {
        place.parent->children.emplace(place.name, NewFile(*target.area, data, time));
        return;
    }
    if (mode == kAppend) {
        place.node->content += data;
    } else {
        place.node->content = data;
    }
    place.node->modified = time;
}

Answer WriteFile(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("ntnnn")) return ErrorLine();
    uint32_t kind = parameters->Number(0);
    std::string path = parameters->Text(1);
    uint32_t mode = parameters->Number(2);
    uint32_t length = parameters->Number(3);
    uint32_t crc = parameters->Number(4);
    if (mode != kReplace && mode != kAppend) return ErrorLine();
    if (uint32_t error = CheckWrite(context.state.stores.files, kind, path, mode, length)) return FileErrorLine(error);
    return UploadAnswer(OkLine(), length, [=](CommandContext& done, const std::string& data) {
        if (Crc32(data) != crc) return Answer(FileErrorLine(kDamaged));
        FileStore& files = done.state.stores.files;
        if (uint32_t error = CheckWrite(files, kind, path, mode, length)) return Answer(FileErrorLine(error));
        StoreWrite(files, kind, path, mode, data, done.clock);
        return Answer(OkLine());
    });
}

Answer ListDirectory(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("nt")) return ErrorLine();
    Target target = Open(context.state.stores.files, parameters->Number(0), parameters->Text(1), false);
    if (target.error != kFine) return FileErrorLine(target.error);
    Place place = Locate(target.area->root, target.path);
    if (uint32_t error = CheckEntry(place, true)) return FileErrorLine(error);
    return RawDownload(context, KindPrefix("$FSDIR", parameters->Number(0)), Listing(*place.node));
}

bool Inside(const Path& inner, const Path& outer) {
    return inner.size() > outer.size() && std::equal(outer.begin(), outer.end(), inner.begin());
}

// Sub-commands 1 to 5 on an area that exists and may be changed.
uint32_t Change(FileArea& area, uint32_t sub, const Path& path, const Path& newPath, uint32_t time) {
    bool onDirectory = sub == kDeleteDir || sub == kRenameDir;
    if (onDirectory && (path.empty() || Inside(newPath, path))) return kInvalidPath;
    Place place = Locate(area.root, path);
    if (sub == kNewDir) {
        if (uint32_t error = path.empty() ? kAlreadyExists : CheckFree(place)) return error;
        place.parent->children.emplace(place.name, NewDirectory(area, time));
        return kFine;
    }
    if (uint32_t error = CheckEntry(place, onDirectory)) return error;
    if (sub == kDeleteFile || sub == kDeleteDir) {
        if (!place.node->children.empty()) return kNotEmpty;
        place.parent->children.erase(place.name);
        return kFine;
    }
    Place destination = Locate(area.root, newPath);
    if (uint32_t error = newPath.empty() ? kAlreadyExists : CheckFree(destination)) return error;
    FileNode moved = std::move(*place.node);
    place.parent->children.erase(place.name);
    destination.parent->children.emplace(destination.name, std::move(moved));
    return kFine;
}

Answer Space(CommandContext& context, uint32_t kind) {
    FileArea* area = nullptr;
    if (uint32_t error = FindArea(context.state.stores.files, kind, area)) return FileErrorLine(error);
    uint64_t used = UsedBytes(area->root);
    uint64_t capacity = Capacity(*area);
    return FamilyAnswer(InfoLine("$FSMISC: 6," + std::to_string(kind) + "," + std::to_string(Reported(capacity)) + "," +
                                 std::to_string(Reported(used)) + "," + std::to_string(Reported(capacity - used))));
}

bool MiscShapeFits(const Parameters& parameters) {
    if (parameters.Count() < 2) return false;
    switch (parameters.Number(0)) {
        case kSpace:
            return parameters.Fits("nn");
        case kDeleteFile:
        case kNewDir:
        case kDeleteDir:
            return parameters.Fits("nnt");
        case kRenameFile:
        case kRenameDir:
            return parameters.Fits("nntt");
        default:
            return false;
    }
}

Answer Misc(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !MiscShapeFits(*parameters)) return ErrorLine();
    uint32_t sub = parameters->Number(0);
    uint32_t kind = parameters->Number(1);
    if (sub == kSpace) return Space(context, kind);
    Target target = Open(context.state.stores.files, kind, parameters->Text(2), false);
    if (target.error != kFine) return FileErrorLine(target.error);
    Path newPath;
    if (parameters->Count() == 4) {
        std::optional<Path> parsed = ParsePath(parameters->Text(3));
        if (!parsed) return FileErrorLine(kInvalidPath);
        newPath = std::move(*parsed);
    }
    if (target.area->readOnly) return FileErrorLine(kWriteProtected);
    if (uint32_t error = Change(*target.area, sub, target.path, newPath, context.clock)) return FileErrorLine(error);
    return FamilyAnswer(InfoLine("$FSMISC: " + std::to_string(sub) + "," + std::to_string(kind)));
}

Answer QueryAttributes(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("nt")) return ErrorLine();
    Target target = Open(context.state.stores.files, parameters->Number(0), parameters->Text(1), false);
    if (target.error != kFine) return FileErrorLine(target.error);
    Place place = Locate(target.area->root, target.path);
    if (place.error != kFine) return FileErrorLine(place.error);
    if (place.node == nullptr) return FileErrorLine(kNoSuchEntry);
    const FileNode& node = *place.node;
    return FamilyAnswer(InfoLine(KindPrefix("$FSQA", parameters->Number(0)) + std::to_string(node.content.size()) +
                                 "," + std::to_string(node.attributes) + "," + std::to_string(node.modified)));
}

FileArea DefaultArea(bool readOnly, uint64_t capacity) {
    FileArea area;
    area.readOnly = readOnly;
    area.capacity = capacity;
    area.root = NewDirectory(area, kDefaultTime);
    return area;
}

FileNode& AddDirectory(FileArea& area, FileNode& parent, const std::string& name) {
    return parent.children.emplace(name, NewDirectory(area, kDefaultTime)).first->second;
}

void AddFile(FileArea& area, FileNode& directory, const std::string& name, std::string content) {
    directory.children.emplace(name, NewFile(area, std::move(content), kDefaultTime));
}

// Control requests: "<area> <path> ...". Seeding makes missing directories on the way.
struct ControlTarget {
    FileArea* area = nullptr;
    Path path;
};

std::optional<std::string> FindControlTarget(PhoneState& state, const std::vector<std::string>& words, size_t count,
                                             ControlTarget& target) {
    if (words.size() != count) return std::string("wrong number of words");
    std::map<uint32_t, FileArea>& areas = state.stores.files.areas;
    auto area = areas.end();
    uint32_t kind = 0;
    if (ParseNumberWord(words[0], kind)) area = areas.find(kind);
    if (area == areas.end()) return "no area " + words[0];
    std::optional<Path> path = ParsePath(words[1]);
    if (!path) return "invalid path " + words[1];
    target.area = &area->second;
    target.path = std::move(*path);
    return std::nullopt;
}

// The directory `path` of an area, made with its parents where missing; null when
// a file stands in the way.
FileNode* SeedDirectory(FileArea& area, const Path& path) {
    FileNode* directory = &area.root;
    for (const std::string& name : path) {
        auto found = directory->children.find(name);
        if (found == directory->children.end()) {
            found = directory->children.emplace(name, NewDirectory(area, kDefaultTime)).first;
        }
        if (!found->second.directory) return nullptr;
        directory = &found->second;
    }
    return directory;
}

ControlResult SeedFile(ControlTarget& target, std::string content) {
    if (target.path.empty()) return ControlError("the root is a directory");
    Path parentPath(target.path.begin(), target.path.end() - 1);
    FileNode* parent = SeedDirectory(*target.area, parentPath);
    if (parent == nullptr) return ControlError("a file stands in the way");
    auto found = parent->children.find(target.path.back());
    if (found != parent->children.end() && found->second.directory) return ControlError("a directory has that path");
    parent->children[target.path.back()] = NewFile(*target.area, std::move(content), kDefaultTime);
    return {};
}

ControlResult PutControl(PhoneState& state, const std::vector<std::string>& words) {
    ControlTarget target;
    std::vector<std::string> padded = words;
    if (padded.size() == 2) padded.emplace_back();
    if (auto error = FindControlTarget(state, padded, 3, target)) return ControlError(*error);
    std::string content;
    if (!FromHex(padded[2], content)) return ControlError("fs-put takes hex content");
    return SeedFile(target, std::move(content));
}

ControlResult FillControl(PhoneState& state, const std::vector<std::string>& words) {
    ControlTarget target;
    uint32_t size = 0;
    if (auto error = FindControlTarget(state, words, 3, target)) return ControlError(*error);
    if (!ParseNumberWord(words[2], size)) return ControlError("fs-fill takes a size");
    return SeedFile(target, PatternContent(size));
}

ControlResult MakeDirectoryControl(PhoneState& state, const std::vector<std::string>& words) {
    ControlTarget target;
    if (auto error = FindControlTarget(state, words, 2, target)) return ControlError(*error);
    if (SeedDirectory(*target.area, target.path) == nullptr) return ControlError("a file stands in the way");
    return {};
}

ControlResult GetControl(PhoneState& state, const std::vector<std::string>& words) {
    ControlTarget target;
    if (auto error = FindControlTarget(state, words, 2, target)) return ControlError(*error);
    Place place = Locate(target.area->root, target.path);
    if (CheckEntry(place, false) != kFine) return ControlError("no file " + words[1]);
    return ControlResult{{ToHex(place.node->content)}, std::nullopt};
}

ControlResult ListControl(PhoneState& state, const std::vector<std::string>& words) {
    ControlTarget target;
    if (auto error = FindControlTarget(state, words, 2, target)) return ControlError(*error);
    Place place = Locate(target.area->root, target.path);
    if (CheckEntry(place, true) != kFine) return ControlError("no directory " + words[1]);
    ControlResult result;
    for (const auto& child : place.node->children) result.data.push_back(ListingLine(child.first, child.second));
    return result;
}

}  // namespace

FileStore DefaultFileStore(const PhoneOptions& options) {
    FileStore store;
    FileArea& phone = store.areas[kPhoneMemory] = DefaultArea(false, kPhoneCapacity);
    AddFile(phone, AddDirectory(phone, phone.root, "Pictures"), "Sunset.jpg", PatternContent(20480));
    AddFile(phone, AddDirectory(phone, phone.root, "Sounds"), "Ring1.mid", PatternContent(4096));
    FileNode& documents = AddDirectory(phone, phone.root, "Documents");
    AddFile(phone, documents, "Notes.txt", "Buy milk\r\nCall Anna\r\n");
    AddFile(phone, documents, "Caf\xC3\xA9.txt", "Menu\r\n");

    FileArea& card = store.areas[kMemoryCard] = DefaultArea(false, kCardCapacity);
    card.present = !options.noCard;
    AddFile(card, AddDirectory(card, card.root, "Music"), "Song.mp3", PatternContent(65536));
    AddDirectory(card, card.root, "Backup");

    FileArea& builtIn = store.areas[kBuiltIn] = DefaultArea(true, 0);
    AddFile(builtIn, AddDirectory(builtIn, builtIn.root, "Themes"), "Default.thm", PatternContent(8192));
    AddFile(builtIn, AddDirectory(builtIn, builtIn.root, "Sounds"), "Alarm.mid", PatternContent(2048));
    return store;
}

std::string FileErrorLine(uint32_t number) { return InfoLine("$FSERROR: " + std::to_string(number)); }

bool ValidFileName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < kFirstPrintable || c == kDelete ||
            kForbiddenInNames.find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

bool HasFile(const FileStore& store, uint32_t kind, std::string_view text) {
    auto area = store.areas.find(kind);
    std::optional<Path> path = ParsePath(text);
    if (area == store.areas.end() || !path || path->empty()) return false;
    const FileNode* node = &area->second.root;
    for (const std::string& name : *path) {
        auto found = node->children.find(name);
        if (found == node->children.end()) return false;
        node = &found->second;
    }
    return !node->directory;
}

void AddFileSystemCommands(CommandTable& table) {
    AddFamilyCommand(table, "AT$FSRF", FileErrorLine, ReadFile);
    AddFamilyCommand(table, "AT$FSWF", FileErrorLine, WriteFile);
    AddFamilyCommand(table, "AT$FSDIR", FileErrorLine, ListDirectory);
    AddFamilyCommand(table, "AT$FSMISC", FileErrorLine, Misc);
    AddFamilyCommand(table, "AT$FSQA", FileErrorLine, QueryAttributes);
    table.AddControl("fs-put", PutControl);
    table.AddControl("fs-fill", FillControl);
    table.AddControl("fs-mkdir", MakeDirectoryControl);
    table.AddControl("fs-get", GetControl);
    table.AddControl("fs-list", ListControl);
}

}  // namespace phonesim

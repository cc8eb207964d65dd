// The camera-picture commands AT$QKDSCDIR, AT$QKDSCRF and AT$QKDSCMV, and the
// control requests that seed and inspect the album.
#include "camera_pictures.h"

#include <optional>
#include <vector>

#include "family_support.h"
#include "file_system.h"
#include "hex.h"

namespace phonesim {
namespace {

constexpr uint32_t kFirstPictureTime = 1199145601;
constexpr unsigned char kJpegMarker = 0xFF;
constexpr unsigned char kJpegStart = 0xD8;
constexpr unsigned char kJpegEnd = 0xD9;

// Error numbers of the file-system error line that this family uses.
constexpr uint32_t kNoSuchPicture = 1;
constexpr uint32_t kNameTaken = 2;
constexpr uint32_t kInvalidName = 7;

constexpr uint32_t kMove = 0;
constexpr uint32_t kDelete = 1;

// A picture named "<folder>/<file>".
struct PictureName {
    std::string folder;
    std::string file;
};

std::optional<PictureName> ParsePictureName(const std::string& text) {
    size_t slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    PictureName name{text.substr(0, slash), text.substr(slash + 1)};
    if (!ValidFileName(name.folder) || !ValidFileName(name.file)) return std::nullopt;
    return name;
}

// The picture of a name, or the error number.
uint32_t FindPicture(Album& album, const std::optional<PictureName>& name, Picture*& picture) {
    if (!name) return kInvalidName;
    auto folder = album.find(name->folder);
    if (folder == album.end()) return kNoSuchPicture;
    auto found = folder->second.find(name->file);
    if (found == folder->second.end()) return kNoSuchPicture;
    picture = &found->second;
    return 0;
}

std::string FolderListing(const Album& album) {
    std::vector<std::string> lines;
    for (const auto& folder : album)
        lines.push_back(std::to_string(folder.second.size()) + ",\"" + folder.first + "\"");
    return JoinLines(lines);
}

std::string PictureLine(const std::string& name, const Picture& picture) {
    return std::to_string(picture.content.size()) + "," + std::to_string(picture.time) + ",\"" + name + "\"";
}

std::string PictureListing(const PictureFolder& folder) {
    std::vector<std::string> lines;
    for (const auto& picture : folder) lines.push_back(PictureLine(picture.first, picture.second));
    return JoinLines(lines);
}

Answer ListFolder(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("t")) return ErrorLine();
    const Album& album = context.state.stores.album;
    const std::string& folder = parameters->Text(0);
    if (folder.empty()) return RawDownload(context, "$QKDSCDIR: ", FolderListing(album));
    if (!ValidFileName(folder)) return FileErrorLine(kInvalidName);
    auto found = album.find(folder);
    if (found == album.end()) return FileErrorLine(kNoSuchPicture);
    return RawDownload(context, "$QKDSCDIR: ", PictureListing(found->second));
}

Answer ReadPicture(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("t")) return ErrorLine();
    Picture* picture = nullptr;
    if (uint32_t error = FindPicture(context.state.stores.album, ParsePictureName(parameters->Text(0)), picture)) {
        return FileErrorLine(error);
    }
    return RawDownload(context, "$QKDSCRF: ", picture->content);
}

uint32_t MovePicture(Album& album, const std::string& from, const std::string& to) {
    std::optional<PictureName> source = ParsePictureName(from);
    std::optional<PictureName> destination = ParsePictureName(to);
    if (!source || !destination) return kInvalidName;
    Picture* picture = nullptr;
    if (uint32_t error = FindPicture(album, source, picture)) return error;
    auto folder = album.find(destination->folder);
    if (folder == album.end()) return kNoSuchPicture;
    if (folder->second.count(destination->file) > 0) return kNameTaken;
    Picture moved = std::move(*picture);
    album[source->folder].erase(source->file);
    folder->second.emplace(destination->file, std::move(moved));
    return 0;
}

uint32_t DeletePicture(Album& album, const std::string& text) {
    std::optional<PictureName> name = ParsePictureName(text);
    Picture* picture = nullptr;
    if (uint32_t error = FindPicture(album, name, picture)) return error;
    album[name->folder].erase(name->file);
    return 0;
}

Answer MoveOrDelete(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || parameters->Count() < 1) return ErrorLine();
    uint32_t mode = parameters->Number(0);
    Album& album = context.state.stores.album;
    uint32_t error = 0;
    if (mode == kMove && parameters->Fits("ntt")) {
        error = MovePicture(album, parameters->Text(1), parameters->Text(2));
    } else if (mode == kDelete && parameters->Fits("nt")) {
        error = DeletePicture(album, parameters->Text(1));
    } else {
        return ErrorLine();
    }
    if (error != 0) return FileErrorLine(error);
    return FamilyAnswer(InfoLine("$QKDSCMV: " + std::to_string(mode)));
}

std::string JpegLike(size_t size) {
    std::string content = PatternContent(size);
    content[0] = static_cast<char>(kJpegMarker);
    content[1] = static_cast<char>(kJpegStart);
    content[size - 2] = static_cast<char>(kJpegMarker);
    content[size - 1] = static_cast<char>(kJpegEnd);
    return content;
}

ControlResult PutControl(PhoneState& state, const std::vector<std::string>& words) {
    std::string content;
    if (words.size() < 1 || words.size() > 2) return ControlError("dsc-put takes a picture name and hex content");
    std::optional<PictureName> name = ParsePictureName(words[0]);
    if (!name) return ControlError("invalid picture name " + words[0]);
    if (words.size() == 2 && !FromHex(words[1], content)) return ControlError("dsc-put takes hex content");
    state.stores.album[name->folder][name->file] = Picture{std::move(content), kFirstPictureTime};
    return {};
}

ControlResult GetControl(PhoneState& state, const std::vector<std::string>& words) {
    Picture* picture = nullptr;
    if (words.size() != 1 || FindPicture(state.stores.album, ParsePictureName(words[0]), picture) != 0) {
        return ControlError("no such picture");
    }
    return ControlResult{{ToHex(picture->content)}, std::nullopt};
}

ControlResult ListControl(PhoneState& state, const std::vector<std::string>&) {
    ControlResult result;
    for (const auto& folder : state.stores.album) {
        for (const auto& picture : folder.second) {
            result.data.push_back(PictureLine(folder.first + "/" + picture.first, picture.second));
        }
    }
    return result;
}

}  // namespace

Album DefaultAlbum() {
    Album album;
    album["Camera"]["DSC00001.jpg"] = Picture{JpegLike(30720), kFirstPictureTime};
    album["Camera"]["DSC00002.jpg"] = Picture{JpegLike(45056), kFirstPictureTime + 1};
    album["Album"]["Beach.jpg"] = Picture{JpegLike(12288), kFirstPictureTime + 2};
    return album;
}

void AddCameraCommands(CommandTable& table) {
    AddFamilyCommand(table, "AT$QKDSCDIR", FileErrorLine, ListFolder);
    AddFamilyCommand(table, "AT$QKDSCRF", FileErrorLine, ReadPicture);
    AddFamilyCommand(table, "AT$QKDSCMV", FileErrorLine, MoveOrDelete);
    table.AddControl("dsc-put", PutControl);
    table.AddControl("dsc-get", GetControl);
    table.AddControl("dsc-list", ListControl);
}

}  // namespace phonesim

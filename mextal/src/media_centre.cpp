// The media centre: listing a category, asking which categories exist, reading
// an item, and translating between an item's name and its id.
#include <cstdlib>
#include <cstring>
#include <string>

#include "answer_codes.h"
#include "family_operations.h"
#include "media_records.h"
#include "text_convert.h"
#include "text_fields.h"

namespace {

constexpr int32_t kMaxCategory = 9;
constexpr int32_t kMaxKind = 9;
// The most content one item may announce. Handset media items (pictures, tones,
// clips) stay far below it; a larger or negative length is a garbled answer
// and must not turn into a huge allocation.
constexpr int32_t kMaxItemContentBytes = 64 * 1024 * 1024;
// The two bytes that follow an item's content on the line.
constexpr uint32_t kContentTrailerBytes = 2;

bool IsCategory(int32_t category) { return category >= 0 && category <= kMaxCategory; }

bool IsIdKind(int32_t kind) { return (kind >= 0 && kind <= kMaxKind) || kind == MC_ITEM_MEDIA_CENTER; }

// Names go out between double quotes without escaping: a quote would end the
// field early and a CR or LF would end the command line and start another one.
bool IsSendable(std::string_view name) { return name.find_first_of("\"\r\n") == std::string_view::npos; }

// Puts the caller's name into a request field, converted for the handset when
// `convert` is set. False when it cannot be converted, does not fit or is not
// sendable.
template <size_t N>
bool StoreOutgoingName(const char* name, char (&field)[N], bool convert) {
    std::string converted;
    std::string_view text = name;
    if (convert) {
        if (!mextal::ToHandsetText(text, converted)) return false;
        text = converted;
    }
    if (text.size() >= N || !IsSendable(text)) return false;
    mextal::CopyTerminated(text, field, N);
    return true;
}

// A response record that carries the form of its request.
AtResponse MediaResponse(int32_t form) {
    AtResponse response{};
    response.familyValue = form;
    return response;
}

}  // namespace

int32_t MediaCentreOps::RequestAnswer(const PortSettings* settings, const AtRequest& request, AtResponse* response,
                                      AtCommandId answer, int32_t timeoutMs) {
    int32_t result = engine_.ApplyPortSettings(settings);
    if (result == MEXTAL_OK) result = engine_.Handshake(settings, true);
    if (result == MEXTAL_OK) result = engine_.SendRequest(settings, request);
    if (result == MEXTAL_OK) result = engine_.ReceiveResponse(settings, response, timeoutMs);
    if (result == MEXTAL_OK && response->id != answer) result = MisplacedAnswerCode(response->id);
    return result;
}

int32_t MediaCentreOps::ReceiveFinalAnswer(const PortSettings* settings) {
    AtResponse response{};
    int32_t result = engine_.ReceiveResponse(settings, &response, engine_.ResponseTimeoutMs());
    return result == MEXTAL_OK ? FinalAnswerCode(response.id) : result;
}

int32_t MediaCentreOps::ListMediaCenter(const PortSettings* settings, int32_t category, const char* name, char** text,
                                        uint32_t* length) {
    if (settings == nullptr || !IsCategory(category) || name == nullptr || text == nullptr || *text != nullptr ||
        length == nullptr || *length != 0 || !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    MediaListFields fields{};
    fields.category = category;
    if (!StoreOutgoingName(name, fields.name, true)) return MEXTAL_BAD_ARGUMENT;
    AtRequest request{};
    StoreMediaRequest(request, AT_CMD_QKMCL, kMediaListForm, fields);
    AtResponse response = MediaResponse(kMediaListForm);
    int32_t result = RequestAnswer(settings, request, &response, AT_RSP_QKMCL, engine_.FirstListAnswerTimeoutMs());
    if (result == MEXTAL_OK && MediaAnswerFields<MediaListFields>(response).category != category) {
        result = MEXTAL_UNEXPECTED_ANSWER;
    }
    if (result == MEXTAL_OK) result = ReceiveFinalAnswer(settings);
    if (result == MEXTAL_OK) result = ReceiveListing(settings, text, length);
    if (result == MEXTAL_OK) result = ReceiveFinalAnswer(settings);
    if (result != MEXTAL_OK) {
        ReleaseHandedOut(text);
        *length = 0;
    }
    return result;
}

// The listing arrives as one block in UTF-8; the caller gets it as text in the
// local code page, with the terminator counted in its length.
int32_t MediaCentreOps::ReceiveListing(const PortSettings* settings, char** text, uint32_t* length) {
    char* block = nullptr;
    uint32_t blockLength = 0;
    int32_t result = engine_.ReceiveBlock(settings, &block, &blockLength, engine_.LongTimeoutMs());
    if (result != MEXTAL_OK) return result;
    std::string listing;
    bool converted = mextal::FromHandsetText(mextal::TextOf(block, blockLength), listing);
    std::free(block);
    if (!converted) return MEXTAL_UNEXPECTED_ANSWER;
    *text = static_cast<char*>(std::malloc(listing.size() + 1));
    if (*text == nullptr) return MEXTAL_BAD_ARGUMENT;
    std::memcpy(*text, listing.c_str(), listing.size() + 1);
    *length = static_cast<uint32_t>(listing.size() + 1);
    return MEXTAL_OK;
}

int32_t MediaCentreOps::ReadMediaCenter(const PortSettings* settings, int32_t category, int32_t kind, int32_t reserved,
                                        const char* name, uint8_t** data, uint32_t* length) {
    if (settings == nullptr || !IsCategory(category) || kind != MC_ITEM_MEDIA_CENTER || reserved != 0 ||
        name == nullptr || data == nullptr || *data != nullptr || length == nullptr || *length != 0 ||
        !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    MediaReadFields fields{};
    fields.category = category;
    fields.kind = static_cast<uint8_t>(kind);
    fields.reserved = static_cast<uint8_t>(reserved);
    // The handset compares the name byte for byte: it goes out unchanged.
    if (!StoreOutgoingName(name, fields.name, false)) return MEXTAL_BAD_ARGUMENT;
    AtRequest request{};
    StoreMediaRequest(request, AT_CMD_QKMCR, 0, fields);
    AtResponse response{};
    int32_t result = RequestAnswer(settings, request, &response, AT_RSP_QKMCR, engine_.ResponseTimeoutMs());
    MediaReadFields answer = MediaAnswerFields<MediaReadFields>(response);
    if (result == MEXTAL_OK && FieldText(answer.name) != FieldText(fields.name)) result = MEXTAL_UNEXPECTED_ANSWER;
    if (result == MEXTAL_OK) result = ReceiveItemContent(settings, answer.contentLength, data, length);
    if (result != MEXTAL_OK) {
        ReleaseHandedOut(data);
        *length = 0;
    }
    return result;
}

// The content comes straight into the caller's buffer, followed by two bytes
// that stay in the buffer but not in the length, and then the final answer,
// which may be glued to the last content chunk.
int32_t MediaCentreOps::ReceiveItemContent(const PortSettings* settings, int32_t announcedLength, uint8_t** data,
                                           uint32_t* length) {
    if (announcedLength < 0 || announcedLength > kMaxItemContentBytes) return MEXTAL_UNEXPECTED_ANSWER;
    uint32_t total = static_cast<uint32_t>(announcedLength) + kContentTrailerBytes;
    *data = static_cast<uint8_t*>(std::malloc(total));
    if (*data == nullptr) return MEXTAL_BAD_ARGUMENT;
    *length = static_cast<uint32_t>(announcedLength);
    AtResponse response{};
    int32_t result =
        engine_.ReceiveRaw(settings, &response, reinterpret_cast<char*>(*data), total, engine_.ResponseTimeoutMs());
    if (response.id == AT_RSP_RAW_DATA && result != MEXTAL_OK) return result;
    if (response.id == AT_RSP_OK || response.id == AT_RSP_ERROR) return FinalAnswerCode(response.id);
    return ReceiveFinalAnswer(settings);
}

int32_t MediaCentreOps::GetMediaCenterId(const PortSettings* settings, int32_t category, int32_t kind, const char* name,
                                         int32_t* id) {
    if (settings == nullptr || !IsCategory(category) || !IsIdKind(kind) || name == nullptr || id == nullptr ||
        *id != 0 || !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    MediaIdFields fields{};
    fields.category = category;
    fields.kind = static_cast<uint8_t>(kind);
    if (!StoreOutgoingName(name, fields.name, true)) return MEXTAL_BAD_ARGUMENT;
    AtRequest request{};
    StoreMediaRequest(request, AT_CMD_QKMCPI, kMediaNameToIdForm, fields);
    AtResponse response = MediaResponse(kMediaNameToIdForm);
    int32_t result = RequestAnswer(settings, request, &response, AT_RSP_QKMCPI, engine_.ResponseTimeoutMs());
    if (result == MEXTAL_OK && response.familyValue != kMediaNameToIdForm) result = MEXTAL_UNEXPECTED_ANSWER;
    if (result == MEXTAL_OK) {
        MediaIdFields answer = MediaAnswerFields<MediaIdFields>(response);
        // The id is handed back even when the name differs, so that a caller
        // can see what the handset answered.
        *id = answer.id;
        if (FieldText(answer.name) != FieldText(fields.name)) result = MEXTAL_UNEXPECTED_ANSWER;
    }
    if (result == MEXTAL_OK) result = ReceiveFinalAnswer(settings);
    return result;
}

int32_t MediaCentreOps::GetMediaCenterPath(const PortSettings* settings, int32_t category, int32_t id, int32_t* kind,
                                           char* name) {
    if (settings == nullptr || !IsCategory(category) || id == 0 || kind == nullptr || *kind != 0 || name == nullptr ||
        !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    // The caller's buffer has no size: nothing longer than the record's name
    // field (386 characters and the terminator) is ever written to it.
    name[0] = '\0';
    MediaIdFields fields{};
    fields.category = category;
    fields.id = id;
    AtRequest request{};
    StoreMediaRequest(request, AT_CMD_QKMCPI, kMediaIdToNameForm, fields);
    AtResponse response = MediaResponse(kMediaIdToNameForm);
    int32_t result = RequestAnswer(settings, request, &response, AT_RSP_QKMCPI, engine_.ResponseTimeoutMs());
    MediaIdFields answer = MediaAnswerFields<MediaIdFields>(response);
    if (result == MEXTAL_OK && (response.familyValue != kMediaIdToNameForm || answer.id != id)) {
        result = MEXTAL_UNEXPECTED_ANSWER;
    }
    std::string local;
    if (result == MEXTAL_OK &&
        (!mextal::FromHandsetText(FieldText(answer.name), local) || local.size() > kMediaIdNameCharacters)) {
        result = MEXTAL_UNEXPECTED_ANSWER;
    }
    if (result == MEXTAL_OK) {
        std::memcpy(name, local.c_str(), local.size() + 1);
        *kind = answer.kind;
        result = ReceiveFinalAnswer(settings);
    }
    if (result != MEXTAL_OK) {
        name[0] = '\0';
        *kind = 0;
    }
    return result;
}

int32_t MediaCentreOps::QueryMediaCenterType(const PortSettings* settings, uint32_t category) {
    if (settings == nullptr || category > static_cast<uint32_t>(kMaxCategory) || !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    AtRequest request{};
    StoreMediaRequest(request, AT_CMD_QKMCL, kMediaQueryForm, MediaListFields{});
    AtResponse response = MediaResponse(kMediaQueryForm);
    int32_t result = RequestAnswer(settings, request, &response, AT_RSP_QKMCL, engine_.ResponseTimeoutMs());
    uint32_t mask = MediaAnswerFields<MediaListFields>(response).categoryMask;
    if (result == MEXTAL_OK) result = ReceiveFinalAnswer(settings);
    if (result != MEXTAL_OK) return result;
    return (mask >> category) & 1u ? MEXTAL_OK : MEXTAL_NO_SUCH_CATEGORY;
}

#pragma once
// Where the media-centre commands keep their values in the request and response
// records. The form sits in the word after the command id (the response's family
// value), which classification leaves alone, so the form of a request stays
// visible to the parsers of all its answers. The other fields fill the data area,
// which classification zeroes and the parser of the answer fills again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "at_command.h"
#include "text_fields.h"

// Forms of "AT$QKMCL".
constexpr int32_t kMediaListForm = 1;
constexpr int32_t kMediaQueryForm = 3;
// Forms of "AT$QKMCPI".
constexpr int32_t kMediaNameToIdForm = 0;
constexpr int32_t kMediaIdToNameForm = 1;

// Request word that holds the form.
constexpr size_t kMediaFormWord = 1;

// The name of "AT$QKMCPI": 386 characters and the terminator.
constexpr size_t kMediaIdNameBytes = 387;
constexpr size_t kMediaIdNameCharacters = kMediaIdNameBytes - 1;

// "AT$QKMCL" and "$QKMCL".
struct MediaListFields {
    int32_t category;
    uint32_t categoryMask;  // the answer to the query form
    char name[kResponseDataBytes - 8];
};

// "AT$QKMCR" and "$QKMCR".
struct MediaReadFields {
    int32_t category;
    int32_t contentLength;  // as the handset announced it, not yet checked
    uint8_t kind;
    uint8_t reserved;
    char name[kResponseDataBytes - 10];
};

// "AT$QKMCPI" and "$QKMCPI".
struct MediaIdFields {
    int32_t category;
    int32_t id;
    uint8_t kind;
    char name[kMediaIdNameBytes];
};

static_assert(sizeof(MediaListFields) <= kResponseDataBytes, "list fields fit the data area");
static_assert(sizeof(MediaReadFields) <= kResponseDataBytes, "read fields fit the data area");
static_assert(sizeof(MediaIdFields) <= kResponseDataBytes, "id fields fit the data area");
static_assert(kRequestParameterBytes == sizeof(int32_t) + kResponseDataBytes,
              "request parameters are the form word and a data area");

// The text of a name field, which need not be terminated.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return mextal::TextOf(field, N);
}

template <typename Fields>
void StoreMediaRequest(AtRequest& request, AtCommandId id, int32_t form, const Fields& fields) {
    request.id = id;
    StoreRequestWord(request, kMediaFormWord, form);
    std::memcpy(request.parameters + sizeof(int32_t), &fields, sizeof fields);
}

template <typename Fields>
Fields MediaRequestFields(const AtRequest& request) {
    Fields fields;
    std::memcpy(&fields, request.parameters + sizeof(int32_t), sizeof fields);
    return fields;
}

template <typename Fields>
Fields MediaAnswerFields(const AtResponse& response) {
    Fields fields;
    std::memcpy(&fields, response.data, sizeof fields);
    return fields;
}

template <typename Fields>
void StoreMediaAnswer(AtResponse& response, const Fields& fields) {
    std::memcpy(response.data, &fields, sizeof fields);
}

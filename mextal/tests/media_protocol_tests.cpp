#include "media_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media_records.h"
#include "response_parser.h"

namespace {

struct MaskCase {
    const char* group;
    bool decoded;
    uint32_t mask;
};

TEST(DecodeCategoryMask, DecodesItemsAndRangesOfAnySize) {
    const std::vector<MaskCase> cases = {
        {"(0-2,5)", true, 0x27},
        {"(0~2,5)", true, 0x27},
        {"(7)", true, 0x80},
        {"(5-2)", true, 0},             // reversed range sets nothing
        {"(3-)", true, 0x08},           // a range without its end is its start
        {"(30-33)", true, 0xC0000003},  // bits wrap modulo 32
        {"(31,32,33)", true, 0x80000003},
        {"(0-30)", true, 0x7FFFFFFF},
        {"(0-31)", true, 0xFFFFFFFF},
        {"(0-4294967295)", true, 0xFFFFFFFF},
        {"(4294967295)", true, 0x80000000},
        {"(99999999999999999999999)", true, 0x80000000},
        {"(1-99999999999999999999999)", true, 0xFFFFFFFF},
        {"(4611686018427387904-4611686018427387905)", true, 0x3},  // huge ends still compare exactly
        {"(99999999999999999999998-100000000000000000000001)", true, 0xC0000003},
        {"(100000000000000000000000-99999999999999999999999)", true, 0},
        {"(a1b,-c2)", true, 0x06},
        {"(-1-3)", true, 0x0E},  // a mark before the item's first number is no range
        {"()", false, 0},
        {"(,-~)", false, 0},
        {"(0,1-2-3,5)", false, 0},  // a second range mark in one item is malformed
    };
    for (const MaskCase& c : cases) {
        uint32_t mask = 0xDEADBEEF;
        EXPECT_EQ(c.decoded, DecodeCategoryMask(c.group, mask)) << c.group;
        EXPECT_EQ(c.mask, mask) << c.group;
    }
}

// The number each answer carries that matters most to its operation.
int64_t KeyNumber(const AtResponse& response) {
    switch (response.id) {
        case AT_RSP_QKMCL:
            return response.familyValue == kMediaQueryForm ? MediaAnswerFields<MediaListFields>(response).categoryMask
                                                           : MediaAnswerFields<MediaListFields>(response).category;
        case AT_RSP_QKMCR:
            return MediaAnswerFields<MediaReadFields>(response).contentLength;
        default:
            return MediaAnswerFields<MediaIdFields>(response).id;
    }
}

std::string Name(const AtResponse& response) {
    if (response.id == AT_RSP_QKMCL) return MediaAnswerFields<MediaListFields>(response).name;
    if (response.id == AT_RSP_QKMCR) return MediaAnswerFields<MediaReadFields>(response).name;
    return MediaAnswerFields<MediaIdFields>(response).name;
}

struct AnswerCase {
    std::string line;
    int32_t form;  // of the request, as the operation stores it
    int32_t result;
    int64_t number;
    std::string name;
};

TEST(MediaAnswers, ParseIntoRecordOrRefuse) {
    const std::string longest(kMediaIdNameCharacters, 'n');
    const std::vector<AnswerCase> cases = {
        {"$QKMCL: 3,\"Ring, tone\"", kMediaListForm, PARSE_OK, 3, "Ring, tone"},
        {"$QKMCL: 3", kMediaListForm, PARSE_OK, 3, ""},
        {"$QKMCL 3", kMediaListForm, PARSE_NO_COLON, 0, ""},
        {"$QKMCL: ", kMediaListForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCL: x", kMediaListForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCL: 3,\"a\",4", kMediaListForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCL: (0-2,5)", kMediaQueryForm, PARSE_OK, 0x27, ""},
        {"$QKMCL: (0-2,5),1", kMediaQueryForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCL: (0-2,5), ", kMediaQueryForm, PARSE_OK, 0x27, ""},
        {"$QKMCL: x(0-2)", kMediaQueryForm, PARSE_OK, 0x07, ""},
        {"$QKMCL: (0-2,5)x", kMediaQueryForm, PARSE_OK, 0x27, ""},
        {"$QKMCL: ((0-1),5)", kMediaQueryForm, PARSE_OK, 0x23, ""},
        {"$QKMCL: 0-2", kMediaQueryForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCL: (0-2", kMediaQueryForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCL: ()", kMediaQueryForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCR: 2,255,0,\"a,b\",17", 0, PARSE_OK, 17, "a,b"},
        {"$QKMCR: 2,255,0,\"a\",-5", 0, PARSE_OK, -5, "a"},
        {"$QKMCR: 2,255,0,\"a\",4294967295", 0, PARSE_OK, 2147483647, "a"},
        {"$QKMCR: 2,255,0,\"a\"", 0, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCR: 2,255,0,\"a\",17,9", 0, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCR: 2,255,0,\"a\",", 0, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCR:2,255,0,\"" + std::string(2100, 'x') + "\",1", 0, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCPI: 0,2,255,\"x\",42", kMediaNameToIdForm, PARSE_OK, 42, "x"},
        {"$QKMCPI: 1,2,42,7,\"" + longest + "\"", kMediaIdToNameForm, PARSE_OK, 42, longest},
        {"$QKMCPI: 1,2,42,7,\"" + longest + "n\"", kMediaIdToNameForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCPI: 2,2,42,7,\"x\"", kMediaIdToNameForm, PARSE_NO_COLON, 0, ""},
        {"$QKMCPI: 1,2,42,7,\"x\",9", kMediaIdToNameForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCPI: 0,2,,\"x\",42", kMediaNameToIdForm, PARSE_BAD_FIELDS, 0, ""},
        {"$QKMCPI: ,2,255,\"x\",42", kMediaNameToIdForm, PARSE_BAD_FIELDS, 0, ""},
    };
    CAtResponseParser parser;
    for (const AnswerCase& c : cases) {
        AtResponse response{};
        response.familyValue = c.form;
        std::string chunk = "\r\n" + c.line + "\r\n";
        EXPECT_EQ(c.result, parser.ClassifyResponse(&response, chunk.data(), static_cast<uint32_t>(chunk.size())))
            << c.line;
        EXPECT_EQ(c.number, KeyNumber(response)) << c.line;
        EXPECT_EQ(c.name, Name(response)) << c.line;
    }
}

}  // namespace

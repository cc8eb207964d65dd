#include "family_support.h"

#include <gtest/gtest.h>

#include "media_centre.h"

namespace phonesim {
namespace {

struct ParameterCase {
    const char* arguments;
    const char* shape;               // nullptr: refused
    std::vector<std::string> texts;  // the fields as text
};

TEST(PhonesimParameters, NumbersAndQuotedTexts) {
    const ParameterCase cases[] = {
        {"=0", "n", {"0"}},
        {"=0,\"/a b,c\"", "nt", {"0", "/a b,c"}},
        {"=\"\"", "t", {""}},
        {"=4294967295,\"x\",7", "ntn", {"4294967295", "x", "7"}},
        {"=\"Caf\xC3\xA9\",\"\"", "tt", {"Caf\xC3\xA9", ""}},
        {"", nullptr, {}},
        {"?", nullptr, {}},
        {"=", nullptr, {}},
        {"=1,", nullptr, {}},
        {"=,1", nullptr, {}},
        {"=4294967296", nullptr, {}},
        {"=-1", nullptr, {}},
        {"= 1", nullptr, {}},
        {"=\"open", nullptr, {}},
        {"=\"a\"b", nullptr, {}},
        {"=abc", nullptr, {}},
    };
    for (const ParameterCase& c : cases) {
        std::optional<Parameters> parameters = Parameters::Parse(c.arguments);
        if (c.shape == nullptr) {
            EXPECT_FALSE(parameters) << c.arguments;
            continue;
        }
        ASSERT_TRUE(parameters) << c.arguments;
        EXPECT_TRUE(parameters->Fits(c.shape)) << c.arguments;
        EXPECT_FALSE(parameters->Fits(std::string(c.shape) + "n")) << c.arguments;
        for (size_t i = 0; i < c.texts.size(); ++i) EXPECT_EQ(parameters->Text(i), c.texts[i]) << c.arguments;
    }
    EXPECT_EQ(Parameters::Parse("=4294967295,12")->Number(0), 4294967295U);
    EXPECT_EQ(Parameters::Parse("=4294967295,12")->Number(1), 12U);
}

TEST(PhonesimCrc32, KnownValues) {
    EXPECT_EQ(Crc32(""), 0U);
    EXPECT_EQ(Crc32("123456789"), 3421780262U);
    EXPECT_EQ(Crc32(std::string(1, '\0')), 0xD202EF8DU);
}

TEST(PhonesimMediaContent, ByteIIsITimes131PlusSize) {
    for (uint32_t size : {0U, 1U, 3000U, 70000U}) {
        std::string content = MediaContent(size);
        ASSERT_EQ(content.size(), size);
        for (uint32_t i = 0; i < size; ++i) {
            ASSERT_EQ(static_cast<unsigned char>(content[i]), (i * 131 + size) % 256) << size << " at " << i;
        }
    }
}

}  // namespace
}  // namespace phonesim

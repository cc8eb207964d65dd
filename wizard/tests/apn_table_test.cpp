// The generator run by the build on data/apn_sample.xml, read back by the
// wizard's table reader.
#include "apn_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ravelinwiz {
namespace {

std::vector<uint8_t> SampleTableBytes() {
    std::ifstream file(RAVELIN_APN_SAMPLE_TABLE, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(GeneratedTable, HoldsTheInternetApnsOfEveryGsmOperatorOnTheNetwork) {
    const std::vector<uint8_t> bytes = SampleTableBytes();
    const std::optional<ApnTable> table = ApnTable::Parse(bytes.data(), bytes.size());
    ASSERT_TRUE(table.has_value());
    const auto operatorsOn = [&table](const char* mcc, const char* mnc) {
        std::vector<std::string> described;  // "name: apn apn"
        for (const MobileOperator* entry : table->OperatorsOn(mcc, mnc)) {
            described.push_back(entry->name + ":");
            for (const ApnSetting& apn : entry->apns) described.back() += " " + apn.apn;
        }
        return described;
    };
    // The name without a language attribute; the mms APN left out, one without
    // usage kept; an operator without an internet APN kept, with none.
    EXPECT_EQ(operatorsOn("262", "01"), (std::vector<std::string>{"Host Mobile: web.host plain.host", "MMS Only:"}));
    // A three-digit MNC is its own network, listed once even when repeated.
    EXPECT_EQ(operatorsOn("262", "001"), std::vector<std::string>{"Three Digits: broadband"});
    const ApnSetting& web = table->OperatorsOn("262", "01").at(0)->apns.at(0);
    EXPECT_EQ(web.userName, "web");
    EXPECT_EQ(web.password, "secret");
}

TEST(ApnTableReader, RefusesEveryTruncationTrailingBytesAndAnOperatorIndexOutOfRange) {
    std::vector<uint8_t> bytes = SampleTableBytes();
    ASSERT_TRUE(ApnTable::Parse(bytes.data(), bytes.size()).has_value());
    for (size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_FALSE(ApnTable::Parse(bytes.data(), size).has_value()) << "size " << size;
    }
    bytes.push_back(0);
    EXPECT_FALSE(ApnTable::Parse(bytes.data(), bytes.size()).has_value());
    bytes.pop_back();
    bytes[bytes.size() - 2] = 0xFF;  // operator index of the last network id
    EXPECT_FALSE(ApnTable::Parse(bytes.data(), bytes.size()).has_value());
}

}  // namespace
}  // namespace ravelinwiz

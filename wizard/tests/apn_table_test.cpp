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

struct NetworkCase {
    const char* mcc;
    const char* mnc;
    std::vector<std::string> operators;        // names in table order
    std::vector<std::string> firstOperatorApns;
    const char* userName;
    const char* password;
};

class GeneratedTable : public ::testing::TestWithParam<NetworkCase> {};

TEST_P(GeneratedTable, HoldsTheInternetApnsOfEveryOperatorOnTheNetwork) {
    const NetworkCase& c = GetParam();
    const std::vector<uint8_t> bytes = SampleTableBytes();
    std::optional<ApnTable> table = ApnTable::Parse(bytes.data(), bytes.size());
    ASSERT_TRUE(table.has_value());

    std::vector<std::string> names;
    for (const MobileOperator* entry : table->OperatorsOn(c.mcc, c.mnc)) names.push_back(entry->name);
    EXPECT_EQ(names, c.operators);
    if (names.empty()) return;

    const MobileOperator& first = *table->OperatorsOn(c.mcc, c.mnc).front();
    std::vector<std::string> apns;
    for (const ApnSetting& apn : first.apns) apns.push_back(apn.apn);
    EXPECT_EQ(apns, c.firstOperatorApns);
    if (first.apns.empty()) return;
    EXPECT_EQ(first.apns.front().userName, c.userName);
    EXPECT_EQ(first.apns.front().password, c.password);
}

INSTANTIATE_TEST_SUITE_P(
    SampleXml, GeneratedTable,
    ::testing::Values(
        // Shared network id; mms APN left out, an APN without usage kept; the
        // name without a language attribute; user name and password.
        NetworkCase{"262", "01", {"Host Mobile", "Virtual Talk"}, {"web.host", "plain.host"}, "web", "secret"},
        NetworkCase{"262", "06", {"Host Mobile"}, {"web.host", "plain.host"}, "web", "secret"},
        // A three-digit MNC is its own network, listed once even when repeated.
        NetworkCase{"310", "010", {"Three Digits Wireless"}, {"broadband"}, "", ""},
        // An operator without an internet APN is kept, with none.
        NetworkCase{"310", "01", {"MMS Only"}, {}, "", ""},
        NetworkCase{"262", "001", {}, {}, "", ""},
        NetworkCase{"999", "01", {}, {}, "", ""}));

TEST(ApnTableReader, RefusesEveryTruncationAndTrailingBytes) {
    const std::vector<uint8_t> bytes = SampleTableBytes();
    ASSERT_TRUE(ApnTable::Parse(bytes.data(), bytes.size()).has_value());
    for (size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_FALSE(ApnTable::Parse(bytes.data(), size).has_value()) << "size " << size;
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(ApnTable::Parse(longer.data(), longer.size()).has_value());
}

TEST(ApnTableReader, RefusesOperatorIndexOutOfRange) {
    std::vector<uint8_t> bytes = SampleTableBytes();
    ASSERT_GE(bytes.size(), 2u);
    bytes[bytes.size() - 2] = 0xFF;  // operator index of the last network id
    EXPECT_FALSE(ApnTable::Parse(bytes.data(), bytes.size()).has_value());
}

}  // namespace
}  // namespace ravelinwiz

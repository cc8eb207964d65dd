// The media-centre commands: category query, listing, reading and name/id lookup,
// with the media-centre fault options.
#include <gtest/gtest.h>

#include "handset_play.h"

namespace phonesim {
namespace {

using testing::Download;
using testing::ExpectExchanges;
using testing::Info;
using testing::kError;
using testing::kOk;

const std::string kCafe = "Caf\xC3\xA9 \xC3\xA0 Paris.jpg";

// Generated item content, written out independently: byte i is (i * 131 + size) & 0xFF.
std::string Content(uint32_t size) {
    std::string bytes;
    for (uint64_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 131 + size) % 256);
    return bytes;
}

std::string ListAnswer(const std::string& line, const std::string& listing) {
    return Info("$QKMCL: " + line) + kOk + listing + "\r\n" + kOk;
}

std::string ReadLine(int category, const std::string& name) {
    return "AT$QKMCR=" + std::to_string(category) + ",255,0,\"" + name + "\"\r";
}

std::string ReadAnnounce(int category, const std::string& name) {
    return "$QKMCR: " + std::to_string(category) + ",255,0,\"" + name + "\",";
}

const std::string kRing = ReadLine(1, "Ring1.mid");
const std::string kIdToName = "AT$QKMCPI=1,1,3\r";
const std::string kNameToId = "AT$QKMCPI=0,0,255,\"Sunset.jpg\"\r";

TEST(PhonesimMediaCentre, AnswersEveryForm) {
    ExpectExchanges({
        {"Query", {}, "AT$QKMCL=?\r", Info("$QKMCL: (0-2,5)") + kOk},
        {"QuerySeeded",
         {"--mc-clear", "--mc-item", "3:7:A.bin:5", "--mc-item", "4:8:B:1", "--mc-item", "9:9:C:0"},
         "AT$QKMCL=?\r",
         Info("$QKMCL: (3-4,9)") + kOk},
        {"QueryNothing", {"--mc-clear"}, "AT$QKMCL=?\r", Info("$QKMCL: ()") + kOk},
        {"QueryCustomText", {"--mc-categories", "(0~9)"}, "AT$QKMCL=?\r", Info("$QKMCL: (0~9)") + kOk},
        {"ListCategory",
         {},
         "AT$QKMCL=1,\"\"\r",
         ListAnswer("1,\"\"", "3,255,4096,\"Ring1.mid\"\n4,255,0,\"Silence.mid\"")},
        {"ListByNamePrefix",
         {},
         "AT$QKMCL=0,\"Caf\xC3\xA9\"\r",
         ListAnswer("0,\"Caf\xC3\xA9\"", "2,255,3000,\"" + kCafe + "\"")},
        {"ListNothingToList", {}, "AT$QKMCL=3,\"\"\rAT$QKMCL=0,\"x\"\rAT$QKMCL=10,\"\"\r", kError + kError + kError},
        {"ListMalformed", {}, "AT$QKMCL=1\rAT$QKMCL\r", kError + kError},
        {"Read", {}, ReadLine(0, kCafe), Download(ReadAnnounce(0, kCafe), Content(3000))},
        {"ReadEmpty", {}, ReadLine(1, "Silence.mid"), Download(ReadAnnounce(1, "Silence.mid"), "")},
        {"ReadSeeded",
         {"--mc-item", "0:40:Big.bin:70000"},
         ReadLine(0, "Big.bin"),
         Download(ReadAnnounce(0, "Big.bin"), Content(70000))},
        {"ReadRefused",
         {},
         "AT$QKMCR=1,254,0,\"Ring1.mid\"\rAT$QKMCR=1,255,1,\"Ring1.mid\"\r" + ReadLine(0, "Ring1.mid") +
             ReadLine(1, "none") + "AT$QKMCR=1,255,0\r",
         kError + kError + kError + kError + kError},
        {"NameToId", {}, kNameToId, Info("$QKMCPI: 0,0,255,\"Sunset.jpg\",1") + kOk},
        {"NameToIdUtf8",
         {},
         "AT$QKMCPI=0,0,255,\"" + kCafe + "\"\r",
         Info("$QKMCPI: 0,0,255,\"" + kCafe + "\",2") + kOk},
        {"IdToName", {}, kIdToName, Info("$QKMCPI: 1,1,3,255,\"Ring1.mid\"") + kOk},
        {"LookupRefused",
         {},
         "AT$QKMCPI=0,0,4,\"Sunset.jpg\"\rAT$QKMCPI=1,0,3\rAT$QKMCPI=1,1,99\rAT$QKMCPI=2,1,3\rAT$QKMCPI=1,1,3,255\r",
         kError + kError + kError + kError + kError},
    });
}

TEST(PhonesimMediaCentre, FaultOptions) {
    const std::string ring = Content(4096);
    ExpectExchanges({
        {"OtherName",
         {"--mc-fault", "other-name"},
         kRing + kNameToId,
         Download(ReadAnnounce(1, "Ring1.mid-other"), ring) + Info("$QKMCPI: 0,0,255,\"Sunset.jpg-other\",1") + kOk},
        {"OtherCategory",
         {"--mc-fault", "other-category"},
         "AT$QKMCL=1,\"Ring\"\r" + kIdToName,
         ListAnswer("2,\"Ring\"", "3,255,4096,\"Ring1.mid\"") + Info("$QKMCPI: 1,2,3,255,\"Ring1.mid\"") + kOk},
        {"OtherId",
         {"--mc-fault", "other-id"},
         kIdToName + kNameToId,
         Info("$QKMCPI: 1,1,4,255,\"Ring1.mid\"") + kOk + Info("$QKMCPI: 0,0,255,\"Sunset.jpg\",2") + kOk},
        {"Form2", {"--mc-fault", "form-2"}, kIdToName, Info("$QKMCPI: 2,1,3,255,\"Ring1.mid\"") + kOk},
        {"ExtraField",
         {"--mc-fault", "extra-field"},
         kIdToName + kNameToId,
         Info("$QKMCPI: 1,1,3,255,\"Ring1.mid\",0") + kOk + Info("$QKMCPI: 0,0,255,\"Sunset.jpg\",1,0") + kOk},
        {"ShortContent",
         {"--short-raw", "AT$QKMCR"},
         kRing + ReadLine(1, "Silence.mid"),
         Info(ReadAnnounce(1, "Ring1.mid") + "4096") + ring.substr(0, 4095) + "\r\n" + kOk +
             Info(ReadAnnounce(1, "Silence.mid") + "1") + "\r\n" + kOk},
        {"CutMidTransfer",
         {"--cut-raw", "AT$QKMCR=100"},
         kRing,
         Info(ReadAnnounce(1, "Ring1.mid") + "4096") + ring.substr(0, 100)},
        {"BadLength", {"--bad-length", "AT$QKMCR"}, kRing, Info(ReadAnnounce(1, "Ring1.mid") + "4294967295")},
        {"StallList", {"--stall", "AT$QKMCL"}, "AT$QKMCL=1,\"\"\r", Info("$QKMCL: 1,\"\"")},
        {"StallRead", {"--stall", "AT$QKMCR"}, kRing, Info(ReadAnnounce(1, "Ring1.mid") + "4096")},
        {"Fail", {"--fail", "AT$QKMCR=3"}, kRing, kError},
    });
}

}  // namespace
}  // namespace phonesim

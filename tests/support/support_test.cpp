// The shared test helpers: scratch folders and hex text.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "hex_text.h"
#include "temp_folder.h"

namespace ravelin::test {
namespace {

namespace fs = std::filesystem;

// Sets TMPDIR, or removes it for nothing.
void SetTmpdir(const std::optional<std::string>& value) {
    value ? setenv("TMPDIR", value->c_str(), 1) : unsetenv("TMPDIR");
}

TEST(TempFolder, IsMadeUnderTmpdirOrTmp_PrivateDistinctAndRemovedWithItsContent) {
    const char* saved = std::getenv("TMPDIR");
    const std::optional<std::string> tmpdirBefore = saved ? std::optional<std::string>(saved) : std::nullopt;
    TempFolder outer("support-outer");
    struct Case {
        const char* name;
        std::optional<std::string> tmpdir;
        std::string parent;
    };
    for (const Case& c : {Case{"TMPDIR set", outer.Path(), outer.Path()}, Case{"TMPDIR empty", "", "/tmp"},
                          Case{"TMPDIR unset", std::nullopt, "/tmp"}}) {
        SCOPED_TRACE(c.name);
        std::string path;
        {
            SetTmpdir(c.tmpdir);
            TempFolder folder("support-test");
            TempFolder sibling("support-test");
            path = folder.Path();
            EXPECT_NE(sibling.Path(), path);
            EXPECT_EQ(fs::path(path).parent_path(), fs::path(c.parent));
            EXPECT_EQ(fs::path(path).filename().string().rfind("support-test-", 0), 0u);
            struct stat info {};
            ASSERT_EQ(stat(path.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0700u);
            fs::create_directories(folder.Entry("nested/deeper"));
            std::ofstream(folder.Entry("nested/deeper/file")) << "text";
        }
        EXPECT_FALSE(fs::exists(path));
    }
    SetTmpdir(tmpdirBefore);
}

// Small letters and reading back are checked with the simulator's control tests.
TEST(HexText, CapitalDigitsOnRequest) {
    EXPECT_EQ(ToHex(std::string("\x00\x7D\xAF\xFF", 4), HexDigits::kUpper), "007DAFFF");
}

}  // namespace
}  // namespace ravelin::test

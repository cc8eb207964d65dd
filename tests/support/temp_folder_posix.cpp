#include "temp_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace ravelin::test {
namespace {

std::string TempRoot() {
    const char* chosen = std::getenv("TMPDIR");
    return chosen != nullptr && *chosen != '\0' ? chosen : "/tmp";
}

}  // namespace

TempFolder::TempFolder(const std::string& prefix) {
    const std::string pattern = TempRoot() + "/" + prefix + "-XXXXXX";
    std::vector<char> path(pattern.c_str(), pattern.c_str() + pattern.size() + 1);
    if (mkdtemp(path.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder " + pattern + ": " + std::strerror(errno));
    }
    path_ = path.data();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace ravelin::test

#pragma once
// A private scratch folder for a test: made fresh under $TMPDIR (under /tmp when
// TMPDIR is unset or empty), open to its owner only, and removed with all it
// holds when the object goes away. POSIX builds only.
#include <string>

namespace ravelin::test {

class TempFolder {
public:
    // The folder is named <prefix>-<six random characters>. Throws
    // std::runtime_error when it cannot be made.
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The path of an entry in the folder.
    std::string Entry(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace ravelin::test

#pragma once
// The handset's file system: three storage areas (phone memory, memory card,
// built-in content), each a tree of directories and files.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "options.h"

namespace phonesim {

struct FileNode {
    bool directory = false;
    std::string content;
    uint32_t attributes = 0;
    uint32_t modified = 0;
    std::map<std::string, FileNode> children;  // by name, byte for byte
};

struct FileArea {
    bool present = true;
    bool readOnly = false;  // built-in content
    uint64_t capacity = 0;  // ignored for a read-only area: it is exactly full
    FileNode root;
};

struct FileStore {
    std::map<uint32_t, FileArea> areas;  // by file kind: 0, 1, 4
};

FileStore DefaultFileStore(const PhoneOptions& options);
// The error line of the file-system and camera-picture families.
std::string FileErrorLine(uint32_t number);
// True when `name` may be a file or directory name: 1 to 64 bytes, not "." or
// "..", no control character and none of \ : * ? < > | " (and so no slash either).
bool ValidFileName(const std::string& name);
// True when `path` names a file (not a directory) of area `kind`.
bool HasFile(const FileStore& store, uint32_t kind, std::string_view path);

}  // namespace phonesim

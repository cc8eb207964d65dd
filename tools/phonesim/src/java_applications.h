#pragma once
// Installed Java application suites and the descriptor a check accepted.
#include <cstdint>
#include <map>
#include <string>

namespace phonesim {

struct JavaSuite {
    std::string vendor;
    std::string version;
    std::string package;
};

struct JavaStore {
    std::map<std::string, JavaSuite> suites;  // by suite name
};

// The attributes of a descriptor that a check accepted.
struct JavaDescriptor {
    std::string name;
    std::string vendor;
    std::string version;
    uint32_t jarSize = 0;
};

JavaStore DefaultJavaStore();

}  // namespace phonesim

#pragma once
// The media centre: items filed under categories 0 to 9, each known by a name and
// by a numeric id, with content of any length.
#include <cstdint>
#include <map>
#include <string>

#include "options.h"

namespace phonesim {

struct MediaItem {
    int category = 0;
    uint32_t kind = 0;
    std::string name;  // UTF-8
    std::string content;
};

// The handset has the categories that hold at least one item.
struct MediaCentre {
    std::map<uint32_t, MediaItem> items;  // by id, unique over all categories
};

MediaCentre DefaultMediaCentre(const PhoneOptions& options);
// Generated item content: byte i is (i * 131 + size) & 0xFF.
std::string MediaContent(uint32_t size);

}  // namespace phonesim

#pragma once
// The camera's picture album: folders one level deep, fixed by the handset.
#include <cstdint>
#include <map>
#include <string>

namespace phonesim {

struct Picture {
    std::string content;
    uint32_t time = 0;
};

using PictureFolder = std::map<std::string, Picture>;  // by file name
using Album = std::map<std::string, PictureFolder>;    // by folder name

Album DefaultAlbum();

}  // namespace phonesim

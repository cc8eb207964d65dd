#pragma once
#include <string>
#include <string_view>

namespace phonesim {

// Lower-case hex, two digits per byte.
std::string ToHex(std::string_view bytes);
// Decodes hex of either case; false for an odd length or a non-hex digit.
bool FromHex(std::string_view hex, std::string& bytes);

}  // namespace phonesim

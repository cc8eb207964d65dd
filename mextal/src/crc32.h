#pragma once
// The CRC-32 that an upload request announces for its bytes: the common one of
// zip files and Ethernet (reflected polynomial 0xEDB88320, start value and final
// XOR 0xFFFFFFFF). The CRC of no bytes is 0.
#include <cstddef>
#include <cstdint>

namespace mextal {

uint32_t Crc32(const uint8_t* bytes, size_t length);

}  // namespace mextal

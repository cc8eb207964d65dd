#include "crc32.h"

namespace mextal {
namespace {

constexpr uint32_t kReflectedPolynomial = 0xEDB88320u;
constexpr uint32_t kAllOnes = 0xFFFFFFFFu;
constexpr int kBitsPerByte = 8;

struct CrcTable {
    uint32_t entry[256];
    constexpr CrcTable() : entry() {
        for (uint32_t byte = 0; byte < 256; ++byte) {
            uint32_t value = byte;
            for (int bit = 0; bit < kBitsPerByte; ++bit) {
                value = (value & 1u) ? (value >> 1) ^ kReflectedPolynomial : value >> 1;
            }
            entry[byte] = value;
        }
    }
};

constexpr CrcTable kTable;

}  // namespace

uint32_t Crc32(const uint8_t* bytes, size_t length) {
    uint32_t crc = kAllOnes;
    for (size_t i = 0; i < length; ++i) crc = kTable.entry[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> kBitsPerByte);
    return crc ^ kAllOnes;
}

}  // namespace mextal

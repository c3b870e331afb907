#include "archive/crc16.h"

namespace lzh {
namespace {

struct Crc16Table {
    uint16_t entry[256];
    Crc16Table() {
        for (unsigned i = 0; i < 256; ++i) {
            uint16_t value = static_cast<uint16_t>(i);
            for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xA001 : value >> 1;
            entry[i] = value;
        }
    }
};

const Crc16Table kTable;

}  // namespace

uint16_t crc16_update(uint16_t crc, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ kTable.entry[(crc ^ data[i]) & 0xFF]);
    return crc;
}

}  // namespace lzh

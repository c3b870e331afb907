// CRC-16 of LZH members: polynomial 0x8005 reflected (0xA001), initial 0,
// no final inversion (the "ARC" CRC). Headers of level 2 and 3 carry it too.
#pragma once
#include <cstddef>
#include <cstdint>

namespace lzh {

uint16_t crc16_update(uint16_t crc, const uint8_t* data, size_t size);

}  // namespace lzh

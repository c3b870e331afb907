#include "archive/crc16.h"

namespace lzh {
namespace {

// Eight tables: entry[k][b] is the CRC change of byte b followed by k zero
// bytes, so eight bytes are folded in with eight lookups and no dependency
// from one byte to the next.
struct Crc16Tables {
  uint16_t entry[8][256];
  Crc16Tables() {
    for (unsigned i = 0; i < 256; ++i) {
      uint16_t value = static_cast<uint16_t>(i);
      for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xA001 : value >> 1;
      entry[0][i] = value;
    }
    for (int k = 1; k < 8; ++k)
      for (unsigned i = 0; i < 256; ++i)
        entry[k][i] =
            static_cast<uint16_t>((entry[k - 1][i] >> 8) ^ entry[0][entry[k - 1][i] & 0xFF]);
  }
};

const Crc16Tables kTables;

}  // namespace

uint16_t crc16_update(uint16_t crc, const uint8_t* data, size_t size) {
  const auto& t = kTables.entry;
  for (; size >= 8; data += 8, size -= 8) {
    crc = static_cast<uint16_t>(t[7][(crc ^ data[0]) & 0xFF] ^ t[6][((crc >> 8) ^ data[1]) & 0xFF] ^
                                t[5][data[2]] ^ t[4][data[3]] ^ t[3][data[4]] ^ t[2][data[5]] ^
                                t[1][data[6]] ^ t[0][data[7]]);
  }
  for (; size > 0; ++data, --size)
    crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ *data) & 0xFF]);
  return crc;
}

}  // namespace lzh

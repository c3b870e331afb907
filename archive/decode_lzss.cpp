// The two LZSS methods of the early archivers. Both address their matches
// by absolute place in a ring buffer rather than by distance, starting to
// write a fixed way before the ring's end.
//
// -lz5-: a flag byte governs the next eight items, low bit first: 1 for a
// literal byte, 0 for a match of two bytes (12-bit place, 4-bit length
// minus 3). The ring starts with a fixed pattern that matches may use from
// the first byte on.
// -lzs-: a flag bit before each item: 1 for a literal of 8 bits, 0 for a
// match of an 11-bit place and a 4-bit length minus 2, over a 2 KiB ring.
#include "archive/bit_reader.h"
#include "archive/decode.h"
#include "archive/history.h"

namespace lzh {
namespace {

// A ring place turned into a distance back from the next byte.
inline size_t distance_to(uint32_t place, uint32_t next, uint32_t ring) {
  uint32_t distance = (next - place) & (ring - 1);
  return distance == 0 ? ring : distance;
}

struct ByteReader {
  Input input;
  uint8_t buffer[32768];
  size_t position = 0, length = 0;
  bool ended = false;

  // The next byte, or -1 when the data has ended.
  int next() {
    if (position == length) {
      length = input.read(input.context, buffer, sizeof buffer);
      position = 0;
      if (length == 0) {
        ended = true;
        return -1;
      }
    }
    return buffer[position++];
  }
};

// The ring as -lz5- starts it, from place 0: each byte value 13 times, the
// values rising, then falling, 128 zeros, blanks, and zeros again in the 18
// places the first bytes will be written to.
void fill_lz5_ring(uint8_t* ring) {
  int place = 0;
  for (int value = 0; value < 256; ++value)
    for (int n = 0; n < 13; ++n) ring[place++] = static_cast<uint8_t>(value);
  for (int value = 0; value < 256; ++value) ring[place++] = static_cast<uint8_t>(value);
  for (int value = 255; value >= 0; --value) ring[place++] = static_cast<uint8_t>(value);
  for (int i = 0; i < 128; ++i) ring[place++] = 0;
  while (place < 4096 - 18) ring[place++] = ' ';
  while (place < 4096) ring[place++] = 0;
}

}  // namespace

int decode_lz5(Input input, History& out) {
  const uint32_t kRing = 4096, kStart = kRing - 18;
  // History keeps the ring's content in writing order: the byte at ring
  // place p sits (p - kStart) mod kRing bytes into the initial dictionary.
  uint8_t ring[kRing];
  fill_lz5_ring(ring);
  uint8_t* dictionary = out.initial();
  for (uint32_t p = 0; p < kRing; ++p) dictionary[(p - kStart) & (kRing - 1)] = ring[p];

  ByteReader in;
  in.input = input;
  uint32_t next = kStart;
  unsigned flags = 0;
  while (!out.done()) {
    flags >>= 1;
    if (!(flags & 0x100)) {
      int byte = in.next();
      if (byte < 0) return kCorrupt;
      flags = static_cast<unsigned>(byte) | 0xFF00;
    }
    int first = in.next();
    if (first < 0) return kCorrupt;
    if (flags & 1) {
      out.literal(static_cast<uint8_t>(first));
      ++next;
    } else {
      int second = in.next();
      if (second < 0) return kCorrupt;
      uint32_t place = static_cast<uint32_t>(first) | ((static_cast<uint32_t>(second) & 0xF0) << 4);
      size_t length = static_cast<size_t>((second & 0x0F) + 3);
      out.copy(distance_to(place, next, kRing), length);
      next += static_cast<uint32_t>(length);
    }
    if (out.full() && !out.flush()) return kOutputFailed;
  }
  return kDecoded;
}

int decode_lzs(BitReader& in, History& out) {
  const uint32_t kRing = 2048;
  uint32_t next = kRing - 17;
  while (!out.done()) {
    if (in.get(1)) {
      out.literal(static_cast<uint8_t>(in.get(8)));
      ++next;
    } else {
      uint32_t place = in.get(11);
      size_t length = in.get(4) + 2;
      out.copy(distance_to(place, next, kRing), length);
      next += static_cast<uint32_t>(length);
    }
    if (out.full()) {
      if (!out.flush()) return kOutputFailed;
      if (in.exhausted()) return kCorrupt;
    }
  }
  return kDecoded;
}

}  // namespace lzh

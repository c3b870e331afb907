// Canonical Huffman codes of up to 16 bits, as the block methods send them:
// shorter codes first, equal lengths in symbol order. Decoding is one lookup
// in a root table, and a second one for codes longer than the root.
#pragma once
#include <cstdint>
#include <vector>

#include "archive/bit_reader.h"

namespace lzh {

class HuffmanTable {
 public:
  static const int kMaxBits = 16;

  // False when the lengths claim more codes than there is room for. Codes a
  // table leaves unused decode as errors.
  bool build(const uint8_t* lengths, int count, int root_bits);
  // A table of one symbol that takes no bits.
  void single(int symbol) { single_ = symbol; }

  // The next symbol, or -1 for a code that has none.
  int decode(BitReader& in) const {
    if (single_ >= 0) return single_;
    uint32_t bits = in.peek(kMaxBits);
    uint32_t entry = table_[bits >> (kMaxBits - root_)];
    if (entry & kLink)
      entry = table_[(entry >> 8) +
                     ((bits >> (kMaxBits - longest_)) & ((1u << (longest_ - root_)) - 1))];
    int length = entry & 0x3F;
    if (length == 0) return -1;
    in.skip(length);
    return static_cast<int>(entry >> 8);
  }

 private:
  static const uint32_t kLink = 0x80;
  std::vector<uint32_t> table_;
  int root_ = 0, longest_ = 0, single_ = -1;
};

}  // namespace lzh

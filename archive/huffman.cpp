#include "archive/huffman.h"

namespace lzh {

bool HuffmanTable::build(const uint8_t* lengths, int count, int root_bits) {
  single_ = -1;
  int per_length[kMaxBits + 1] = {0};
  longest_ = 0;
  for (int s = 0; s < count; ++s) {
    if (lengths[s] > kMaxBits) return false;
    ++per_length[lengths[s]];
    if (lengths[s] > longest_) longest_ = lengths[s];
  }
  int32_t room = 1;
  for (int length = 1; length <= kMaxBits; ++length) {
    room = room * 2 - per_length[length];
    if (room < 0) return false;
  }
  root_ = longest_ < root_bits ? (longest_ > 0 ? longest_ : 1) : root_bits;
  table_.assign(size_t(1) << root_, 0);

  uint32_t code = 0;
  for (int length = 1; length <= longest_; ++length) {
    for (int s = 0; s < count; ++s) {
      if (lengths[s] != length) continue;
      uint32_t entry = (static_cast<uint32_t>(s) << 8) | static_cast<uint32_t>(length);
      if (length <= root_) {
        uint32_t first = code << (root_ - length), span = 1u << (root_ - length);
        for (uint32_t i = 0; i < span; ++i) table_[first + i] = entry;
      } else {
        uint32_t root_index = code >> (length - root_);
        if (!(table_[root_index] & kLink)) {
          table_[root_index] = (static_cast<uint32_t>(table_.size()) << 8) | kLink;
          table_.resize(table_.size() + (size_t(1) << (longest_ - root_)), 0);
        }
        uint32_t base = table_[root_index] >> 8;
        uint32_t low = code & ((1u << (length - root_)) - 1);
        uint32_t first = low << (longest_ - length), span = 1u << (longest_ - length);
        for (uint32_t i = 0; i < span; ++i) table_[base + first + i] = entry;
      }
      ++code;
    }
    code <<= 1;
  }
  return true;
}

}  // namespace lzh

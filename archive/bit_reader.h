// Reads a member's packed data as a bit stream, most significant bit first.
// Past the end of the data it yields zero bits and remembers that it did, so
// a decoder never loops on data that is not there: it checks exhausted() at
// each block and each flush of its window.
#pragma once
#include <cstdint>

#include "archive/stream.h"

namespace lzh {

class BitReader {
 public:
  explicit BitReader(Input input) : input_(input) {}

  // The next `count` bits (1..32) without consuming them.
  uint32_t peek(int count) {
    if (available_ < count) refill();
    return static_cast<uint32_t>(bits_ >> (64 - count));
  }
  void skip(int count) {
    if (available_ < count) refill();
    bits_ <<= count;
    available_ -= count;
    consumed_ += static_cast<unsigned>(count);
  }
  uint32_t get(int count) {
    if (count == 0) return 0;
    uint32_t value = peek(count);
    skip(count);
    return value;
  }
  // True once a bit beyond the end of the data has been consumed.
  bool exhausted() const { return consumed_ > loaded_; }

 private:
  void refill() {
    while (available_ <= 56) {
      if (position_ == length_) {
        length_ = input_.read(input_.context, buffer_, sizeof buffer_);
        position_ = 0;
        if (length_ == 0) {
          available_ = 64;  // zero bits, already in place below the real ones
          return;
        }
      }
      bits_ |= static_cast<uint64_t>(buffer_[position_++]) << (56 - available_);
      available_ += 8;
      loaded_ += 8;
    }
  }

  Input input_;
  uint64_t bits_ = 0;
  int available_ = 0;
  uint64_t consumed_ = 0, loaded_ = 0;
  size_t position_ = 0, length_ = 0;
  uint8_t buffer_[32768];
};

}  // namespace lzh

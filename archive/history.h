// The sliding dictionary every LZ method decodes into, doubling as the
// output buffer: decoded bytes pile up after the dictionary and are handed
// to the output in large chunks, after which the newest dictionary-full is
// moved to the front. Copies never run past the member's original size, so
// a corrupt stream cannot make it produce more than the header declared.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/stream.h"

namespace lzh {

class History {
 public:
  // `dictionary` bytes of history, filled with `fill` before the first
  // byte; `longest` is the longest single copy the method makes.
  History(size_t dictionary, uint8_t fill, size_t longest, Output output, uint64_t size)
      : buffer_(dictionary + kChunk + longest, fill),
        dictionary_(dictionary),
        pos_(dictionary),
        flushed_(dictionary),
        limit_(dictionary + kChunk),
        remaining_(size),
        output_(output) {}

  // The initial dictionary, for methods whose history starts with content.
  uint8_t* initial() { return buffer_.data(); }

  bool done() const { return remaining_ == 0; }
  bool full() const { return pos_ >= limit_; }

  void literal(uint8_t byte) {
    buffer_[pos_++] = byte;
    --remaining_;
  }

  // Copies `length` bytes starting `distance` bytes back (1..dictionary).
  void copy(size_t distance, size_t length) {
    if (length > remaining_) length = static_cast<size_t>(remaining_);
    remaining_ -= length;
    uint8_t* to = buffer_.data() + pos_;
    const uint8_t* from = to - distance;
    pos_ += length;
    if (distance >= length) {
      std::memcpy(to, from, length);
    } else if (distance == 1) {
      std::memset(to, *from, length);
    } else {
      for (size_t i = 0; i < length; ++i) to[i] = from[i];
    }
  }

  // Hands the bytes decoded so far to the output and, when the buffer is
  // full, slides the dictionary to the front. False when the output failed.
  bool flush() {
    if (pos_ > flushed_ &&
        !output_.write(output_.context, buffer_.data() + flushed_, pos_ - flushed_))
      return false;
    flushed_ = pos_;
    if (pos_ >= limit_) {
      std::memmove(buffer_.data(), buffer_.data() + pos_ - dictionary_, dictionary_);
      pos_ = flushed_ = dictionary_;
    }
    return true;
  }

 private:
  static const size_t kChunk = 1 << 18;
  std::vector<uint8_t> buffer_;
  size_t dictionary_, pos_, flushed_, limit_;
  uint64_t remaining_;
  Output output_;
};

}  // namespace lzh

// The byte streams a member's data flows through: packed bytes in, original
// bytes out. Both are plain callbacks so that the decoders run the same over
// an archive file, over memory in the tests and under the fuzzer.
#pragma once
#include <cstddef>
#include <cstdint>

namespace lzh {

struct Input {
  // Reads up to `count` packed bytes; 0 means the packed data has ended.
  size_t (*read)(void* context, uint8_t* buffer, size_t count);
  void* context;
};

struct Output {
  // Takes decoded bytes; false stops decoding (the disk is full).
  bool (*write)(void* context, const uint8_t* data, size_t count);
  void* context;
};

// An Input over bytes held in memory.
struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t position;
};
Input memory_input(MemoryInput* source);

}  // namespace lzh

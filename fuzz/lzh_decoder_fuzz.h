// Shared by the decoder fuzz targets. Input: four bytes of original size
// (little-endian, masked so that a run stays quick), a byte that chooses
// the method where a target has a choice, then the packed data. A decoder
// must never read or write outside its buffers, never produce more than the
// size, produce exactly the size when it reports success, and end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/decode.h"

namespace lzh_fuzz {

inline bool count_output(void* context, const uint8_t*, size_t count) {
  *static_cast<uint64_t*>(context) += count;
  return true;
}

inline int decode_input(const uint8_t* data, size_t size, uint32_t size_mask, lzh::Method method) {
  uint64_t original =
      (data[0] | (data[1] << 8) | (data[2] << 16) | (uint32_t(data[3] & 0x0F) << 24)) & size_mask;
  lzh::MemoryInput packed = {data + 5, size - 5, 0};
  uint64_t produced = 0;
  int result = lzh::decode(method, lzh::memory_input(&packed), original,
                           lzh::Output{count_output, &produced});
  if (produced > original) std::abort();
  if (result == lzh::kDecoded && produced != original) std::abort();
  return 0;
}

}  // namespace lzh_fuzz

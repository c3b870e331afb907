// The adaptive Huffman decoder (-lh1-) on arbitrary data.
// Input: four bytes of original size (little-endian, held under 16 KiB so a
// run stays quick), then a byte choosing the method where there is a choice, then the packed data. The decoder must never read or
// write outside its buffers, never produce more than the size, and end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/decode.h"

namespace {

struct Counted {
  uint64_t bytes;
};

bool count_output(void* context, const uint8_t*, size_t count) {
  static_cast<Counted*>(context)->bytes += count;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  uint64_t original = (data[0] | (data[1] << 8) | (data[2] << 16) | (uint32_t(data[3] & 0x0F) << 24)) & 0x3FFF;
  lzh::Method method = lzh::Method::Lh1;
  lzh::MemoryInput packed = {data + 5, size - 5, 0};
  Counted out = {0};
  int result = lzh::decode(method, lzh::memory_input(&packed), original, lzh::Output{count_output, &out});
  if (out.bytes > original) std::abort();
  if (result == lzh::kDecoded && out.bytes != original) std::abort();
  return 0;
}

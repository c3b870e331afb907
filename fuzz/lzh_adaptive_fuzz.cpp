// The adaptive Huffman decoder (-lh1-) on arbitrary data, sizes under 16 KiB.
#include "fuzz/lzh_decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  return lzh_fuzz::decode_input(data, size, 0x3FFF, lzh::Method::Lh1);
}

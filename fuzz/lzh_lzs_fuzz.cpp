// The -lzs- decoder on arbitrary data, sizes under 256 KiB.
#include "fuzz/lzh_decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  return lzh_fuzz::decode_input(data, size, 0x3FFFF, lzh::Method::Lzs);
}

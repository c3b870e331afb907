// The block-coded static Huffman decoders (-lh4- to -lh7-) on arbitrary
// data, sizes under 256 KiB; the fifth byte chooses the method.
#include "fuzz/lzh_decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  static const lzh::Method kMethods[] = {lzh::Method::Lh4, lzh::Method::Lh5, lzh::Method::Lh6,
                                         lzh::Method::Lh7};
  return lzh_fuzz::decode_input(data, size, 0x3FFFF, kMethods[data[4] & 3]);
}

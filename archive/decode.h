// The compression methods this library extracts, and the one call that
// turns a member's packed data into its original bytes.
#pragma once
#include <cstdint>

#include "archive/stream.h"

namespace lzh {

enum class Method {
  Stored,     // -lh0-, -lz4-
  Lh1,        // 4 KiB dictionary, adaptive Huffman coding
  Lh4,        // block-coded static Huffman, 4 KiB dictionary
  Lh5,        // 8 KiB
  Lh6,        // 32 KiB
  Lh7,        // 64 KiB
  Lz5,        // LZSS with a 4 KiB dictionary and flag bytes
  Lzs,        // LZSS with a 2 KiB dictionary, bit flags
  Directory,  // -lhd-: a directory or a symbolic link, no data
  Unknown,    // anything else, including -lh2-, -lh3-, -lhx-, -pm?-
};

// The method named by the five bytes of a header's method field.
Method method_from_id(const uint8_t id[5]);

enum DecodeResult { kDecoded = 1, kCorrupt = -1, kOutputFailed = -2 };

// Decodes a member of `size` original bytes. kDecoded when exactly that many
// bytes were produced without reading past the packed data; kCorrupt when the
// data ends early or breaks the method's rules.
int decode(Method method, Input input, uint64_t size, Output output);

// The individual decoders, over the shared bit reader and history.
class BitReader;
class History;
int decode_static_huffman(BitReader& in, History& out, int position_codes, int position_bits);
int decode_adaptive_huffman(BitReader& in, History& out);
int decode_lz5(Input input, History& out);
int decode_lzs(BitReader& in, History& out);

}  // namespace lzh

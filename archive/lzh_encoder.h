// The LZH writer: the static-Huffman compressor of -lh5-, -lh6- and -lh7-
// members and the level 2 member header. Good enough for our own test data
// and sample catalogue; the archive framing lives in the tool's create
// command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/decode.h"
#include "archive/stream.h"

namespace lzh {

// The methods written: Stored, Lh5, Lh6 and Lh7, which differ only in their
// dictionary (8, 32 or 64 KB). "-lh0-", "-lh5-", ...; nullptr for others.
const char* method_id(Method method);
int dictionary_bits(Method method);  // 13, 15, 16; 0 for the others

// Compresses `size` bytes with Lh5, Lh6 or Lh7, handing the stream to
// `output` as each block is finished, so it is never held whole. At most
// `limit` bytes are ever handed over: when the stream would grow beyond it
// the encoder gives up, which is how a caller falls back to storing.
// Returns 1 when done (*packed_size set), 0 when the stream would exceed
// `limit`, -1 when the output failed or the method is not one of the three.
int compress(Method method, const uint8_t* data, size_t size, uint64_t limit, Output output,
             uint64_t* packed_size);

// Lengths of a Huffman code for freq[0..count), none longer than the 16
// bits a block can describe, 0 for unused symbols; needs two used symbols.
// The code stays complete, which strict decoders insist on.
void limited_code_lengths(const uint32_t* freq, int count, uint8_t* length);

// What a level 2 header says about one member.
struct MemberHeader {
  std::string name;  // a bare file name, stored as it is (Shift-JIS)
  Method method = Method::Lh5;
  uint32_t packed_size = 0;
  uint32_t original_size = 0;
  uint32_t unix_time = 0;  // last write, seconds since 1970 UTC
  uint16_t data_crc = 0;   // CRC-16 of the original bytes
};

// The level 2 header bytes of a member, header CRC included. Its length
// depends only on the name, so a placeholder written before the data can be
// overwritten in place once sizes and CRC are known. Empty when the name
// does not fit a header.
std::string level2_header(const MemberHeader& header);

}  // namespace lzh

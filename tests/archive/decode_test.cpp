// The decoders on streams written bit by bit, and on streams cut short or
// claiming more than they hold.
#include <cstring>
#include <string>
#include <vector>

#include "archive/decode.h"
#include "archive/lzh_encoder.h"
#include "tests/support/ok.h"

namespace {

class Bits {
 public:
  void put(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_ += '\0';
      if (value >> i & 1) bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> (used_ % 8)));
      ++used_;
    }
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  int used_ = 0;
};

void put_single_symbol_block(Bits* bits, uint32_t count, uint8_t byte, int position_bits) {
  bits->put(count, 16);
  bits->put(0, 5), bits->put(0, 5);     // length code: none sent, symbol 0
  bits->put(0, 9), bits->put(byte, 9);  // literal code: the one byte
  bits->put(0, position_bits), bits->put(0, position_bits);  // position code: distance 1
}

struct Decoded {
  int result;
  std::string bytes;
};

bool append(void* context, const uint8_t* data, size_t count) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), count);
  return true;
}

bool refuse(void*, const uint8_t*, size_t) { return false; }

Decoded run(lzh::Method method, const std::string& packed, uint64_t size) {
  lzh::MemoryInput input = {reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), 0};
  Decoded d;
  d.result = lzh::decode(method, lzh::memory_input(&input), size, lzh::Output{append, &d.bytes});
  return d;
}

// A -lh5- block whose three codes are each a single symbol taking no bits:
// `count` copies of `byte`, from seven bytes of stream. -lh6- and -lh7-
// send the position code's counts in 5 bits rather than 4.
std::string single_symbol_block(uint32_t count, uint8_t byte, int position_bits = 4) {
  Bits bits;
  put_single_symbol_block(&bits, count, byte, position_bits);
  return bits.bytes();
}


std::string sample_text() {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of the sample\n";
  return text;
}

}  // namespace

TEST(block_codes_of_one_symbol_take_no_bits) {
  Decoded d = run(lzh::Method::Lh5, single_symbol_block(1000, 'A'), 1000);
  ok(d.result == lzh::kDecoded && d.bytes == std::string(1000, 'A'), "result %d, %u bytes\n", d.result,
     (unsigned)d.bytes.size());
  // Two blocks in a row, the second starting where the first ends.
  Bits two;
  put_single_symbol_block(&two, 3, 'x', 5);
  put_single_symbol_block(&two, 3, 'y', 5);
  d = run(lzh::Method::Lh7, two.bytes(), 6);
  ok(d.result == lzh::kDecoded && d.bytes == "xxxyyy", "two blocks: %d '%s'\n", d.result, d.bytes.c_str());
}

TEST(declared_sizes_beyond_the_data_end_as_corrupt) {
  // Seven bytes can honestly make 1000 bytes; they cannot make a gigabyte,
  // and the decoder must notice soon after the data runs out.
  Decoded d = run(lzh::Method::Lh5, single_symbol_block(1000, 'A'), 1u << 30);
  ok(d.result == lzh::kCorrupt, "result %d\n", d.result);
  ok(d.bytes.size() <= 1000 + 65536, "%u bytes made from nothing\n", (unsigned)d.bytes.size());
  d = run(lzh::Method::Stored, "thirteen byte", 100);
  ok(d.result == lzh::kCorrupt && d.bytes == "thirteen byte", "stored: %d, %u bytes\n", d.result,
     (unsigned)d.bytes.size());
  for (lzh::Method m : {lzh::Method::Lh1, lzh::Method::Lz5, lzh::Method::Lzs, lzh::Method::Lh6}) {
    d = run(m, std::string(16, '\0'), 0xFFFFFFFFu);
    ok(d.result == lzh::kCorrupt && d.bytes.size() < (1u << 20), "method %d: %d after %u bytes\n", (int)m, d.result,
       (unsigned)d.bytes.size());
  }
}

TEST(no_prefix_of_a_stream_decodes) {
  const std::string text = sample_text();
  for (lzh::Method m : {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7}) {
    std::string packed;
    uint64_t packed_size = 0;
    int made = lzh::compress(m, reinterpret_cast<const uint8_t*>(text.data()), text.size(), text.size(),
                             lzh::Output{append, &packed}, &packed_size);
    ok(made == 1, "method %d: no stream to cut\n", (int)m);
    Decoded whole = run(m, packed, text.size());
    ok(whole.result == lzh::kDecoded && whole.bytes == text, "method %d: whole stream %d\n", (int)m, whole.result);
    for (size_t cut = 0; cut < packed.size(); cut += 1 + cut / 16) {
      Decoded d = run(m, packed.substr(0, cut), text.size());
      ok(d.result == lzh::kCorrupt, "method %d cut at %u of %u: result %d\n", (int)m, (unsigned)cut,
         (unsigned)packed.size(), d.result);
      ok(d.bytes.size() <= text.size(), "method %d cut at %u: %u bytes\n", (int)m, (unsigned)cut,
         (unsigned)d.bytes.size());
    }
  }
}

TEST(lzss_methods_address_their_ring_by_place) {
  // -lz5-: writing starts at place 4078. Eight literals, then a match at
  // place 4078 (the first literal) of 18 bytes overlapping itself, and one
  // at place 845 of the starting ring, where 'A' (65 x 13) stands 13 times.
  std::string lz5 = "\xFF" "ABCDEFGH";
  lz5 += '\xFC';  // two matches, then literals
  lz5 += static_cast<char>(4078 & 0xFF);
  lz5 += static_cast<char>(((4078 >> 4) & 0xF0) | 15);
  lz5 += static_cast<char>(845 & 0xFF);
  lz5 += static_cast<char>(((845 >> 4) & 0xF0) | 10);
  lz5 += "!";
  Decoded d = run(lzh::Method::Lz5, lz5, 8 + 18 + 13 + 1);
  ok(d.result == lzh::kDecoded && d.bytes == "ABCDEFGHABCDEFGHABCDEFGHAB" + std::string(13, 'A') + "!",
     "lz5: %d '%s'\n", d.result, d.bytes.c_str());

  // -lzs-: flag bits, writing from place 2031.
  Bits lzs;
  for (char c : std::string("xyz")) lzs.put(1, 1), lzs.put(static_cast<uint8_t>(c), 8);
  lzs.put(0, 1), lzs.put(2031, 11), lzs.put(5, 4);  // 7 bytes from the first literal
  d = run(lzh::Method::Lzs, lzs.bytes(), 10);
  ok(d.result == lzh::kDecoded && d.bytes == "xyzxyzxyzx", "lzs: %d '%s'\n", d.result, d.bytes.c_str());
}

TEST(a_failing_output_stops_decoding) {
  lzh::MemoryInput input = {reinterpret_cast<const uint8_t*>("abc"), 3, 0};
  ok(lzh::decode(lzh::Method::Stored, lzh::memory_input(&input), 3, lzh::Output{refuse, nullptr}) ==
         lzh::kOutputFailed, "stored copy went on\n");
  std::string block = single_symbol_block(60000, 'z');
  lzh::MemoryInput packed = {reinterpret_cast<const uint8_t*>(block.data()), block.size(), 0};
  ok(lzh::decode(lzh::Method::Lh5, lzh::memory_input(&packed), 60000, lzh::Output{refuse, nullptr}) ==
         lzh::kOutputFailed, "-lh5- went on\n");
}

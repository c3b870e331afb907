// -lh4- to -lh7-: blocks of LZ77 symbols, each block opening with its own
// Huffman code lengths: first the lengths of the code that sends the
// literal/length code's lengths, then the literal/length code (510 symbols:
// bytes, then match lengths 3..256), then the position code (the bit length
// of each distance, followed by its lower bits).
#include "archive/bit_reader.h"
#include "archive/decode.h"
#include "archive/history.h"
#include "archive/huffman.h"

namespace lzh {
namespace {

const int kLiteralCodes = 510;  // 256 bytes and lengths 3..256
const int kLengthCodes = 19;    // code lengths 0..16, and three run codes
const int kMinMatch = 3;

struct Tables {
  HuffmanTable lengths, literals, positions;
};

// Reads the lengths of a small code: `count_bits` give how many follow, each
// 3 bits or 7 plus a run of one bits. After `skip_at` lengths a 2-bit count
// of zero lengths may follow (only in the length code's own table).
bool read_small_code(BitReader& in, HuffmanTable* table, int symbols, int count_bits, int skip_at) {
  int count = static_cast<int>(in.get(count_bits));
  if (count == 0) {
    int symbol = static_cast<int>(in.get(count_bits));
    if (symbol >= symbols) return false;
    table->single(symbol);
    return true;
  }
  if (count > symbols) return false;
  uint8_t lengths[32] = {0};
  int i = 0;
  while (i < count) {
    int length = static_cast<int>(in.get(3));
    if (length == 7) {
      while (in.get(1)) {
        if (++length > HuffmanTable::kMaxBits) return false;
      }
    }
    lengths[i++] = static_cast<uint8_t>(length);
    if (i == skip_at) {
      int zeros = static_cast<int>(in.get(2));
      while (zeros-- > 0 && i < symbols) lengths[i++] = 0;
    }
  }
  return table->build(lengths, symbols, 8);
}

bool read_literal_code(BitReader& in, Tables* t) {
  int count = static_cast<int>(in.get(9));
  if (count == 0) {
    int symbol = static_cast<int>(in.get(9));
    if (symbol >= kLiteralCodes) return false;
    t->literals.single(symbol);
    return true;
  }
  if (count > kLiteralCodes) return false;
  uint8_t lengths[kLiteralCodes] = {0};
  int i = 0;
  while (i < count) {
    int code = t->lengths.decode(in);
    if (code < 0) return false;
    if (code > 2) {
      lengths[i++] = static_cast<uint8_t>(code - 2);
      continue;
    }
    int zeros = code == 0   ? 1
                : code == 1 ? static_cast<int>(in.get(4)) + 3
                            : static_cast<int>(in.get(9)) + 20;
    while (zeros-- > 0 && i < count) lengths[i++] = 0;
  }
  return t->literals.build(lengths, kLiteralCodes, 12);
}

}  // namespace

int decode_static_huffman(BitReader& in, History& out, int position_codes, int position_bits) {
  Tables t;
  while (!out.done()) {
    if (in.exhausted()) return kCorrupt;
    uint32_t block = in.get(16);
    if (!read_small_code(in, &t.lengths, kLengthCodes, 5, 3)) return kCorrupt;
    if (!read_literal_code(in, &t)) return kCorrupt;
    if (!read_small_code(in, &t.positions, position_codes, position_bits, -1)) return kCorrupt;
    for (; block > 0 && !out.done(); --block) {
      int code = t.literals.decode(in);
      if (code < 0) return kCorrupt;
      if (code < 256) {
        out.literal(static_cast<uint8_t>(code));
      } else {
        int bits = t.positions.decode(in);
        if (bits < 0) return kCorrupt;
        size_t distance =
            bits < 2 ? static_cast<size_t>(bits) : (size_t(1) << (bits - 1)) + in.get(bits - 1);
        out.copy(distance + 1, static_cast<size_t>(code - 256 + kMinMatch));
      }
      if (out.full()) {
        if (!out.flush()) return kOutputFailed;
        if (in.exhausted()) return kCorrupt;
      }
    }
  }
  return kDecoded;
}

}  // namespace lzh

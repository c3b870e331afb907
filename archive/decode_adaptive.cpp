// -lh1-: LZ77 over a 4 KiB dictionary whose literals and match lengths share
// one adaptive Huffman tree (314 symbols: bytes, then lengths 3..60), rebuilt
// from halved counts whenever the root count reaches 0x8000. A distance is
// sent as its upper 6 bits in a fixed code of 3 to 8 bits, then 6 plain bits.
#include <cstring>

#include "archive/bit_reader.h"
#include "archive/decode.h"
#include "archive/history.h"

namespace lzh {
namespace {

const int kSymbols = 314;
const int kNodes = kSymbols * 2 - 1;  // leaves and inner nodes
const int kRoot = kNodes - 1;
const uint16_t kRebuildAt = 0x8000;

// Node arrays: child[n] >= kNodes marks a leaf for symbol child[n] - kNodes;
// otherwise child[n] and child[n] + 1 are the node's two children. The
// nodes stay sorted by count, which is what keeps the tree a Huffman tree.
struct Tree {
  uint16_t count[kNodes + 1];
  uint16_t parent[kNodes + kSymbols];
  uint16_t child[kNodes];

  Tree() {
    for (int i = 0; i < kSymbols; ++i) {
      count[i] = 1;
      child[i] = static_cast<uint16_t>(i + kNodes);
      parent[i + kNodes] = static_cast<uint16_t>(i);
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
      count[j] = static_cast<uint16_t>(count[i] + count[i + 1]);
      child[j] = static_cast<uint16_t>(i);
      parent[i] = parent[i + 1] = static_cast<uint16_t>(j);
    }
    count[kNodes] = 0xFFFF;  // a sentinel above every real count
    parent[kRoot] = 0;
  }

  void rebuild() {
    int leaves = 0;
    for (int i = 0; i < kNodes; ++i) {
      if (child[i] >= kNodes) {
        count[leaves] = static_cast<uint16_t>((count[i] + 1) / 2);
        child[leaves] = child[i];
        ++leaves;
      }
    }
    for (int i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
      uint16_t sum = static_cast<uint16_t>(count[i] + count[i + 1]);
      int k = j - 1;
      while (sum < count[k]) --k;
      ++k;
      std::memmove(&count[k + 1], &count[k], sizeof count[0] * (j - k));
      std::memmove(&child[k + 1], &child[k], sizeof child[0] * (j - k));
      count[k] = sum;
      child[k] = static_cast<uint16_t>(i);
    }
    for (int i = 0; i < kNodes; ++i) {
      int c = child[i];
      if (c >= kNodes)
        parent[c] = static_cast<uint16_t>(i);
      else
        parent[c] = parent[c + 1] = static_cast<uint16_t>(i);
    }
  }

  // Counts one more use of `symbol`, swapping nodes up to keep the order.
  void update(int symbol) {
    if (count[kRoot] == kRebuildAt) rebuild();
    int node = parent[symbol + kNodes];
    do {
      uint16_t k = ++count[node];
      int l = node + 1;
      if (k > count[l]) {
        while (k > count[++l]) {}
        --l;
        count[node] = count[l];
        count[l] = k;
        int i = child[node];
        parent[i] = static_cast<uint16_t>(l);
        if (i < kNodes) parent[i + 1] = static_cast<uint16_t>(l);
        int j = child[l];
        child[l] = static_cast<uint16_t>(i);
        parent[j] = static_cast<uint16_t>(node);
        if (j < kNodes) parent[j + 1] = static_cast<uint16_t>(node);
        child[node] = static_cast<uint16_t>(j);
        node = l;
      }
      node = parent[node];
    } while (node != 0);
  }

  int decode(BitReader& in) {
    int node = child[kRoot];
    while (node < kNodes) node = child[node + static_cast<int>(in.get(1))];
    int symbol = node - kNodes;
    update(symbol);
    return symbol;
  }
};

// The fixed code of a distance's upper 6 bits, indexed by the next 8 bits:
// 1 code of 3 bits, 3 of 4, 8 of 5, 12 of 6, 24 of 7 and 16 of 8.
struct PositionCode {
  uint8_t upper[256];
  uint8_t length[256];
  PositionCode() {
    static const int per_length[] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
    int index = 0, value = 0;
    for (int length = 3; length <= 8; ++length) {
      for (int n = 0; n < per_length[length]; ++n, ++value) {
        for (int k = 0; k < (1 << (8 - length)); ++k, ++index) {
          upper[index] = static_cast<uint8_t>(value);
          this->length[index] = static_cast<uint8_t>(length);
        }
      }
    }
  }
};

const PositionCode kPositions;

}  // namespace

int decode_adaptive_huffman(BitReader& in, History& out) {
  Tree tree;
  while (!out.done()) {
    int symbol = tree.decode(in);
    if (symbol < 256) {
      out.literal(static_cast<uint8_t>(symbol));
    } else {
      uint32_t first = in.peek(8);
      int length = kPositions.length[first];
      uint32_t distance =
          (static_cast<uint32_t>(kPositions.upper[first]) << 6) | (in.get(length + 6) & 0x3F);
      out.copy(distance + 1, static_cast<size_t>(symbol - 256 + 3));
    }
    if (out.full()) {
      if (!out.flush()) return kOutputFailed;
      if (in.exhausted()) return kCorrupt;
    }
  }
  return kDecoded;
}

}  // namespace lzh

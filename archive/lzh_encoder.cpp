#include "archive/lzh_encoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/crc16.h"
#include "platform/byte_fields.h"

namespace lzh {
namespace {

// Block format constants shared by the three methods.
const int kMinMatch = 3;
const int kMaxMatch = 256;
const int kNC = 256 + kMaxMatch - kMinMatch + 1;  // literals and lengths
const int kNT = 16 + 3;                           // code lengths 1-16 and three zero-run codes
const int kTBits = 5;
const int kCBits = 9;
const int kMaxCodeLength = 16;
const int kMaxBlockCodes = 65535;
const int kMaxNP = 17;

// Match search effort: enough for a good ratio at tens of MB per second.
const int kMaxHashBits = 16;
const int kMaxChain = 96;
const int kNiceLength = 128;          // a match this long ends the search
const int kMaxLazy = 64;              // a match this long is taken without a look one byte on
const unsigned kFarThreshold = 4096;  // a 3-byte match further away costs more than literals

// Most significant bit first, as the format reads them.
struct BitWriter {
  std::string out;
  uint64_t accumulator = 0;
  int pending = 0;

  void put(uint32_t value, int count) {
    accumulator = (accumulator << count) | value;
    pending += count;
    while (pending >= 8) {
      pending -= 8;
      out.push_back(static_cast<char>((accumulator >> pending) & 0xFF));
    }
  }
  void flush() {
    if (pending > 0) put(0, 8 - pending);
  }
};

}  // namespace

void limited_code_lengths(const uint32_t* freq, int n, uint8_t* length) {
  std::vector<int> leaves;
  for (int i = 0; i < n; ++i) {
    length[i] = 0;
    if (freq[i] > 0) leaves.push_back(i);
  }
  std::stable_sort(leaves.begin(), leaves.end(), [&](int a, int b) { return freq[a] < freq[b]; });
  const int m = static_cast<int>(leaves.size());

  // Two-queue construction: leaves in ascending weight, then the merged
  // nodes, which are made in ascending weight too.
  std::vector<uint64_t> weight(2 * m);
  std::vector<int> parent(2 * m, 0);
  for (int i = 0; i < m; ++i) weight[i] = freq[leaves[i]];
  int next_leaf = 0, next_node = m, made = m;
  auto take = [&]() {
    if (next_leaf < m && (next_node >= made || weight[next_leaf] <= weight[next_node]))
      return next_leaf++;
    return next_node++;
  };
  while (made < 2 * m - 1) {
    int a = take(), b = take();
    weight[made] = weight[a] + weight[b];
    parent[a] = parent[b] = made;
    ++made;
  }
  std::vector<int> depth(2 * m - 1, 0);
  std::vector<int> count(m + 1, 0);
  int deepest = 0;
  for (int i = 2 * m - 3; i >= 0; --i) {
    depth[i] = depth[parent[i]] + 1;
    if (i < m) {
      ++count[depth[i]];
      deepest = std::max(deepest, depth[i]);
    }
  }

  // Too deep: move leaves up in pairs while keeping the code complete.
  for (int i = deepest; i > kMaxCodeLength; --i) {
    while (count[i] > 0) {
      int j = i - 2;
      while (count[j] == 0) --j;
      count[i] -= 2;
      count[i - 1] += 1;
      count[j + 1] += 2;
      count[j] -= 1;
    }
  }
  // The rarest symbols take the longest codes.
  int leaf = 0;
  for (int bits = std::min(deepest, kMaxCodeLength); bits >= 1; --bits)
    for (int k = 0; k < count[bits]; ++k) length[leaves[leaf++]] = static_cast<uint8_t>(bits);
}

namespace {

// Canonical codes: shorter codes first, equal lengths in symbol order.
void make_codes(const uint8_t* length, int n, uint16_t* code) {
  uint32_t count[kMaxCodeLength + 1] = {};
  for (int i = 0; i < n; ++i) ++count[length[i]];
  count[0] = 0;
  uint32_t start[kMaxCodeLength + 2] = {};
  for (int bits = 1; bits <= kMaxCodeLength; ++bits)
    start[bits + 1] = (start[bits] + count[bits]) << 1;
  for (int i = 0; i < n; ++i)
    if (length[i] > 0) code[i] = static_cast<uint16_t>(start[length[i]]++);
}

// The only used symbol, or -1 when none or several are used.
int single_symbol(const uint32_t* freq, int n) {
  int found = -1;
  for (int i = 0; i < n; ++i) {
    if (freq[i] == 0) continue;
    if (found >= 0) return -1;
    found = i;
  }
  return found;
}

int used_symbols(const uint32_t* freq, int n) {
  int used = 0;
  for (int i = 0; i < n; ++i) used += freq[i] > 0;
  return used;
}

// Position code: 0 for distance 1, otherwise the bit length of distance-1,
// followed by that many bits less one.
int position_code(uint32_t d) {
  int bits = 0;
  while (d) {
    ++bits;
    d >>= 1;
  }
  return bits;
}

// One step of the C-length table: a T symbol and the bits that follow it.
struct LengthStep {
  uint8_t symbol;
  uint16_t extra;
  uint8_t extra_bits;
};

// Code lengths of the literal/length code as T symbols: 0 one zero, 1 a run
// of 3-18 zeros, 2 a run of 20-531 zeros, n+2 a length n.
std::vector<LengthStep> length_steps(const uint8_t* length, int n) {
  std::vector<LengthStep> steps;
  int i = 0;
  while (i < n) {
    if (length[i] != 0) {
      steps.push_back({static_cast<uint8_t>(length[i] + 2), 0, 0});
      ++i;
      continue;
    }
    int run = 0;
    while (i + run < n && length[i + run] == 0) ++run;
    i += run;
    if (run == 19) {  // between the two run codes
      steps.push_back({0, 0, 0});
      run = 18;
    }
    if (run <= 2) {
      for (int k = 0; k < run; ++k) steps.push_back({0, 0, 0});
    } else if (run <= 18) {
      steps.push_back({1, static_cast<uint16_t>(run - 3), 4});
    } else {
      steps.push_back({2, static_cast<uint16_t>(run - 20), kCBits});
    }
  }
  return steps;
}

// A table of code lengths for the T and position codes: lengths 0-6 in
// three bits, longer ones as 7 followed by one 1 bit per extra length and a
// 0. The T table alone has a two-bit count of zeros after its third entry.
void put_lengths(BitWriter* bits, const uint8_t* length, int n, int count_bits,
                 bool zeros_after_third) {
  int used = n;
  while (used > 0 && length[used - 1] == 0) --used;
  bits->put(static_cast<uint32_t>(used), count_bits);
  int i = 0;
  while (i < used) {
    int len = length[i++];
    if (len <= 6) {
      bits->put(static_cast<uint32_t>(len), 3);
    } else {
      bits->put(7, 3);
      for (int k = 7; k < len; ++k) bits->put(1, 1);
      bits->put(0, 1);
    }
    if (zeros_after_third && i == 3) {
      int zeros = 0;
      while (zeros < 3 && i + zeros < used && length[i + zeros] == 0) ++zeros;
      bits->put(static_cast<uint32_t>(zeros), 2);
      i += zeros;
    }
  }
}

struct Token {
  uint16_t symbol;    // literal byte, or 256 + length - 3
  uint16_t distance;  // distance - 1, for a match
};

struct Encoder {
  const uint8_t* data;
  size_t size;
  int dict_bits;
  int np;
  int p_bits;
  uint32_t max_distance;
  uint32_t window_mask;
  int hash_bits;

  std::vector<uint32_t> head;  // last position + 1 with each hash, 0 for none
  std::vector<uint32_t> prev;  // earlier position + 1 with the same hash, by position in the window

  std::vector<Token> tokens;
  BitWriter bits;

  uint64_t limit;
  uint64_t written = 0;
  Output output;
  int result = 1;  // 1 going, 0 past the limit, -1 write failed
};

uint32_t hash_at(const uint8_t* p, int bits) {
  uint32_t v = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  return (v * 2654435761u) >> (32 - bits);
}

void insert(Encoder* e, size_t pos) {
  if (pos + kMinMatch > e->size) return;
  uint32_t h = hash_at(e->data + pos, e->hash_bits);
  e->prev[pos & e->window_mask] = e->head[h];
  e->head[h] = static_cast<uint32_t>(pos + 1);
}

// Longest earlier match for the bytes at pos, searched along the hash chain
// before pos itself is inserted.
unsigned find_match(const Encoder* e, size_t pos, uint32_t* distance) {
  size_t available = e->size - pos;
  if (available < static_cast<size_t>(kMinMatch)) return 0;
  const unsigned longest = static_cast<unsigned>(std::min<size_t>(kMaxMatch, available));
  const size_t lowest = pos > e->max_distance ? pos - e->max_distance : 0;
  const uint8_t* here = e->data + pos;
  unsigned best = kMinMatch - 1;
  uint32_t candidate = e->head[hash_at(here, e->hash_bits)];
  for (int chain = kMaxChain; candidate != 0 && chain > 0; --chain) {
    size_t at = candidate - 1;
    if (at < lowest) break;
    const uint8_t* there = e->data + at;
    if (there[best] == here[best] && there[0] == here[0]) {
      unsigned len = 0;
      while (len < longest && there[len] == here[len]) ++len;
      if (len > best) {
        best = len;
        *distance = static_cast<uint32_t>(pos - at);
        if (len >= static_cast<unsigned>(kNiceLength) || len == longest) break;
      }
    }
    candidate = e->prev[at & e->window_mask];
  }
  if (best < static_cast<unsigned>(kMinMatch)) return 0;
  if (best == static_cast<unsigned>(kMinMatch) && *distance > kFarThreshold) return 0;
  return best;
}

// Hands over the whole bytes made so far, unless they would pass the limit.
void drain(Encoder* e) {
  if (e->result != 1 || e->bits.out.empty()) return;
  if (e->written + e->bits.out.size() > e->limit) {
    e->result = 0;
    return;
  }
  if (!e->output.write(e->output.context, reinterpret_cast<const uint8_t*>(e->bits.out.data()),
                       e->bits.out.size())) {
    e->result = -1;
    return;
  }
  e->written += e->bits.out.size();
  e->bits.out.clear();
}

// One block: token count, the T table (or the C table's single symbol),
// the C table, the position table, then the tokens.
void write_block(Encoder* e) {
  uint32_t c_freq[kNC] = {};
  uint32_t p_freq[kMaxNP] = {};
  for (const Token& t : e->tokens) {
    ++c_freq[t.symbol];
    if (t.symbol >= 256) ++p_freq[position_code(t.distance)];
  }
  BitWriter& bits = e->bits;
  bits.put(static_cast<uint32_t>(e->tokens.size()), 16);

  uint8_t c_len[kNC] = {};
  uint16_t c_code[kNC] = {};
  int c_single = single_symbol(c_freq, kNC);
  if (c_single >= 0) {
    bits.put(0, kTBits);
    bits.put(0, kTBits);
    bits.put(0, kCBits);
    bits.put(static_cast<uint32_t>(c_single), kCBits);
  } else {
    limited_code_lengths(c_freq, kNC, c_len);
    make_codes(c_len, kNC, c_code);
    int c_used = kNC;
    while (c_len[c_used - 1] == 0) --c_used;
    std::vector<LengthStep> steps = length_steps(c_len, c_used);

    uint32_t t_freq[kNT] = {};
    for (const LengthStep& s : steps) ++t_freq[s.symbol];
    uint8_t t_len[kNT] = {};
    uint16_t t_code[kNT] = {};
    int t_single = single_symbol(t_freq, kNT);
    if (t_single >= 0) {
      bits.put(0, kTBits);
      bits.put(static_cast<uint32_t>(t_single), kTBits);
    } else {
      limited_code_lengths(t_freq, kNT, t_len);
      make_codes(t_len, kNT, t_code);
      put_lengths(&bits, t_len, kNT, kTBits, true);
    }
    bits.put(static_cast<uint32_t>(c_used), kCBits);
    for (const LengthStep& s : steps) {
      bits.put(t_code[s.symbol], t_len[s.symbol]);
      bits.put(s.extra, s.extra_bits);
    }
  }

  uint8_t p_len[kMaxNP] = {};
  uint16_t p_code[kMaxNP] = {};
  if (used_symbols(p_freq, e->np) <= 1) {
    int p_single = single_symbol(p_freq, e->np);
    bits.put(0, e->p_bits);
    bits.put(static_cast<uint32_t>(p_single < 0 ? 0 : p_single), e->p_bits);
  } else {
    limited_code_lengths(p_freq, e->np, p_len);
    make_codes(p_len, e->np, p_code);
    put_lengths(&bits, p_len, e->np, e->p_bits, false);
  }

  for (const Token& t : e->tokens) {
    bits.put(c_code[t.symbol], c_len[t.symbol]);
    if (t.symbol < 256) continue;
    int p = position_code(t.distance);
    bits.put(p_code[p], p_len[p]);
    if (p > 1) bits.put(t.distance - (1u << (p - 1)), p - 1);
  }
  e->tokens.clear();
  drain(e);
}

void emit(Encoder* e, uint16_t symbol, uint16_t distance) {
  e->tokens.push_back({symbol, distance});
  if (e->tokens.size() == static_cast<size_t>(kMaxBlockCodes)) write_block(e);
}

// Greedy parsing with a one-byte lazy look: a match is put off when the
// next position starts a longer one.
void parse(Encoder* e) {
  size_t pos = 0;
  bool pending = false;  // a literal or match found at pos - 1, not yet emitted
  unsigned pending_len = 0;
  uint32_t pending_distance = 0;
  while (pos < e->size && e->result == 1) {
    unsigned len = 0;
    uint32_t distance = 0;
    if (!pending || pending_len < static_cast<unsigned>(kMaxLazy))
      len = find_match(e, pos, &distance);
    insert(e, pos);
    if (pending && pending_len >= static_cast<unsigned>(kMinMatch) && len <= pending_len) {
      emit(e, static_cast<uint16_t>(256 + pending_len - kMinMatch),
           static_cast<uint16_t>(pending_distance - 1));
      size_t end = pos - 1 + pending_len;
      for (size_t q = pos + 1; q < end; ++q) insert(e, q);
      pos = end;
      pending = false;
      continue;
    }
    if (pending) emit(e, e->data[pos - 1], 0);
    pending = true;
    pending_len = len;
    pending_distance = distance;
    ++pos;
  }
  if (pending && e->result == 1) emit(e, e->data[pos - 1], 0);
}

}  // namespace

const char* method_id(Method method) {
  switch (method) {
    case Method::Stored: return "-lh0-";
    case Method::Lh5: return "-lh5-";
    case Method::Lh6: return "-lh6-";
    case Method::Lh7: return "-lh7-";
    default: return nullptr;
  }
}

int dictionary_bits(Method method) {
  switch (method) {
    case Method::Lh5: return 13;
    case Method::Lh6: return 15;
    case Method::Lh7: return 16;
    default: return 0;
  }
}

int compress(Method method, const uint8_t* data, size_t size, uint64_t limit, Output output,
             uint64_t* packed_size) {
  const int dict_bits = dictionary_bits(method);
  if (dict_bits == 0 || size >= 0xFFFFFFFFu) return -1;
  Encoder e;
  e.data = data;
  e.size = size;
  e.dict_bits = dict_bits;
  e.np = dict_bits + 1;
  e.p_bits = dict_bits == 13 ? 4 : 5;
  // One short of the dictionary, so no decoder has to copy from the very
  // byte it is about to overwrite.
  e.max_distance = (1u << dict_bits) - 1;
  // Small members get small tables: a chain window that still holds every
  // position of the input, and fewer hash heads.
  size_t window = size_t(1) << dict_bits;
  while (window > 256 && window / 2 >= size) window /= 2;
  e.window_mask = static_cast<uint32_t>(window - 1);
  e.hash_bits = 8;
  while (e.hash_bits < kMaxHashBits && (size_t(1) << e.hash_bits) < size) ++e.hash_bits;
  e.head.assign(size_t(1) << e.hash_bits, 0);
  e.prev.assign(window, 0);
  e.tokens.reserve(std::min<size_t>(kMaxBlockCodes, size + 1));
  e.limit = limit;
  e.output = output;

  parse(&e);
  if (e.result == 1 && !e.tokens.empty()) write_block(&e);
  if (e.result == 1) {
    e.bits.flush();
    drain(&e);
  }
  if (e.result == 1) *packed_size = e.written;
  return e.result;
}

std::string level2_header(const MemberHeader& h) {
  // Base part (24 bytes and the first extension size), the common extension
  // with the header CRC, the file name extension, and the closing zero size.
  const size_t kBase = 26, kCommon = 5, kNameFixed = 3;
  size_t total = kBase + kCommon + kNameFixed + h.name.size();
  // A header whose length has a zero low byte would read as the end of the
  // archive to tools that test the first byte; they pad such headers by one.
  if ((total & 0xFF) == 0) ++total;
  if (h.name.empty() || total > 0xFFFF || !method_id(h.method)) return std::string();

  std::string s(total, '\0');
  uint8_t* b = reinterpret_cast<uint8_t*>(&s[0]);
  plat::put_u16(b, static_cast<uint16_t>(total));
  std::memcpy(&s[2], method_id(h.method), 5);
  plat::put_u32(b + 7, h.packed_size);
  plat::put_u32(b + 11, h.original_size);
  plat::put_u32(b + 15, h.unix_time);
  s[19] = 0x20;  // archive attribute byte of the older levels, fixed here
  s[20] = 2;     // header level
  plat::put_u16(b + 21, h.data_crc);
  // Made on Windows: readers keep the name's case, where an MS-DOS one
  // would have them lower an all-capital name such as TRBHN.DAT.
  s[23] = 'w';
  plat::put_u16(b + 24, static_cast<uint16_t>(kCommon));

  s[26] = 0x00;  // common extension: header CRC at 27, filled last
  plat::put_u16(b + 29, static_cast<uint16_t>(kNameFixed + h.name.size()));
  s[31] = 0x01;  // file name extension
  std::memcpy(&s[32], h.name.data(), h.name.size());
  plat::put_u16(b + 32 + h.name.size(), 0);

  uint16_t crc = crc16_update(0, reinterpret_cast<const uint8_t*>(s.data()), s.size());
  plat::put_u16(b + 27, crc);
  return s;
}

}  // namespace lzh

#include "tests/archive/roundtrip_data.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace roundtrip {
namespace {

struct Lcg {
  uint32_t state;
  uint32_t next() { return (state = state * 1103515245u + 12345u) >> 8; }
  uint32_t below(uint32_t n) { return next() % n; }
};

void put_le(std::string* s, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) (*s)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

const char* const kNames[] = {"片開きドア", "引違い窓", "洗面化粧台", "システムキッチン",
                              "表示灯",     "ソファー", "換気扇"};
const char* const kMakers[] = {"東洋建材", "日本住設", "北星工業", "能登製作所"};

}  // namespace

std::string parts_index_shape() {
  const size_t kGroups = 40, kSubgroups = 60, kSlots = 100;
  const size_t kSubgroupBase = 1040, kRecordBase = 63440;
  std::string s(6783440, '\0');
  Lcg rng = {7};
  for (size_t g = 0; g < kGroups; g += 3) {
    put_le(&s, 26 * g, static_cast<uint32_t>(g + 1), 2);
    std::snprintf(&s[26 * g + 2], 24, "%s", kNames[g % 7]);
    for (size_t sub = 0; sub < kSubgroups; sub += 1 + rng.below(6)) {
      size_t at = kSubgroupBase + 26 * (kSubgroups * g + sub);
      put_le(&s, at, static_cast<uint32_t>(100 * g + sub + 1), 2);
      std::snprintf(&s[at + 2], 24, "%s", kMakers[sub % 4]);
      for (size_t k = 0; k < kSlots; k += 1 + rng.below(40)) {
        size_t rec = kRecordBase + 168000 * g + 2800 * sub + 28 * k;
        put_le(&s, rec, 1001 + rng.below(59000), 4);
        for (int b = 4; b < 28; ++b)
          s[rec + b] = static_cast<char>(rng.below(4) == 0 ? rng.below(256) : 0);
      }
    }
  }
  return s;
}

std::string catalogue_text(size_t size) {
  std::string s;
  Lcg rng = {11};
  char line[200];
  while (s.size() < size) {
    std::snprintf(line, sizeof line, "P%07u,%s,%s,%u\r\n", 1001 + rng.below(59000),
                  kNames[rng.below(7)], kMakers[rng.below(4)], rng.below(3));
    s += line;
  }
  s.resize(size);
  return s;
}

std::string random_bytes(size_t size, unsigned seed) {
  std::string s(size, '\0');
  Lcg rng = {seed};
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(rng.next() & 0xFF);
  return s;
}

std::string mixed(size_t size) {
  std::string s;
  Lcg rng = {23};
  while (s.size() < size) {
    size_t n = 2000 + rng.below(30000);
    switch (rng.below(5)) {
      case 0: s += random_bytes(n, rng.next()); break;
      case 1: s += catalogue_text(n); break;
      case 2: s.append(n, '\0'); break;
      case 3: s += lopsided(n); break;
      default:  // an earlier stretch again, up to the largest dictionary back
        if (s.size() > 70000) {
          size_t back = 1000 + rng.below(64000);
          s += s.substr(s.size() - back, n < back ? n : back);
        }
    }
  }
  s.resize(size);
  return s;
}

std::string lopsided(size_t size) {
  // Each stretch of one block's worth of bytes is noise over 236 byte
  // values, so that matches are rare and nearly every code is a literal,
  // shuffled with 20 values of Fibonacci counts: an unbounded Huffman tree
  // would hang those in a chain 19 levels deep. A tail of plain noise keeps
  // the next stretch's rare values out of the block.
  const size_t kStretch = 60000, kTail = 5535;
  std::string s;
  Lcg rng = {31};
  while (s.size() < size) {
    std::string stretch;
    uint32_t a = 1, b = 1;
    for (int value = 236; value < 256; ++value, a += b, std::swap(a, b))
      stretch.append(a, static_cast<char>(value));
    while (stretch.size() < kStretch) stretch.push_back(static_cast<char>(rng.below(236)));
    for (size_t i = stretch.size() - 1; i > 0; --i)
      std::swap(stretch[i], stretch[rng.below(static_cast<uint32_t>(i + 1))]);
    while (stretch.size() < kStretch + kTail) stretch.push_back(static_cast<char>(rng.below(236)));
    s += stretch;
  }
  s.resize(size);
  return s;
}

std::vector<DataSet> round_trip_sets() {
  return {{"empty", ""},
          {"one.bin", "\x5C"},
          {"TRBHN.DAT", parts_index_shape()},
          {"catalogue.txt", catalogue_text(300000)},
          {"noise.bin", random_bytes(200000, 77)},
          {"mixed.bin", mixed(1500000)},
          {"lopsided.bin", lopsided(200000)}};
}

}  // namespace roundtrip

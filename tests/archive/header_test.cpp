// Headers that are not sound are refused without reading past their end.
// Sound headers of every level are checked against lhasa by the corpus.
#include <string>
#include <utility>

#include "archive/header.h"
#include "tests/archive/member_bytes.h"
#include "tests/support/ok.h"

TEST(broken_headers_are_refused) {
  lzhtest::Member m;
  m.name = "dir\\FILE.TXT";
  m.data = "hello, world\n";
  auto patched = [&](int level, size_t at, const std::string& bytes) {
    return member(level, m).replace(at, bytes.size(), bytes);
  };
  lzhtest::Member overclaimed = m;  // level 1: extended headers beyond the packed size
  overclaimed.extra = {"\x3F" "a comment"};
  overclaimed.packed_size = 2;
  std::string bad_sum = member(0, m);
  bad_sum[1] = static_cast<char>(bad_sum[1] + 1);
  const std::string level2 = member(2, m);
  std::vector<std::pair<const char*, std::string>> cases = {
      {"checksum", bad_sum},
      {"level 4", patched(2, 20, "\x04")},
      {"no method", patched(0, 2, "x")},
      {"extended headers beyond the packed size", member(1, overclaimed)},
      {"extended header beyond the end", patched(2, 24, "\xF0\x7F")},
      {"extended header of 1 byte", patched(2, 24, std::string("\x01\x00", 2))},
      {"level 3 header of 4 GiB", patched(3, 24, lzhtest::le32(0xFFFFFFF0u))},
  };
  for (size_t cut = 1; cut < level2.size() - m.data.size(); ++cut)
    cases.push_back({"cut inside the header", level2.substr(0, cut)});
  auto read = [](const std::string& bytes) {
    lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    lzh::Header h;
    return lzh::read_header(lzh::memory_source(&memory), 0, &h);
  };
  for (int level = 0; level < 4; ++level) ok(read(member(level, m)) == lzh::kHeader, "level %d: refused\n", level);
  for (const auto& c : cases)
    ok(read(c.second) == lzh::kBadHeader, "%s (%u bytes): accepted\n", c.first, (unsigned)c.second.size());
}

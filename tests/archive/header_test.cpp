// The member header reader against headers written field by field: what it
// takes from each level, and what it refuses.
#include <string>

#include "archive/header.h"
#include "tests/archive/member_bytes.h"
#include "tests/support/ok.h"

using lzhtest::Member;

namespace {

int read_first(const std::string& archive, lzh::Header* header, uint64_t offset = 0) {
  lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(archive.data()), archive.size()};
  return lzh::read_header(lzh::memory_source(&memory), offset, header);
}

Member text_member() {
  Member m;
  m.method = "-lh0-";
  m.name = "dir\\FILE.TXT";
  m.data = "hello, world\n";
  return m;
}

}  // namespace

TEST(every_level_gives_the_same_member) {
  Member m = text_member();
  m.directory = "a\xFF" "b\xFF";
  const std::string archives[] = {lzhtest::level0(m), lzhtest::level1(m), lzhtest::level2(m), lzhtest::level3(m)};
  for (int level = 0; level < 4; ++level) {
    const std::string archive = archives[level] + lzhtest::end_mark();
    lzh::Header h;
    ok(read_first(archive, &h) == lzh::kHeader, "level %d: header not read\n", level);
    ok(h.level == level, "level %d read as %d\n", level, h.level);
    ok(h.method == lzh::Method::Stored, "level %d: method\n", level);
    ok(h.packed_size == 13 && h.original_size == 13, "level %d: sizes %llu %llu\n", level,
       (unsigned long long)h.packed_size, (unsigned long long)h.original_size);
    ok(h.has_crc && h.crc == lzhtest::crc_of(m.data), "level %d: crc %04x\n", level, h.crc);
    ok(h.name == m.name, "level %d: name '%s'\n", level, h.name.c_str());
    ok(level == 0 ? h.directory.empty() : h.directory == m.directory, "level %d: directory\n", level);
    ok(h.data_offset == archive.size() - 1 - 13, "level %d: data at %llu\n", level,
       (unsigned long long)h.data_offset);
    ok(h.next_offset == archive.size() - 1, "level %d: next at %llu\n", level, (unsigned long long)h.next_offset);
    ok(read_first(archive, &h, h.next_offset) == lzh::kEnd, "level %d: end mark not seen\n", level);
  }
}

TEST(level1_extended_headers_count_in_the_packed_size) {
  Member m = text_member();
  m.extra = lzhtest::extended(0x3F, "a comment") + lzhtest::extended(0x50, lzhtest::le16(0x81A4));
  const std::string archive = lzhtest::level1(m);
  lzh::Header h;
  ok(read_first(archive, &h) == lzh::kHeader, "not read\n");
  ok(h.packed_size == 13, "packed size %llu, the extended headers were not taken off\n",
     (unsigned long long)h.packed_size);
  ok(h.has_unix_mode && h.unix_mode == 0x81A4, "unix mode %x\n", h.unix_mode);
  ok(!lzh::is_directory_or_link(h), "a regular file taken for a link\n");
  // A claim of more extended header than packed size is not a header.
  std::string bad = archive;
  bad[7] = 2, bad[8] = 0, bad[1] = 0;
  uint8_t sum = 0;
  for (size_t i = 2; i < 2u + static_cast<uint8_t>(bad[0]); ++i) sum = static_cast<uint8_t>(sum + bad[i]);
  bad[1] = static_cast<char>(sum);
  ok(read_first(bad, &h) == lzh::kBadHeader, "extended headers larger than the packed size accepted\n");
}

TEST(names_end_at_a_nul_and_links_are_recognised) {
  Member m = text_member();
  m.name = std::string("metadata.txt\0This is a comment", 30);
  lzh::Header h;
  ok(read_first(lzhtest::level0(m), &h) == lzh::kHeader && h.name == "metadata.txt", "name '%s'\n", h.name.c_str());
  ok(read_first(lzhtest::level2(m), &h) == lzh::kHeader && h.name == "metadata.txt", "level 2 name '%s'\n",
     h.name.c_str());

  Member link = text_member();
  link.method = "-lhd-";
  link.data.clear();
  link.name = "etc|../../etc";
  ok(read_first(lzhtest::level1(link), &h) == lzh::kHeader && lzh::is_directory_or_link(h), "-lhd- is a file\n");
  // A link stored with a data method is still a link by its Unix mode.
  Member moded = text_member();
  moded.extra = lzhtest::extended(0x50, lzhtest::le16(0xA1FF));
  ok(read_first(lzhtest::level2(moded), &h) == lzh::kHeader && lzh::is_directory_or_link(h),
     "Unix link mode ignored\n");
}

TEST(sizes_of_64_bits_replace_the_32_bit_fields) {
  Member m = text_member();
  m.extra = lzhtest::extended(0x42, lzhtest::le32(13) + lzhtest::le32(0) + lzhtest::le32(0x40000) + lzhtest::le32(1));
  lzh::Header h;
  ok(read_first(lzhtest::level2(m), &h) == lzh::kHeader, "not read\n");
  ok(h.original_size == 0x100040000ull, "original size %llx\n", (unsigned long long)h.original_size);
  ok(h.packed_size == 13, "packed size %llu\n", (unsigned long long)h.packed_size);
}

TEST(broken_headers_are_refused) {
  Member m = text_member();
  lzh::Header h;
  std::string level0 = lzhtest::level0(m);
  std::string bad_sum = level0;
  bad_sum[1] = static_cast<char>(bad_sum[1] + 1);
  ok(read_first(bad_sum, &h) == lzh::kBadHeader, "checksum not checked\n");

  std::string bad_level = lzhtest::level2(m);
  bad_level[20] = 4;
  ok(read_first(bad_level, &h) == lzh::kBadHeader, "level 4 accepted\n");

  std::string not_method = level0;
  not_method[2] = 'x';
  ok(read_first(not_method, &h) == lzh::kBadHeader, "a header without a method accepted\n");

  // Cut anywhere inside the header: never a header, never a read past the end.
  std::string level2 = lzhtest::level2(m);
  uint64_t header_size = level2.size() - m.data.size();
  for (uint64_t cut = 1; cut < header_size; ++cut)
    ok(read_first(level2.substr(0, cut), &h) == lzh::kBadHeader, "header cut at %llu accepted\n",
       (unsigned long long)cut);

  // An extended header whose size runs past the archive.
  std::string runs_off = level2;
  runs_off[24] = '\xF0', runs_off[25] = '\x7F';
  ok(read_first(runs_off, &h) == lzh::kBadHeader, "extended header beyond the end accepted\n");
  // An extended header too small to hold its own size field.
  std::string tiny = level2;
  tiny[24] = 1, tiny[25] = 0;
  ok(read_first(tiny, &h) == lzh::kBadHeader, "extended header of 1 byte accepted\n");
  // Level 3 claiming a 4 GiB header is refused without reading it.
  std::string level3 = lzhtest::level3(m);
  level3.replace(24, 4, lzhtest::le32(0xFFFFFFF0u));
  ok(read_first(level3, &h) == lzh::kBadHeader, "level 3 header of 4 GiB accepted\n");
}

TEST(archives_end_at_a_zero_byte_or_their_end) {
  lzh::Header h;
  ok(read_first(std::string(), &h) == lzh::kEnd, "empty archive\n");
  ok(read_first(lzhtest::end_mark() + "garbage", &h) == lzh::kEnd, "zero byte is not the end\n");
  std::string two = lzhtest::level0(text_member()) + lzhtest::level2(text_member());
  ok(read_first(two, &h) == lzh::kHeader, "first\n");
  ok(read_first(two, &h, h.next_offset) == lzh::kHeader && h.level == 2, "second member not found\n");
  ok(read_first(two, &h, h.next_offset) == lzh::kEnd, "no end after the last member\n");
}

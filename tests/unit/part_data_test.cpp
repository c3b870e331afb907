// Part data files: header, element stream and sections, including the
// malformed files a server or a broken transfer can hand us.
#include <cstdint>
#include <string>
#include <vector>

#include "store/part_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::put_file;

namespace {

void put32(std::string* bytes, size_t at, uint32_t value) {
  for (int n = 0; n < 4; ++n) (*bytes)[at + n] = (char)(value >> (8 * n));
}

// Magic area and header; the header's other bytes are filled so that a
// field read at the wrong offset shows.
std::string part_head(int32_t stream_length, int32_t gate = 20, uint16_t header_size = 2160) {
  std::string bytes(2168, '\x5A');
  bytes.replace(0, 8, std::string("PT-V01\0\0", 8));
  put32(&bytes, 8 + 4, (uint32_t)stream_length);
  put32(&bytes, 8 + 8, (uint32_t)gate);
  bytes[8 + 16] = (char)(header_size & 0xFF);
  bytes[8 + 17] = (char)(header_size >> 8);
  return bytes;
}

// One element of `length` bytes: its length at 3, the rest marked with seed.
std::string element(size_t length, char seed) {
  std::string bytes(length, seed);
  if (length >= 5) {
    bytes[3] = (char)(length & 0xFF);
    bytes[4] = (char)(length >> 8);
  }
  return bytes;
}

std::string elements(size_t count, size_t length) {
  std::string bytes;
  for (size_t n = 0; n < count; ++n) bytes += element(length, (char)('a' + n % 26));
  return bytes;
}

struct Stream {
  int result;
  std::string bytes;
};

Stream stream_of(const std::string& dir, const std::string& file) {
  put_file(dir + "P.BHN", file);
  std::vector<uint8_t> taken(3, 0xEE);
  int result = store::read_element_stream((dir + "P.BHN").c_str(), &taken);
  return {result, std::string(taken.begin(), taken.end())};
}

std::string section_table(const std::vector<uint32_t>& sizes) {
  std::string table(32, '\0');
  for (size_t i = 0; i < sizes.size(); ++i) put32(&table, 4 * i, sizes[i]);
  return table;
}

// A section 7 record naming part, with a decoy number just before it.
std::string reference_record(int32_t part) {
  std::string record(49, '\x11');
  put32(&record, 41, 4444);
  put32(&record, 45, (uint32_t)part);
  return record;
}

}  // namespace

TEST(not_part_data_files) {
  std::string dir = oktest::scratch_folder("not_part_data");
  uint8_t header[store::kPartHeaderSize];
  ok(stream_of(dir, "V4-1" + std::string(3000, '\0')).result == -1, "older format\n");
  ok(stream_of(dir, "PT-V01\0").result == -1, "7-byte file\n");
  ok(stream_of(dir, "").result == -1, "empty file\n");
  ok(store::read_part_data_header((dir + "none").c_str(), header) == -1, "missing file\n");
  std::vector<uint8_t> none;
  ok(store::read_element_stream((dir + "none").c_str(), &none) == -1, "missing file\n");
  put_file(dir + "P.BHN", std::string("PT-V01\0\0", 8) + "\x01\x02");
  ok(store::read_part_data_header((dir + "P.BHN").c_str(), header) == 0 && header[0] == 1 &&
         header[1] == 2 && header[2] == 0 && header[2159] == 0,
     "a cut header reads as zeros\n");
}

TEST(streams_end_at_length_or_zero_element) {
  std::string dir = oktest::scratch_folder("stream_ends");
  std::string three = element(10, 'a') + element(20, 'b') + element(7, 'c');
  Stream s = stream_of(dir, part_head(0) + three);
  ok(s.result == 0 && s.bytes.empty(), "L = 0 gave %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(-5) + three);
  ok(s.result == 0 && s.bytes.empty(), "negative L gave %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(37) + three + section_table({}));
  ok(s.result == 0 && s.bytes == three, "whole stream: %u bytes\n", (unsigned)s.bytes.size());
  // L reached inside an element still takes that element whole.
  s = stream_of(dir, part_head(15) + three);
  ok(s.bytes == three.substr(0, 30), "L inside an element: %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(37) + element(10, 'a') + element(5, 'z').replace(3, 2, 2, '\0') +
                         element(22, 'c'));
  ok(s.result == 0 && s.bytes == element(10, 'a'), "zero-length element: %u bytes\n",
     (unsigned)s.bytes.size());
}

TEST(stream_cut_by_the_file) {
  std::string dir = oktest::scratch_folder("stream_cut");
  std::string two = element(10, 'a') + element(20, 'b');
  Stream s = stream_of(dir, part_head(1000) + two.substr(0, 29));
  ok(s.bytes == two.substr(0, 10), "element past the end: %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(1000) + element(10, 'a') + "\x01\x02\x03\x04");
  ok(s.bytes == element(10, 'a'), "four bytes left: %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(1000) + element(5, 'a'));
  ok(s.bytes == element(5, 'a'), "five-byte element at the very end: %u\n",
     (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(1000));
  ok(s.result == 0 && s.bytes.empty(), "no stream bytes at all\n");
}

TEST(stream_blocks_and_buffer_limit) {
  std::string dir = oktest::scratch_folder("stream_blocks");
  // 4000-byte elements cross every 4096-byte boundary, counted from the
  // file or from the stream; each is still taken whole.
  std::string straddling = elements(5, 4000);
  Stream s = stream_of(dir, part_head(20000) + straddling);
  ok(s.bytes == straddling, "straddling elements: %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(20000) + element(4096, 'a') + element(4097, 'b'));
  ok(s.bytes == element(4096, 'a'), "longer than a block: %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(90000) + element(10, 'a') + element(65535, 'b'));
  ok(s.bytes == element(10, 'a'), "length 65535: %u bytes\n", (unsigned)s.bytes.size());

  // 288 full blocks leave 16 bytes of the buffer.
  std::string full = elements(288, 4096);
  s = stream_of(dir, part_head(0x7FFFFFFF) + full + element(16, 'y') + element(5, 'z'));
  ok(s.bytes.size() == store::kElementBufferSize && s.bytes == full + element(16, 'y'),
     "exactly filled buffer: %u bytes\n", (unsigned)s.bytes.size());
  s = stream_of(dir, part_head(0x7FFFFFFF) + full + element(17, 'y'));
  ok(s.bytes == full, "element one byte too many: %u bytes\n", (unsigned)s.bytes.size());
}

TEST(sections_after_the_stream) {
  std::string dir = oktest::scratch_folder("sections");
  std::string path = dir + "P.BHN";
  std::string refs = reference_record(1001) + reference_record(0) + reference_record(60000);
  std::string body = std::string(3, 'A') + std::string(5, 'B') + std::string(25, 'C') +
                     std::string(12, 'D') + std::string(26, 'E') + std::string(16, 'F') +
                     std::string(6, 'G') + refs + std::string(10, 'x');  // trailing partial record
  std::string table = section_table({3, 5, 25, 12, 26, 16, 6, (uint32_t)refs.size() + 10});
  std::string stream = element(40, 's');

  put_file(path, part_head(40) + stream + table + body);
  store::PartSections sec;
  ok(store::read_part_sections(path.c_str(), &sec) == 1 && sec.present, "sections not read\n");
  const int64_t counts[] = {3, 5, 2, 1, 2, 2, 6, 3};
  int64_t start = 2168 + 40 + 32;
  for (int i = 0; i < 8; ++i) {
    ok(sec.count[i] == counts[i], "section %d: count %lld\n", i, (long long)sec.count[i]);
    ok(sec.start[i] == start, "section %d: start %lld\n", i, (long long)sec.start[i]);
    start += sec.size[i];
  }
  ok(store::referenced_part_number(sec, 0) == 1001 && store::referenced_part_number(sec, 1) == 0 &&
         store::referenced_part_number(sec, 2) == 60000,
     "part numbers %d %d %d\n", store::referenced_part_number(sec, 0),
     store::referenced_part_number(sec, 1), store::referenced_part_number(sec, 2));
  ok(store::referenced_part_number(sec, 3) == 0, "record past the count\n");

  // L of 0 or less: the table follows the header directly.
  for (int32_t length : {0, -7}) {
    put_file(path, part_head(length) + section_table({0, 0, 0, 0, 0, 0, 0, 49}) +
                       reference_record(3001));
    ok(store::read_part_sections(path.c_str(), &sec) == 1 && sec.start[7] == 2168 + 32 &&
           store::referenced_part_number(sec, 0) == 3001,
       "L %d: sections not at 2168\n", length);
  }
}

TEST(sections_left_unread_or_absent) {
  std::string dir = oktest::scratch_folder("sections_absent");
  std::string path = dir + "P.BHN";
  std::string tail = section_table({0, 0, 0, 0, 0, 0, 0, 49}) + reference_record(1234);
  store::PartSections sec;

  put_file(path, part_head(0, 19) + tail);
  ok(store::read_part_sections(path.c_str(), &sec) == 0 && !sec.present, "gate 19\n");
  put_file(path, part_head(0, 20, 2161) + tail);
  ok(store::read_part_sections(path.c_str(), &sec) == 0 && !sec.present, "header size 2161\n");
  put_file(path, part_head(0, 20, 2160) + tail);
  ok(store::read_part_sections(path.c_str(), &sec) == 1, "a good file beside them\n");

  static const struct {
    const char* what;
    std::string tail;
  } cases[] = {
      {"section one byte short", tail.substr(0, tail.size() - 1)},
      {"table cut", tail.substr(0, 31)},
      {"stream past the end", std::string()},
      // Sizes that wrap to the bytes present in 32 bits.
      {"wrapping sizes", section_table({0xFFFFFFF0u, 0, 0, 0, 0, 0, 0, 16 + 49}) +
                             reference_record(1234)},
      {"huge sizes", section_table({0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 0, 0, 0, 49}) +
                         reference_record(1234)},
  };
  for (const auto& c : cases) {
    int32_t length = c.tail.empty() ? 0x7FFFFFF0 : 0;
    put_file(path, part_head(length) + c.tail);
    ok(store::read_part_sections(path.c_str(), &sec) == 0 && !sec.present && sec.count[7] == 0 &&
           sec.part_references.empty(),
       "%s read as present\n", c.what);
    ok(store::read_sections(path.c_str(), length, &sec) == 0, "%s: read_sections\n", c.what);
  }
  ok(store::read_sections((dir + "none").c_str(), 0, &sec) == -1, "missing file\n");
  put_file(path, "V4-1" + std::string(2200, '\0'));
  ok(store::read_part_sections(path.c_str(), &sec) == -1, "not a part data file\n");
}

TEST(part_reference_elements) {
  auto reference = [](size_t length, uint16_t part) {
    std::string bytes = element(length, 'r');
    bytes[5] = 71;
    bytes[6] = 0;
    if (length >= 49) {
      bytes[47] = (char)(part & 0xFF);
      bytes[48] = (char)(part >> 8);
    }
    return bytes;
  };
  std::string other = element(49, 'o');
  other[5] = 72;
  other[6] = 0;
  other[47] = 1;
  std::string stream = reference(60, 1234) + other + reference(49, 60000) + reference(30, 0);
  std::vector<int32_t> parts;
  store::stream_part_references((const uint8_t*)stream.data(), stream.size(), &parts);
  ok(parts.size() == 2 && parts[0] == 1234 && parts[1] == 60000, "%u references\n",
     (unsigned)parts.size());
  // A zero length stops the walk; a one-byte last element has no fields.
  std::string stopped = reference(60, 1001) + element(5, 'z').replace(3, 2, 2, '\0') +
                        reference(60, 1002);
  store::stream_part_references((const uint8_t*)stopped.data(), stopped.size(), &parts);
  ok(parts.size() == 1 && parts[0] == 1001, "walk past a zero length\n");
  std::string tail = reference(60, 1003) + "\x01";
  store::stream_part_references((const uint8_t*)tail.data(), tail.size(), &parts);
  ok(parts.size() == 1 && parts[0] == 1003, "one-byte tail\n");
}

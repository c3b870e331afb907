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

// Magic area and header: stream length L at 4, the section gate at 8 and the
// header size at 16; the other bytes are filled so that a field read at the
// wrong offset shows.
std::string part_head(int32_t stream_length, int32_t gate = 20, uint32_t header_size = 2160) {
  std::string bytes = std::string("PT-V01\0\0", 8) + std::string(2160, '\x5A');
  put32(&bytes, 12, (uint32_t)stream_length);
  put32(&bytes, 16, (uint32_t)gate);
  put32(&bytes, 24, header_size | 0x5A5A0000u);
  return bytes;
}

// An element of `length` bytes: its length at 3 (0 when zero is set), its type at 5.
std::string element(size_t length, char seed, bool zero = false, char type = 0) {
  std::string bytes(length, seed);
  bytes[3] = zero ? 0 : (char)(length & 0xFF), bytes[4] = zero ? 0 : (char)(length >> 8);
  if (length >= 7) bytes[5] = type, bytes[6] = 0;
  return bytes;
}
std::string elements(size_t count, size_t length) {
  std::string bytes;
  for (size_t n = 0; n < count; ++n) bytes += element(length, (char)('a' + n % 26));
  return bytes;
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

TEST(stream_stops) {
  std::string dir = oktest::scratch_folder("stream_stops");
  std::string three = element(10, 'a') + element(20, 'b') + element(7, 'c'), one = element(10, 'a');
  static const struct {
    const char* what;
    std::string file, taken;  // taken "<-1>": the read fails
  } cases[] = {
      {"older format", "V4-1" + std::string(3000, '\0'), "<-1>"},
      {"7-byte file", std::string("PT-V01\0", 7), "<-1>"},
      {"L = 0", part_head(0) + three, ""},
      {"negative L", part_head(-5) + three, ""},
      {"whole stream", part_head(37) + three + section_table({}), three},
      {"L inside an element", part_head(15) + three, three.substr(0, 30)},
      {"zero-length element", part_head(37) + one + element(5, 'z', true) + element(22, 'c'), one},
      {"element past the end", part_head(1000) + three.substr(0, 29), one},
      {"four bytes left", part_head(1000) + one + "\x01\x02\x03\x04", one},
      {"longer than a block", part_head(20000) + element(4096, 'a') + element(4097, 'b'),
       element(4096, 'a')},
      // 4000-byte elements cross every 4096-byte boundary, counted from the
      // file or from the stream; each is still taken whole.
      {"straddling blocks", part_head(20000) + elements(5, 4000), elements(5, 4000)},
      // 288 full blocks leave 16 bytes of the buffer.
      {"buffer filled",
       part_head(0x7FFFFFFF) + elements(288, 4096) + element(16, 'y') + element(5, 'z'),
       elements(288, 4096) + element(16, 'y')},
      {"buffer overfilled", part_head(0x7FFFFFFF) + elements(288, 4096) + element(17, 'y'),
       elements(288, 4096)},
  };
  for (const auto& c : cases) {
    put_file(dir + "P.BHN", c.file);
    std::vector<uint8_t> taken(3, 0xEE);
    std::string got = store::read_element_stream((dir + "P.BHN").c_str(), &taken) == 0
                          ? std::string(taken.begin(), taken.end())
                          : "<-1>";
    ok(got == c.taken, "%s: %u bytes taken\n", c.what, (unsigned)got.size());
  }
  uint8_t header[store::kPartHeaderSize];
  put_file(dir + "P.BHN", std::string("PT-V01\0\0\x01\x02", 10));
  ok(store::read_part_data_header((dir + "P.BHN").c_str(), header) == 0 && header[0] == 1 &&
         header[1] == 2 && header[2] == 0 && header[2159] == 0,
     "a cut header reads as zeros\n");
  ok(store::read_part_data_header((dir + "none").c_str(), header) == -1, "missing file\n");
}

TEST(part_reference_elements) {
  std::string stream = element(60, 'r', false, 71) + element(49, 'o', false, 72) +
                       element(49, 'r', false, 71) + element(30, 'r', false, 71);
  stream[47] = (char)(1234 & 0xFF), stream[48] = (char)(1234 >> 8);
  stream[60 + 47] = 1;  // not a reference
  stream[109 + 47] = (char)(60000 & 0xFF), stream[109 + 48] = (char)(60000 >> 8);
  // A zero length stops the walk; a one-byte last element has no fields.
  const std::string cases[] = {
      stream, stream.substr(0, 60) + element(5, 'z', true) + stream.substr(109, 49),
      stream.substr(0, 60) + "\x01"};
  for (const std::string& bytes : cases) {
    std::vector<int32_t> parts;
    store::stream_part_references((const uint8_t*)bytes.data(), bytes.size(), &parts);
    bool whole = bytes.size() == stream.size();
    ok(parts.size() == (whole ? 2u : 1u) && parts[0] == 1234 && (!whole || parts[1] == 60000),
       "%u bytes: %u references\n", (unsigned)bytes.size(), (unsigned)parts.size());
  }
}

TEST(sections_after_the_stream) {
  std::string dir = oktest::scratch_folder("sections");
  std::string path = dir + "P.BHN";
  std::string refs = reference_record(1001) + reference_record(0) + reference_record(60000);
  std::string body = std::string(3, 'A') + std::string(5, 'B') + std::string(25, 'C') +
                     std::string(12, 'D') + std::string(26, 'E') + std::string(16, 'F') +
                     std::string(6, 'G') + refs +
                     std::string(10, 'x');  // a trailing partial record
  std::string table = section_table({3, 5, 25, 12, 26, 16, 6, (uint32_t)refs.size() + 10});
  put_file(path, part_head(40) + element(40, 's') + table + body);
  store::PartSections sec;
  ok(store::read_part_sections(path.c_str(), &sec) == 1 && sec.present, "sections not read\n");
  const int64_t counts[] = {3, 5, 2, 1, 2, 2, 6, 3};
  for (int i = 0, start = 2168 + 40 + 32; i < 8; start += (int)sec.size[i++])
    ok(sec.count[i] == counts[i] && sec.start[i] == start, "section %d: count %lld start %lld\n", i,
       (long long)sec.count[i], (long long)sec.start[i]);
  ok(store::referenced_part_number(sec, 0) == 1001 && store::referenced_part_number(sec, 1) == 0 &&
         store::referenced_part_number(sec, 2) == 60000 &&
         store::referenced_part_number(sec, 3) == 0,
     "part numbers of the records\n");
  // L of 0 or less: the table follows the header directly.
  for (int32_t length : {0, -7}) {
    put_file(path,
             part_head(length) + section_table({0, 0, 0, 0, 0, 0, 0, 49}) + reference_record(3001));
    ok(store::read_part_sections(path.c_str(), &sec) == 1 && sec.start[7] == 2168 + 32 &&
           store::referenced_part_number(sec, 0) == 3001,
       "L %d: sections not at 2168\n", length);
  }
}

TEST(sections_left_unread_or_absent) {
  std::string dir = oktest::scratch_folder("sections_absent");
  std::string path = dir + "P.BHN";
  std::string tail = section_table({0, 0, 0, 0, 0, 0, 0, 49}) + reference_record(1234);
  static const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"gate 19", part_head(0, 19) + tail},
      {"header size 2161", part_head(0, 20, 2161) + tail},
      {"section one byte short", part_head(0) + tail.substr(0, tail.size() - 1)},
      {"table cut", part_head(0) + tail.substr(0, 31)},
      {"stream past the end", part_head(0x7FFFFFF0)},
      // Sizes that wrap to the bytes present in 32 bits.
      {"wrapping sizes", part_head(0) + section_table({0xFFFFFFF0u, 0, 0, 0, 0, 0, 0, 16 + 49}) +
                             reference_record(1)},
  };
  store::PartSections sec;
  for (const auto& c : cases) {
    put_file(path, c.file);
    ok(store::read_part_sections(path.c_str(), &sec) == 0 && !sec.present && sec.count[7] == 0 &&
           sec.part_references.empty(),
       "%s read as present\n", c.what);
  }
  ok(store::read_part_sections((dir + "none").c_str(), &sec) == -1, "missing file\n");
  put_file(path, "V4-1" + std::string(2200, '\0'));
  ok(store::read_part_sections(path.c_str(), &sec) == -1, "not a part data file\n");
}

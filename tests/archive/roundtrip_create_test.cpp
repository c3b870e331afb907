// lzhtool's create command: the archive it lays out, the names it stores,
// when it stores instead of compressing, and what a failure leaves behind.
// Archives are walked with the library's header reader.
#include <string>
#include <vector>

#include "archive/crc16.h"
#include "archive/create_command.h"
#include "archive/header.h"
#include "platform/files.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

int create(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  return run_create_command(static_cast<int>(argv.size()), argv.data());
}

struct Member {
  lzh::Header header;
  std::string data;
  uint32_t unix_time;
};

// The members up to the end mark, which must be the archive's last byte.
bool read_archive(const std::string& path, std::vector<Member>* members) {
  std::string bytes;
  if (!oktest::get_file(path, &bytes)) return false;
  lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
  const lzh::Source source = lzh::memory_source(&memory);
  uint64_t at = 0;
  Member m;
  while (lzh::read_header(source, at, &m.header) == lzh::kHeader) {
    m.data = bytes.substr(m.header.data_offset, m.header.packed_size);
    m.unix_time = 0;
    for (int i = 3; i >= 0; --i) m.unix_time = (m.unix_time << 8) | static_cast<uint8_t>(bytes[at + 15 + i]);
    members->push_back(m);
    at = m.header.next_offset;
  }
  return at + 1 == bytes.size() && bytes[at] == 0;
}

unsigned crc(const std::string& s) {
  return lzh::crc16_update(0, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

}  // namespace

TEST(create_lays_out_members) {
  const std::string dir = oktest::scratch_folder("create_layout");
  const std::string text = roundtrip::catalogue_text(30000);
  const std::string noise = roundtrip::random_bytes(5000, 1);
  ok(oktest::put_file(dir + "list.txt", text) && oktest::put_file(dir + "noise.bin", noise) &&
         oktest::put_file(dir + "empty", "") && oktest::put_file(dir + "one", "x"),
     "inputs written\n");
  // 2001-09-09 01:46:40 UTC, one billion seconds after 1970.
  ok(plat::set_file_write_time((dir + "list.txt").c_str(), 116444736000000000ull + 10000000000000000ull),
     "time set\n");
  const std::string archive = dir + "out.lzh";
  int rc = create({"a", archive, dir + "list.txt", dir + "noise.bin", dir + "empty", dir + "one"});
  std::vector<Member> m;
  ok(rc == 0 && read_archive(archive, &m) && m.size() == 4, "create %d, %u members to the end mark\n", rc,
     (unsigned)m.size());
  ok(!plat::file_exists((archive + ".new").c_str()), "no work file left\n");
  if (m.size() != 4) return;

  const lzh::Header& t = m[0].header;
  ok(t.name == "list.txt" && t.method == lzh::Method::Lh5 && t.level == 2 && t.os == 'w', "%s %.5s level %d os %c\n",
     t.name.c_str(), t.method_id, t.level, t.os);
  ok(t.original_size == text.size() && t.packed_size < text.size() / 3 && t.crc == crc(text),
     "text: %u packed of %u, crc %04x\n", (unsigned)t.packed_size, (unsigned)t.original_size, t.crc);
  ok(m[0].unix_time == 1000000000u, "time %u\n", m[0].unix_time);

  // What does not shrink is stored as it is, still named and checked.
  ok(m[1].header.method == lzh::Method::Stored && m[1].data == noise && m[1].header.crc == crc(noise),
     "noise stored: %.5s\n", m[1].header.method_id);
  ok(m[2].header.method == lzh::Method::Stored && m[2].data.empty() && m[2].header.original_size == 0,
     "empty file stored: %.5s\n", m[2].header.method_id);
  ok(m[3].header.method == lzh::Method::Stored && m[3].data == "x", "one byte stored: %.5s\n",
     m[3].header.method_id);
}

TEST(create_methods_and_names) {
  const std::string dir = oktest::scratch_folder("create_methods");
  ok(plat::create_directory((dir + "sub").c_str()), "folder made\n");
  // 表示 is 0x95 0x5C 0x8E 0xA6: its 0x5C is no separator.
  const std::string sjis = "\x95\x5C\x8E\xA6.txt";
  const std::string zeros(100000, '\0');
  ok(oktest::put_file(dir + "sub\\" + sjis, zeros) && oktest::put_file(dir + "sub\\plain.dat", zeros),
     "inputs written\n");
  const char* const options[] = {"-lh5", "-lh6", "-lh7", "-lh7-"};
  const lzh::Method methods[] = {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7, lzh::Method::Lh7};
  for (int i = 0; i < 4; ++i) {
    const std::string archive = dir + "z" + std::to_string(i) + ".lzh";
    int rc = create({"a", options[i], archive, dir + "sub\\" + sjis, dir + "sub/plain.dat"});
    std::vector<Member> m;
    ok(rc == 0 && read_archive(archive, &m) && m.size() == 2, "%s: create %d\n", options[i], rc);
    if (m.size() != 2) continue;
    ok(m[0].header.method == methods[i] && m[1].header.method == methods[i], "%s wrote %.5s\n", options[i],
       m[0].header.method_id);
    ok(m[0].header.name == sjis && m[1].header.name == "plain.dat", "stored names %s, %s\n",
       m[0].header.name.c_str(), m[1].header.name.c_str());
  }
}

TEST(create_failures_leave_nothing) {
  const std::string dir = oktest::scratch_folder("create_failures");
  const std::string archive = dir + "keep.lzh";
  ok(oktest::put_file(archive, "old archive") && oktest::put_file(dir + "here.txt", "here"), "files written\n");

  int rc = create({"a", archive, dir + "here.txt", dir + "missing.txt"});
  std::string bytes;
  ok(rc == 1, "missing input: %d\n", rc);
  ok(oktest::get_file(archive, &bytes) && bytes == "old archive", "existing archive kept\n");
  ok(!plat::file_exists((archive + ".new").c_str()), "no work file left\n");

  const std::string fresh = dir + "fresh.lzh";
  ok(create({"a", "-lh9", fresh, dir + "here.txt"}) == 2, "unknown method refused\n");
  ok(create({"a", fresh}) == 2, "no files to store refused\n");
  ok(!plat::file_exists(fresh.c_str()), "no archive made\n");

  // Existing archives are replaced whole, not appended to.
  std::vector<Member> m;
  rc = create({"a", archive, dir + "here.txt"});
  ok(rc == 0 && read_archive(archive, &m) && m.size() == 1, "archive replaced: %d\n", rc);
}

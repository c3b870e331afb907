// lzhtool's create command: the archive it lays out, the names it stores,
// when it stores instead of compressing, and what a failure leaves behind.
#include <string>
#include <vector>

#include "archive/crc16.h"
#include "archive/create_command.h"
#include "platform/files.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

unsigned get16(const std::string& s, size_t at) {
  return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8);
}

uint32_t get32(const std::string& s, size_t at) {
  return get16(s, at) | (static_cast<uint32_t>(get16(s, at + 2)) << 16);
}

int create(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return run_create_command(static_cast<int>(args.size()), argv.data());
}

// One member as the archive holds it.
struct Member {
  std::string method, name, data;
  uint32_t original_size = 0, unix_time = 0;
  unsigned data_crc = 0;
};

// Walks the level 2 headers the way a reader must; false on anything off.
bool read_members(const std::string& archive, std::vector<Member>* members) {
  size_t at = 0;
  while (at < archive.size() && archive[at] != 0) {
    if (at + 26 > archive.size()) return false;
    const size_t header_size = get16(archive, at);
    if (archive[at + 20] != 2 || at + header_size > archive.size()) return false;
    Member m;
    m.method = archive.substr(at + 2, 5);
    const uint32_t packed = get32(archive, at + 7);
    m.original_size = get32(archive, at + 11);
    m.unix_time = get32(archive, at + 15);
    m.data_crc = get16(archive, at + 21);
    for (size_t ext = at + 24; get16(archive, ext) != 0;) {
      const size_t size = get16(archive, ext);
      ext += 2;
      if (size < 3 || ext + size > at + header_size) return false;
      if (archive[ext] == 0x01) m.name = archive.substr(ext + 1, size - 3);
      ext += size - 2;
    }
    if (at + header_size + packed > archive.size()) return false;
    m.data = archive.substr(at + header_size, packed);
    members->push_back(m);
    at += header_size + packed;
  }
  // The end mark, and nothing after it.
  return at + 1 == archive.size();
}

}  // namespace

TEST(create_lays_out_members) {
  const std::string dir = oktest::scratch_folder("create_layout");
  const std::string text = roundtrip::catalogue_text(30000);
  const std::string noise = roundtrip::random_bytes(5000, 1);
  ok(oktest::put_file(dir + "list.txt", text) && oktest::put_file(dir + "noise.bin", noise) &&
         oktest::put_file(dir + "empty", "") && oktest::put_file(dir + "one", "x"),
     "inputs written\n");
  const std::string archive = dir + "out.lzh";
  int rc = create({"a", archive, dir + "list.txt", dir + "noise.bin", dir + "empty", dir + "one"});
  ok(rc == 0, "create returned %d\n", rc);
  std::string bytes;
  std::vector<Member> members;
  ok(oktest::get_file(archive, &bytes) && read_members(bytes, &members), "archive walks to its end mark\n");
  ok(!plat::file_exists((archive + ".partial").c_str()), "no work file left\n");
  ok(members.size() == 4, "%u members\n", (unsigned)members.size());
  if (members.size() != 4) return;

  ok(members[0].name == "list.txt" && members[0].method == "-lh5-", "text member %s %s\n", members[0].name.c_str(),
     members[0].method.c_str());
  ok(members[0].original_size == text.size() && members[0].data.size() < text.size() / 3,
     "text packed to %u of %u\n", (unsigned)members[0].data.size(), members[0].original_size);
  ok(members[0].data_crc == lzh::crc16_update(0, reinterpret_cast<const uint8_t*>(text.data()), text.size()),
     "text crc %04x\n", members[0].data_crc);

  // What does not shrink is stored as it is, and still named and checked.
  ok(members[1].method == "-lh0-" && members[1].data == noise && members[1].original_size == noise.size(),
     "noise stored: %s, %u bytes\n", members[1].method.c_str(), (unsigned)members[1].data.size());
  ok(members[1].data_crc == lzh::crc16_update(0, reinterpret_cast<const uint8_t*>(noise.data()), noise.size()),
     "noise crc %04x\n", members[1].data_crc);
  ok(members[2].method == "-lh0-" && members[2].data.empty() && members[2].original_size == 0 &&
         members[2].data_crc == 0,
     "empty file stored: %s\n", members[2].method.c_str());
  ok(members[3].method == "-lh0-" && members[3].data == "x", "one byte stored: %s\n", members[3].method.c_str());
}

TEST(create_methods_and_times) {
  const std::string dir = oktest::scratch_folder("create_methods");
  const std::string zeros(100000, '\0');
  ok(oktest::put_file(dir + "zeros", zeros), "input written\n");
  // 2001-09-09 01:46:40 UTC, one billion seconds after 1970.
  const uint64_t filetime = 116444736000000000ull + 1000000000ull * 10000000ull;
  ok(plat::set_file_write_time((dir + "zeros").c_str(), filetime), "time set\n");
  const char* const options[] = {"-lh5", "-lh6", "-lh7", "-lh7-"};
  const char* const ids[] = {"-lh5-", "-lh6-", "-lh7-", "-lh7-"};
  for (int i = 0; i < 4; ++i) {
    const std::string archive = dir + "z" + std::to_string(i) + ".lzh";
    int rc = create({"a", options[i], archive, dir + "zeros"});
    std::string bytes;
    std::vector<Member> members;
    ok(rc == 0 && oktest::get_file(archive, &bytes) && read_members(bytes, &members) && members.size() == 1,
       "%s: create %d\n", options[i], rc);
    if (members.size() != 1) continue;
    ok(members[0].method == ids[i], "%s wrote %s\n", options[i], members[0].method.c_str());
    ok(members[0].unix_time == 1000000000u, "%s: time %u\n", options[i], members[0].unix_time);
  }
}

TEST(create_stores_bare_names) {
  const std::string dir = oktest::scratch_folder("create_names");
  ok(plat::create_directory((dir + "sub").c_str()), "folder made\n");
  // 表示 is 0x95 0x5C 0x8E 0xA6: its 0x5C is no separator.
  const std::string sjis = "\x95\x5C\x8E\xA6.txt";
  ok(oktest::put_file(dir + "sub\\" + sjis, "abc") && oktest::put_file(dir + "sub\\plain.dat", "def"),
     "inputs written\n");
  const std::string archive = dir + "names.lzh";
  int rc = create({"a", archive, dir + "sub\\" + sjis, dir + "sub/plain.dat"});
  std::string bytes;
  std::vector<Member> members;
  ok(rc == 0 && oktest::get_file(archive, &bytes) && read_members(bytes, &members) && members.size() == 2,
     "create %d\n", rc);
  if (members.size() != 2) return;
  ok(members[0].name == sjis, "stored %s\n", members[0].name.c_str());
  ok(members[1].name == "plain.dat", "stored %s\n", members[1].name.c_str());
}

TEST(create_failures_leave_nothing) {
  const std::string dir = oktest::scratch_folder("create_failures");
  const std::string archive = dir + "keep.lzh";
  ok(oktest::put_file(archive, "old archive") && oktest::put_file(dir + "here.txt", "here"), "files written\n");

  int rc = create({"a", archive, dir + "here.txt", dir + "missing.txt"});
  std::string bytes;
  ok(rc == 1, "missing input: %d\n", rc);
  ok(oktest::get_file(archive, &bytes) && bytes == "old archive", "existing archive kept\n");
  ok(!plat::file_exists((archive + ".partial").c_str()), "no work file left\n");

  const std::string fresh = dir + "fresh.lzh";
  ok(create({"a", fresh, dir + "missing.txt"}) == 1 && !plat::file_exists(fresh.c_str()), "no archive made\n");

  ok(create({"a", "-lh9", fresh, dir + "here.txt"}) == 2, "unknown method refused\n");
  ok(create({"a", fresh}) == 2, "no files to store refused\n");
  ok(create({"a"}) == 2, "no archive named refused\n");
  ok(!plat::file_exists(fresh.c_str()), "usage errors make no archive\n");

  // Existing archives are replaced whole, not appended to.
  rc = create({"a", archive, dir + "here.txt"});
  std::vector<Member> members;
  ok(rc == 0 && oktest::get_file(archive, &bytes) && read_members(bytes, &members) && members.size() == 1,
     "archive replaced: %d\n", rc);
}

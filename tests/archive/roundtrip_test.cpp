// lzhtool's create command: the members it writes (walked with the
// library's header reader), when it stores instead of compressing, the
// Shift-JIS names it keeps and what a failure leaves behind; and its
// archives back byte for byte, natively through Debian's lhasa, an
// independent reader, and our lzhtool, under Wine through UNLHA32.DLL as the
// program loads it.
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/create_command.h"
#include "archive/header.h"
#include "platform/files.h"
#include "tests/archive/member_bytes.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"
#ifdef _WIN32
#include "tests/archive/load_unlha32.h"
#else
#include "platform/native_path.h"
#endif

namespace {

int create(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  return run_create_command(static_cast<int>(argv.size()), argv.data());
}

// The members' headers up to the end mark, which must be the last byte.
bool read_archive(const std::string& path, std::vector<lzh::Header>* members, std::string* bytes) {
  if (!oktest::get_file(path, bytes)) return false;
  lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()};
  uint64_t at = 0;
  lzh::Header h;
  for (; lzh::read_header(lzh::memory_source(&memory), at, &h) == lzh::kHeader; at = h.next_offset)
    members->push_back(h);
  return at + 1 == bytes->size() && (*bytes)[at] == 0;
}

// Extracts `archive` into `folder`: natively with the shell `command`
// (archive and folder as $1 and $2), under Wine through UNLHA32.DLL.
bool extract(const char* command, const std::string& archive, const std::string& folder) {
#ifdef _WIN32
  UnlhaFn unlha = load_unlha32();
  char report[2048] = {};
  (void)command;
  return unlha && unlha(nullptr, ("e -n \"" + archive + "\" \"" + folder + "\"").c_str(), report, sizeof report) == 0;
#else
  return std::system(("sh -c '" + std::string(command) + " > /dev/null 2>&1' - \"" +
                      plat::native_path(archive.c_str()) + "\" \"" + plat::native_path(folder.c_str()) + "\"")
                         .c_str()) == 0;
#endif
}

// Archives every data set with each method, extracts each archive into a
// fresh folder and compares.
void extract_our_archives(const char* reader, const char* command) {
  static const std::vector<roundtrip::DataSet> sets = roundtrip::round_trip_sets();
  for (const char* method : {"-lh5", "-lh6", "-lh7"}) {
    const std::string dir = oktest::scratch_folder("roundtrip_in"), out = oktest::scratch_folder("roundtrip_out");
    std::vector<std::string> args = {"a", method, dir + "sets.lzh"};
    for (const roundtrip::DataSet& set : sets) {
      oktest::put_file(dir + set.name, set.bytes);
      args.push_back(dir + set.name);
    }
    ok(create(args) == 0, "%s: archive not created\n", method);
    ok(extract(command, dir + "sets.lzh", out), "%s %s: extraction failed\n", reader, method);
    for (const roundtrip::DataSet& set : sets) {
      std::string got;
      ok(oktest::get_file(out + set.name, &got) && got == set.bytes, "%s %s: %s differs (%u of %u bytes)\n", reader,
         method, set.name, (unsigned)got.size(), (unsigned)set.bytes.size());
    }
  }
}

}  // namespace

TEST(create_compresses_what_shrinks_stores_the_rest_and_fails_cleanly) {
  const std::string dir = oktest::scratch_folder("create"), archive = dir + "out.lzh";
  const std::string sjis = "\x95\x5C\x8E\xA6.txt";  // 表示: its 0x5C is no separator
  const std::string text = roundtrip::catalogue_text(30000), noise = roundtrip::random_bytes(5000, 1);
  plat::create_directory((dir + "sub").c_str());
  oktest::put_file(dir + "sub\\" + sjis, text);
  oktest::put_file(dir + "noise.bin", noise);
  oktest::put_file(dir + "empty", "");
  // 2001-09-09 01:46:40 UTC, one billion seconds after 1970.
  plat::set_file_write_time((dir + "sub\\" + sjis).c_str(), 116444736000000000ull + 10000000000000000ull);
  std::vector<lzh::Header> m;
  std::string bytes;
  int rc = create({"a", "-lh7", archive, dir + "sub/" + sjis, dir + "noise.bin", dir + "empty"});
  ok(rc == 0 && read_archive(archive, &m, &bytes) && m.size() == 3, "create %d, %u members to the end mark\n", rc,
     (unsigned)m.size());
  if (m.size() != 3) return;
  ok(m[0].name == sjis && m[0].method == lzh::Method::Lh7 && m[0].original_size == text.size() &&
         m[0].packed_size < text.size() / 3 && m[0].crc == lzhtest::crc_of(text) && m[0].unix_time == 1000000000u,
     "text member %s %.5s, %u of %u, crc %04x, time %u\n", m[0].name.c_str(), m[0].method_id,
     (unsigned)m[0].packed_size, (unsigned)m[0].original_size, m[0].crc, m[0].unix_time);
  for (int k = 1; k < 3; ++k)
    ok(m[k].method == lzh::Method::Stored && bytes.substr(m[k].data_offset, m[k].packed_size) == (k == 1 ? noise : ""),
       "member %d not stored as it is\n", k);

  // A missing input keeps the existing archive; usage errors make none.
  ok(create({"a", archive, dir + "noise.bin", dir + "missing.txt"}) == 1, "missing input accepted\n");
  ok(oktest::get_file(archive, &bytes) && bytes.size() > 5000, "existing archive not kept\n");
  ok(!plat::file_exists((archive + ".partial").c_str()), "work file left\n");
  ok(create({"a", "-lh9", dir + "fresh.lzh", dir + "empty"}) == 2 && create({"a", dir + "fresh.lzh"}) == 2,
     "usage errors accepted\n");
  ok(!plat::file_exists((dir + "fresh.lzh").c_str()), "an archive made on a usage error\n");
  m.clear();
  ok(create({"a", archive, dir + "empty"}) == 0 && read_archive(archive, &m, &bytes) && m.size() == 1,
     "an existing archive is not replaced whole\n");
}

TEST(our_archives_come_back_through_every_reader) {
#ifdef _WIN32
  extract_our_archives("UNLHA32.DLL", nullptr);
#else
  ok(std::system("command -v lhasa > /dev/null") == 0, "lhasa is not installed (scripts/install-deps.sh)\n");
  extract_our_archives("lhasa", "lhasa -xqw=\"$2\" \"$1\"");
#ifdef PARTSDL_LZHTOOL
  extract_our_archives("lzhtool", "\"" PARTSDL_LZHTOOL "\" e \"$1\" \"$2\"");
#endif
#endif
}

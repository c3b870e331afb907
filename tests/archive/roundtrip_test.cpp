// lzhtool's create command: the members it writes, when it stores instead
// of compressing, the Shift-JIS names it keeps and what a failure leaves;
// its archives read back byte for byte by lhasa and lzhtool natively, by
// UNLHA32.DLL under Wine; and a parts index packed by jlha.
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/create_command.h"
#include "archive/extract.h"
#include "archive/header.h"
#include "platform/files.h"
#include "tests/archive/member_bytes.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"
#include "tools/sample_catalogue.h"
#ifdef _WIN32
#include "tests/archive/load_unlha32_win.h"
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
bool extract([[maybe_unused]] const char* command, const std::string& archive,
             const std::string& folder) {
#ifdef _WIN32
  UnlhaFn unlha = load_unlha32();
  char report[2048] = {};
  return unlha && unlha(nullptr, ("e -n \"" + archive + "\" \"" + folder + "\"").c_str(), report,
                        sizeof report) == 0;
#else
  return std::system(("sh -c '" + std::string(command) + " > /dev/null 2>&1' - \"" +
                      plat::native_path(archive.c_str()) + "\" \"" +
                      plat::native_path(folder.c_str()) + "\"")
                         .c_str()) == 0;
#endif
}

// Archives every data set with each method, extracts each archive into a
// fresh folder and compares.
void extract_our_archives(const char* reader, const char* command) {
  static const std::vector<roundtrip::DataSet> sets = roundtrip::round_trip_sets();
  for (const char* method : {"-lh5", "-lh6", "-lh7"}) {
    const std::string dir = oktest::scratch_folder("roundtrip_in"),
                      out = oktest::scratch_folder("roundtrip_out");
    std::vector<std::string> args = {"a", method, dir + "sets.lzh"};
    for (const roundtrip::DataSet& set : sets) {
      oktest::put_file(dir + set.name, set.bytes);
      args.push_back(dir + set.name);
    }
    ok(create(args) == 0, "%s: archive not created\n", method);
    ok(extract(command, dir + "sets.lzh", out), "%s %s: extraction failed\n", reader, method);
    for (const roundtrip::DataSet& set : sets)
      ok(oktest::file_text(out + set.name) == set.bytes, "%s %s: %s differs\n", reader, method,
         set.name);
  }
}

}  // namespace

TEST(create_compresses_what_shrinks_stores_the_rest_and_fails_cleanly) {
  const std::string dir = oktest::scratch_folder("create"), archive = dir + "out.lzh";
  const std::string sjis = "\x95\x5C\x8E\xA6.txt";  // 表示: its 0x5C is no separator
  const std::string text = roundtrip::catalogue_text(30000),
                    noise = roundtrip::random_bytes(5000, 1);
  plat::create_directory((dir + "sub").c_str());
  oktest::put_file(dir + "sub\\" + sjis, text);
  oktest::put_file(dir + "noise.bin", noise);
  oktest::put_file(dir + "empty", "");
  // 2001-09-09 01:46:40 UTC, one billion seconds after 1970.
  plat::set_file_write_time((dir + "sub\\" + sjis).c_str(),
                            116444736000000000ull + 10000000000000000ull);
  std::vector<lzh::Header> m;
  std::string bytes;
  const int rc =
      create({"a", "-lh7", archive, dir + "sub/" + sjis, dir + "noise.bin", dir + "empty"});
  ok(rc == 0 && read_archive(archive, &m, &bytes) && m.size() == 3,
     "create %d, %u members to the end mark\n", rc, (unsigned)m.size());
  if (m.size() != 3) return;
  ok(m[0].name == sjis && m[0].method == lzh::Method::Lh7 && m[0].original_size == text.size() &&
         m[0].packed_size < text.size() / 3 && m[0].crc == lzhtest::crc_of(text) &&
         m[0].unix_time == 1000000000u,
     "text member %s %.5s, %u of %u, crc %04x, time %u\n", m[0].name.c_str(), m[0].method_id,
     (unsigned)m[0].packed_size, (unsigned)m[0].original_size, m[0].crc, m[0].unix_time);
  for (int k = 1; k < 3; ++k)
    ok(m[k].method == lzh::Method::Stored &&
           bytes.substr(m[k].data_offset, m[k].packed_size) == (k == 1 ? noise : ""),
       "member %d not stored as it is\n", k);

  // A missing input keeps the existing archive.
  ok(create({"a", archive, dir + "noise.bin", dir + "missing.txt"}) == 1 &&
         oktest::get_file(archive, &bytes) && bytes.size() > 5000 &&
         !plat::file_exists((archive + ".new").c_str()),
     "a missing input accepted, or the existing archive not kept, or a work file left\n");
  m.clear();
  ok(create({"a", archive, dir + "empty"}) == 0 && read_archive(archive, &m, &bytes) &&
         m.size() == 1,
     "an existing archive is not replaced whole\n");
}

TEST(our_archives_come_back_through_every_reader) {
#ifdef _WIN32
  extract_our_archives("UNLHA32.DLL", nullptr);
#else
  ok(std::system("command -v lhasa > /dev/null") == 0,
     "lhasa is not installed (scripts/install-deps.sh)\n");
  extract_our_archives("lhasa", "lhasa -xqw=\"$2\" \"$1\"");
#ifdef PARTSDL_LZHTOOL
  extract_our_archives("lzhtool", "\"" PARTSDL_LZHTOOL "\" e \"$1\" \"$2\"");
#endif
#endif
}

// Archives of writers that bend the format, and members of one file name,
// extracted as lhasa's forced flat extraction leaves them.
TEST(writer_quirks_extract_as_lhasa_extracts_them) {
  // A MacBinary image as the Macintosh writer stores it: a 128-byte header
  // (name, big-endian fork lengths, seconds since 1904), the forks, padding.
  auto image = [](std::string name, std::string data, std::string resource, uint32_t time) {
    std::string h(128, '\0'), all;
    h.replace(1, 1 + name.size(), static_cast<char>(name.size()) + name);
    for (int n = 0; n < 4; ++n) {
      h[0x56 - n] = static_cast<char>(data.size() >> 8 * n);
      h[0x5A - n] = static_cast<char>(resource.size() >> 8 * n);
      h[0x62 - n] = static_cast<char>(time >> 8 * n);
    }
    all = h + data + resource;
    return all + std::string((128 - all.size() % 128) % 128, '\0');
  };
  auto m = [](int level, const char* name, std::string data, char os, const char* dir = "",
              int size_error = 0) {
    lzhtest::Member x(name, data);
    x.os = os;
    x.directory = dir;
    x.size_error = size_error;
    return member(level, x);
  };
  // The members' time stamp as a level 2 time, and as a level 1 local time
  // (2017-09-28 04:08 read as UTC, within the 14 hours allowed anywhere).
  const uint32_t mac = 0x4B3C2100u + 2082844800u, dos = 1506571680u + 2082844800u;
  const std::string a = image("a", "fork", "RES", mac), c = image("c.bin", "x", "", mac),
                    d = image("d", "x", "", mac + 15 * 3600), f = image("f", "x", "", mac);
  const struct {
    const char* what;
    std::string archive;
    std::vector<std::pair<const char*, std::string>> files;
    bool lhasa_agrees;  // false: lhasa stops at the first header
  } cases[] = {
      {"OS-9/68k",
       m(2, "k.txt", "os9", 'K', "", -2) + m(2, "l.txt", "two", 'K', "", -2),
       {{"k.txt", "os9"}, {"l.txt", "two"}},
       true},
      {"MacBinary",
       m(2, "a", a, 'm') + m(2, "b", image("b", "", "res", mac), 'm') + m(2, "c", c, 'm') +
           m(2, "d", d, 'm') + m(2, "f", f, 'U') + m(1, "dir\\g", image("g", "dos", "", dos), 'm'),
       {{"a", "fork"}, {"b", "res"}, {"c", c}, {"d", d}, {"f", f}, {"g", "dos"}},
       true},
      {"same file name",
       m(2, "h.txt", "first", 'U', "EAS\xFF") + m(0, "h.txt", "last", 'U') +
           m(0, "o.txt", "first", 'U') + m(2, "o.txt", "last", 'U', "EAS\xFF"),
       {{"h.txt", "last"}, {"o.txt", "last"}},
       true},
      {"Amiga level 1",
       m(1, "dir\\", "", 'A') + m(1, "dir\\a.txt", "in", 'A') + m(1, "b", "b", 'A'),
       {{"a.txt", "in"}, {"b", "b"}},
       true},
      {"Amiga level 2", m(2, "", "", 'A', "dir\xFF") + m(2, "b", "b", 'A'), {{"b", "b"}}, false}};
#ifdef _WIN32
  const char* const readers[][2] = {{"UNLHA32.DLL", nullptr}};
#else
  const char* const readers[][2] = {{"lhasa", "lhasa -xqfiw=\"$2\" \"$1\""},
                                    {"lzhtool", "\"" PARTSDL_LZHTOOL "\" e \"$1\" \"$2\""}};
#endif
  const std::string dir = oktest::scratch_folder("quirks");
  for (const auto& c : cases) {
    oktest::put_file(dir + "q.lzh", c.archive + lzhtest::end_mark());
    for (const auto& reader : readers) {
      const bool lhasa = std::string(reader[0]) == "lhasa", agrees = !lhasa || c.lhasa_agrees;
      const std::string out = oktest::scratch_folder("quirks_out");
      // lhasa fails on the Amiga entry it takes for a file; ours must not.
      ok(extract(reader[1], dir + "q.lzh", out) || lhasa, "%s %s: failed\n", c.what, reader[0]);
      for (const auto& file : c.files)
        ok(oktest::file_text(out + file.first) == (agrees ? file.second : "<missing>"),
           "%s %s: %s differs\n", c.what, reader[0], file.first);
    }
  }
}

#ifndef _WIN32
// The parts index as another archiver packs it (jlha, the Java LHA of
// jlha-utils, level 2 headers as the maker's server uses them, -lh5- and
// -lh7-), unpacked by the library.
TEST(a_parts_index_packed_by_jlha_is_unpacked) {
  ok(std::system("command -v jlha > /dev/null") == 0,
     "jlha is not installed (scripts/install-deps.sh)\n");
  const std::vector<uint8_t> index = sample::sample_parts_index();
  const std::string dir = oktest::scratch_folder("jlha"), out = oktest::scratch_folder("jlha_out");
  oktest::put_file(dir + "TRBHN.DAT", std::string(index.begin(), index.end()));
  for (const char* method : {"", "o7"}) {
    const std::string archive = dir + "TRBHN" + method + ".LZH";
    const std::string command = "cd \"" + plat::native_path(dir.c_str()) + "\" && jlha a2q" +
                                method + " \"" + plat::native_path(archive.c_str()) +
                                "\" TRBHN.DAT > /dev/null 2>&1";
    std::string report;
    ok(std::system(command.c_str()) == 0 &&
           lzh::extract_archive(archive.c_str(), out.c_str(), &report) == 0 &&
           oktest::file_text(out + "TRBHN.DAT") == std::string(index.begin(), index.end()),
       "jlha %s: not unpacked whole: %s\n", method, report.c_str());
  }
}
#endif

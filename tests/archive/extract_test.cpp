// Headers, names and extraction through the file seam, natively and under
// Wine: broken headers are refused, hostile names stay inside the folder or
// are refused, bad members leave nothing behind and spoil nothing. Sound
// headers of every level are checked against lhasa by the corpus.
#include <string>
#include <utility>

#include "archive/extract.h"
#include "archive/header.h"
#include "archive/names.h"
#include "archive/unlha32.h"
#include "platform/files.h"
#include "tests/archive/member_bytes.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using lzhtest::Member;
using lzhtest::member;
using oktest::file_text;

namespace {

bool exists(const std::string& path) { return plat::file_exists(path.c_str()); }

// Writes the archive beside an "out" folder, holding keep.txt with `old`
// unless null, and extracts into it with `disk` bytes left (-1: no limit).
struct Run {
  std::string root, out, report;
  int result;
  Run(const char* test, const std::string& archive, const char* old = nullptr, int64_t disk = -1)
      : root(oktest::scratch_folder(test)), out(root + "out\\") {
    plat::create_directory(out.c_str());
    if (old) oktest::put_file(out + "keep.txt", old);
    oktest::put_file(root + "a.lzh", archive);
    plat::fail_writes_after(disk);
    result = lzh::extract_archive((root + "a.lzh").c_str(), out.c_str(), &report);
    plat::fail_writes_after(-1);
  }
  bool no_work_files() const {
    return !exists(out + "~unlha0.tmp") && !exists(out + "~unlha1.tmp");
  }
};

}  // namespace

TEST(broken_headers_are_refused) {
  const Member m("dir\\FILE.TXT", "hello, world\n");
  auto patched = [&](int level, size_t at, const std::string& bytes) {
    return member(level, m).replace(at, bytes.size(), bytes);
  };
  Member overclaimed = m;  // level 1: extended headers beyond the packed size
  overclaimed.extra = {
      "\x3F"
      "a comment"};
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
      {"level 3 header of 4 GiB", patched(3, 24, lzhtest::le32(0xFFFFFFF0u))}};
  // Level 2 sizes off by anything but the OS-9/68k writer's ('K') two bytes.
  for (auto off : std::vector<std::pair<char, int>>{{'U', -2}, {'K', -1}, {'K', 2}}) {
    Member bad = m;
    bad.os = off.first;
    bad.size_error = off.second;
    cases.push_back({"level 2 size off", member(2, bad)});
  }
  for (size_t cut = 1; cut < level2.size() - m.data.size(); ++cut)
    cases.push_back({"cut inside the header", level2.substr(0, cut)});
  auto read = [](const std::string& bytes) {
    lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    lzh::Header h;
    return lzh::read_header(lzh::memory_source(&memory), 0, &h);
  };
  for (int level = 0; level < 4; ++level)
    ok(read(member(level, m)) == lzh::kHeader, "level %d: refused\n", level);
  for (const auto& c : cases)
    ok(read(c.second) == lzh::kBadHeader, "%s (%u bytes): accepted\n", c.first,
       (unsigned)c.second.size());
}

TEST(names_reduce_to_their_last_element_by_shift_jis_character) {
  // 表\ソ; no character, so '/' separates; a lead byte at the end. More below.
  const char* const cases[][2] = {{"dir\\", ""},
                                  {"\x95\x5C\\\x83\x5C", "\x83\x5C"},
                                  {"caf\x8B/evil", "evil"},
                                  {"x\x81", "x\x81"}};
  for (const auto& c : cases)
    ok(lzh::last_path_element(c[0]) == c[1], "'%s' reduced to '%s'\n", c[0],
       lzh::last_path_element(c[0]).c_str());
  for (const char* name : {"", ".", "..", "c:file.txt", "con", "Con.txt", "CON .txt", "CONIN$",
                           "com9.log", "name.", "name ", "tab\there", "a|b"})
    ok(lzh::unsafe_name_reason(name) != nullptr, "'%s' accepted\n", name);
  for (const char* name : {"TRBHN.DAT", "COM10", "LPT0", "CONFIG.SYS", "nul_file", ".hidden",
                           "a..b", "\x95\x5C.txt", "\x95\x7C", "caf\xE9"})
    ok(lzh::unsafe_name_reason(name) == nullptr, "'%s' refused: %s\n", name,
       lzh::unsafe_name_reason(name));
}

TEST(hostile_paths_land_inside_the_folder_and_unsafe_names_are_refused) {
  // Absolute paths and '..' in directory headers are the corpus's (regression/).
  std::string archive = member(0, Member("..\\..\\evil1.txt", "one")) +
                        member(1, Member("C:\\W\\evil3.txt", "three")) +
                        member(2, Member("sub/\x95\x5C.txt", "table")) +
                        member(0, Member("dir/sub\\\x83\x5C", "so"));
  for (const char* name : {"CON", "nul.txt", "..", "dir\\", "a:b", "x\x1B]0;t\x07"})
    archive += member(0, Member(name, "bad"));
  Run run("extract_hostile", archive + lzhtest::end_mark());
  ok(run.result == kUnlhaUnsafeName, "result %#x\n", run.result);
  const char* const landed[][2] = {
      {"evil1.txt", "one"}, {"evil3.txt", "three"}, {"\x95\x5C.txt", "table"}, {"\x83\x5C", "so"}};
  for (const auto& f : landed) {
    ok(file_text(run.out + f[0]) == f[1], "%s not extracted into the folder\n", f[0]);
    ok(!exists(run.root + f[0]), "%s written beside the folder\n", f[0]);
  }
  ok(run.report.find("4 extracted, 6 refused") != std::string::npos, "report: %s\n",
     run.report.c_str());
  ok(run.report.find('\x1B') == std::string::npos, "escape sequence copied into the report\n");
  ok(run.no_work_files(), "work file left behind\n");
}

TEST(bad_members_leave_nothing_and_keep_the_old_file) {
  Member wrong_crc("keep.txt", "new contents"),
      short_data = wrong_crc, too_large("keep.txt", std::string(5000, 'n')),
      bad_stream("keep.txt", std::string(40, '\xFF'), "-lh5-");
  wrong_crc.crc = lzhtest::crc_of("new contents") ^ 1;
  short_data.original_size = 100;
  bad_stream.original_size = 5000;
  struct Case {
    const char* what;
    std::string archive;
    int result;
    int64_t disk;  // bytes written before the disk is full; -1: no limit
  } cases[] = {
      {"CRC", member(2, wrong_crc), kUnlhaCrcMismatch, -1},
      {"size beyond data", member(2, short_data), kUnlhaCorrupt, -1},
      {"corrupt -lh5- stream", member(2, bad_stream), kUnlhaCorrupt, -1},
      {"full disk", member(0, too_large), kUnlhaWriteFailed, 100},
  };
  for (const Case& c : cases) {
    for (const char* old : {"old contents", static_cast<const char*>(nullptr)}) {
      Run run("extract_bad", c.archive, old, c.disk);
      ok(run.result == c.result, "%s: result %#x, expected %#x\n", c.what, run.result, c.result);
      ok(file_text(run.out + "keep.txt") == (old ? old : "<missing>"), "%s: the file was %s\n",
         c.what, old ? "changed" : "left");
      ok(run.no_work_files(), "%s: work file left behind\n", c.what);
    }
  }
}

TEST(only_files_of_known_methods_are_extracted) {
  std::string archive =
      member(0, Member("old.bin", "xxxx", "-lh2-")) + member(1, Member("pm.bin", "xxxx", "-pm2-")) +
      member(2, Member("subdir", "", "-lhd-")) + member(1, Member("foo.txt|bar.txt", "", "-lhd-")) +
      member(0, Member("foo.txt", "real")) + lzhtest::end_mark();
  Run run("extract_methods", archive);
  ok(run.result == kUnlhaUnknownMethod, "result %#x\n", run.result);
  for (const char* name : {"old.bin", "pm.bin", "subdir", "bar.txt"})
    ok(!exists(run.out + name), "%s made\n", name);
  ok(file_text(run.out + "foo.txt") == "real", "foo.txt: %s\n",
     file_text(run.out + "foo.txt").c_str());
  ok(run.report.find("method -lh2- not supported") != std::string::npos, "report: %s\n",
     run.report.c_str());
}

TEST(archives_that_cannot_be_read) {
  std::string root = oktest::scratch_folder("extract_unreadable"), report;
  oktest::put_file(root + "text.lzh",
                   "This is not an archive, just some text that is long enough.");
  oktest::put_file(root + "tail.lzh",
                   member(0, Member("one.txt", "1")) + "-broken header here------");
  oktest::put_file(root + "empty.lzh", lzhtest::end_mark());
  const std::pair<const char*, int> cases[] = {{"missing.lzh", kUnlhaCannotOpen},
                                               {"text.lzh", kUnlhaNotArchive},
                                               {"tail.lzh", kUnlhaBrokenArchive},
                                               {"empty.lzh", kUnlhaDone}};
  for (const auto& c : cases) {
    report.clear();
    int result = lzh::extract_archive((root + c.first).c_str(), root.c_str(), &report);
    ok(result == c.second, "%s: result %#x\n", c.first, result);
  }
  ok(report == "0 extracted, 0 refused\r\n", "empty archive: %s\n", report.c_str());
  ok(file_text(root + "one.txt") == "1", "the member before the broken header was lost\n");
}

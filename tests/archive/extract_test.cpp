// Extraction through the file seam, natively and under Wine: hostile names
// stay inside the folder, bad members leave nothing behind and spoil nothing.
#include <string>

#include "archive/extract.h"
#include "archive/unlha32.h"
#include "platform/files.h"
#include "tests/archive/member_bytes.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using lzhtest::Member;

namespace {

Member file(const std::string& name, const std::string& data) {
  Member m;
  m.name = name;
  m.data = data;
  return m;
}

std::string contents(const std::string& path) {
  std::string bytes;
  if (!oktest::get_file(path, &bytes)) return "(missing)";
  return bytes;
}

// Writes the archive beside an empty "out" folder and extracts into it.
struct Run {
  std::string root, out, report;
  int result;
  Run(const char* test, const std::string& archive) {
    root = oktest::scratch_folder(test);
    out = root + "out\\";
    plat::create_directory(out.c_str());
    oktest::put_file(root + "a.lzh", archive);
    result = lzh::extract_archive((root + "a.lzh").c_str(), out.c_str(), &report);
  }
};

bool no_work_files(const std::string& folder) {
  return !plat::file_exists((folder + "~unlha0.tmp").c_str()) && !plat::file_exists((folder + "~unlha1.tmp").c_str());
}

}  // namespace

TEST(hostile_paths_land_inside_the_folder) {
  Member up2 = file("evil2.txt", "two");
  up2.directory = "..\xFF..\xFF";
  Member sjis = file("sub/\x95\x5C.txt", "table");  // sub/表.txt
  std::string archive = lzhtest::level0(file("..\\..\\evil1.txt", "one")) + lzhtest::level2(up2) +
                        lzhtest::level0(file("/tmp/abs.txt", "abs")) +
                        lzhtest::level1(file("C:\\WINDOWS\\evil3.txt", "three")) + lzhtest::level2(sjis) +
                        lzhtest::level0(file("dir/sub\\\x83\x5C", "so")) + lzhtest::end_mark();
  Run run("extract_hostile", archive);
  ok(run.result == kUnlhaDone, "result %#x: %s\n", run.result, run.report.c_str());
  ok(contents(run.out + "evil1.txt") == "one", "evil1.txt\n");
  ok(contents(run.out + "evil2.txt") == "two", "evil2.txt\n");
  ok(contents(run.out + "abs.txt") == "abs", "abs.txt\n");
  ok(contents(run.out + "evil3.txt") == "three", "evil3.txt\n");
  ok(contents(run.out + "\x95\x5C.txt") == "table", "表.txt\n");
  ok(contents(run.out + "\x83\x5C") == "so", "ソ\n");
  for (const char* name : {"evil1.txt", "evil2.txt", "abs.txt", "evil3.txt", "sub"})
    ok(!plat::file_exists((run.root + name).c_str()), "%s written beside the folder\n", name);
  ok(run.report.find("6 extracted, 0 refused") != std::string::npos, "report: %s\n", run.report.c_str());
}

TEST(unsafe_names_are_refused_and_the_rest_extracted) {
  std::string archive;
  for (const char* name : {"CON", "nul.txt", "..", "dir\\", "a:b", "x\x1B]0;t\x07"})
    archive += lzhtest::level0(file(name, "bad"));
  Member dotdot_dir = file("..", "bad");
  dotdot_dir.directory = "x\xFF";
  archive += lzhtest::level2(dotdot_dir) + lzhtest::level0(file("good.txt", "good")) + lzhtest::end_mark();
  Run run("extract_unsafe", archive);
  ok(run.result == kUnlhaUnsafeName, "result %#x\n", run.result);
  ok(contents(run.out + "good.txt") == "good", "the safe member was not extracted\n");
  ok(run.report.find("1 extracted, 7 refused") != std::string::npos, "report: %s\n", run.report.c_str());
  ok(run.report.find('\x1B') == std::string::npos, "escape sequence copied into the report\n");
  ok(no_work_files(run.out), "work file left behind\n");
}

TEST(bad_members_leave_nothing_and_keep_the_old_file) {
  struct Case {
    const char* what;
    Member member;
    bool cut;  // archive ends inside the data
    int result;
  };
  Member wrong_crc = file("keep.txt", "new contents");
  wrong_crc.crc = lzhtest::crc_of("new contents") ^ 1;
  Member short_data = file("keep.txt", "new contents");
  short_data.original_size = 100;
  Member truncated = file("keep.txt", "new contents");
  Member bad_stream = file("keep.txt", std::string(40, '\xFF'));
  bad_stream.method = "-lh5-";
  bad_stream.original_size = 5000;
  const Case cases[] = {
      {"CRC", wrong_crc, false, kUnlhaCrcMismatch},
      {"size beyond data", short_data, false, kUnlhaCorrupt},
      {"archive cut inside the data", truncated, true, kUnlhaCorrupt},
      {"corrupt -lh5- stream", bad_stream, false, kUnlhaCorrupt},
  };
  for (const Case& c : cases) {
    std::string archive = lzhtest::level2(c.member);
    if (c.cut) archive.resize(archive.size() - 4);
    std::string root = oktest::scratch_folder("extract_bad");
    oktest::put_file(root + "keep.txt", "old contents");
    oktest::put_file(root + "a.lzh", archive);
    std::string report;
    int result = lzh::extract_archive((root + "a.lzh").c_str(), root.c_str(), &report);
    ok(result == c.result, "%s: result %#x, expected %#x\n", c.what, result, c.result);
    ok(contents(root + "keep.txt") == "old contents", "%s: the old file was changed\n", c.what);
    ok(no_work_files(root), "%s: work file left behind\n", c.what);
    std::string fresh = oktest::scratch_folder("extract_bad_fresh");
    oktest::put_file(fresh + "a.lzh", archive);
    lzh::extract_archive((fresh + "a.lzh").c_str(), fresh.c_str(), &report);
    ok(!plat::file_exists((fresh + "keep.txt").c_str()), "%s: a file was left\n", c.what);
  }
}

TEST(a_full_disk_leaves_the_old_file) {
  Run setup("extract_full_disk", std::string());
  oktest::put_file(setup.out + "keep.txt", "old contents");
  oktest::put_file(setup.root + "b.lzh", lzhtest::level0(file("keep.txt", std::string(5000, 'n'))));
  std::string report;
  plat::fail_writes_after(100);
  int result = lzh::extract_archive((setup.root + "b.lzh").c_str(), setup.out.c_str(), &report);
  plat::fail_writes_after(-1);
  ok(result == kUnlhaWriteFailed, "result %#x\n", result);
  ok(contents(setup.out + "keep.txt") == "old contents", "the old file was changed\n");
  ok(no_work_files(setup.out), "work file left behind\n");
}

TEST(only_files_of_known_methods_are_extracted) {
  Member lh2 = file("old.bin", "xxxx");
  lh2.method = "-lh2-";
  Member pm2 = file("pm.bin", "xxxx");
  pm2.method = "-pm2-";
  Member dir = file("subdir", "");
  dir.method = "-lhd-";
  Member link = file("foo.txt|bar.txt", "");
  link.method = "-lhd-";
  std::string archive = lzhtest::level0(lh2) + lzhtest::level1(pm2) + lzhtest::level2(dir) +
                        lzhtest::level1(link) + lzhtest::level0(file("foo.txt", "real")) + lzhtest::end_mark();
  Run run("extract_methods", archive);
  ok(run.result == kUnlhaUnknownMethod, "result %#x\n", run.result);
  ok(!plat::file_exists((run.out + "old.bin").c_str()) && !plat::file_exists((run.out + "pm.bin").c_str()),
     "a member of an unknown method was written\n");
  ok(!plat::file_exists((run.out + "subdir").c_str()), "a directory entry made something\n");
  ok(!plat::file_exists((run.out + "bar.txt").c_str()), "the link's target was made\n");
  ok(contents(run.out + "foo.txt") == "real", "foo.txt: %s\n", contents(run.out + "foo.txt").c_str());
  ok(run.report.find("method -lh2- not supported") != std::string::npos, "report: %s\n", run.report.c_str());
}

TEST(later_members_replace_earlier_ones_of_the_same_name) {
  std::string archive = lzhtest::level0(file("dir1\\same.txt", "first")) +
                        lzhtest::level2(file("same.txt", "second")) + lzhtest::end_mark();
  Run run("extract_same", archive);
  ok(run.result == kUnlhaDone && contents(run.out + "same.txt") == "second", "same.txt: %s\n",
     contents(run.out + "same.txt").c_str());
}

TEST(archives_that_cannot_be_read) {
  std::string root = oktest::scratch_folder("extract_unreadable");
  std::string report;
  ok(lzh::extract_archive((root + "missing.lzh").c_str(), root.c_str(), &report) == kUnlhaCannotOpen,
     "missing archive\n");
  oktest::put_file(root + "text.lzh", "This is not an archive, just some text that is long enough.");
  ok(lzh::extract_archive((root + "text.lzh").c_str(), root.c_str(), &report) == kUnlhaNotArchive,
     "text taken for an archive\n");
  oktest::put_file(root + "tail.lzh", lzhtest::level0(file("one.txt", "1")) + "-broken header here------");
  ok(lzh::extract_archive((root + "tail.lzh").c_str(), root.c_str(), &report) == kUnlhaBrokenArchive,
     "broken second header\n");
  ok(contents(root + "one.txt") == "1", "the member before the broken header was lost\n");
  oktest::put_file(root + "empty.lzh", lzhtest::end_mark());
  report.clear();
  ok(lzh::extract_archive((root + "empty.lzh").c_str(), root.c_str(), &report) == kUnlhaDone &&
         report == "0 extracted, 0 refused\r\n", "empty archive: %s\n", report.c_str());
}

TEST(files_keep_the_stored_time) {
  // Every test member is stamped 0x4B3C2100: as Unix time (levels 2 and 3)
  // 2009-12-31 03:56:48 UTC; as an MS-DOS time (levels 0 and 1)
  // 2017-09-28 04:08:00 local time.
  const uint64_t kSecond = 10000000, kFrom1601 = 11644473600ull;
  Run run("extract_time", lzhtest::level2(file("unix.txt", "u")) + lzhtest::level0(file("dos.txt", "d")) +
                              lzhtest::end_mark());
  uint64_t unix_time = 0, dos_time = 0;
  ok(plat::file_write_time((run.out + "unix.txt").c_str(), &unix_time) &&
         unix_time == (0x4B3C2100ull + kFrom1601) * kSecond, "level 2 time %llu\n", (unsigned long long)unix_time);
  // Local time is the test machine's; it lies within 14 hours of UTC.
  const uint64_t dos_as_utc = (1506571680ull + kFrom1601) * kSecond, day_half = 14 * 3600 * kSecond;
  ok(plat::file_write_time((run.out + "dos.txt").c_str(), &dos_time) && dos_time + day_half >= dos_as_utc &&
         dos_time <= dos_as_utc + day_half, "level 0 time %llu\n", (unsigned long long)dos_time);
}

// Received files are put in place whole or not at all, with the server's
// time at two-second resolution.
#include <string>

#include "download/received_file.h"
#include "platform/file_time.h"
#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using namespace download;
using oktest::get_file;
using oktest::put_file;

namespace {

std::string content(const std::string& path) {
  std::string bytes;
  return get_file(path, &bytes) ? bytes : std::string("<missing>");
}

uint64_t time_of(int year, int month, int day, int hour, int minute, int second) {
  uint64_t filetime = 0;
  plat::filetime_at_dos_resolution({year, month, day, hour, minute, second}, &filetime);
  return filetime;
}

}  // namespace

TEST(complete_file_replaces_the_target) {
  std::string dir = oktest::scratch_folder("complete");
  std::string target = dir + "BH0001001.DAT";
  put_file(target, "old part");
  put_file(target + ".new", "left over from a crash");
  ReceivedFile f;
  ok(begin_file(&f, target.c_str()), "fresh file created over a stale one\n");
  ok(content(target) == "old part", "target untouched while receiving\n");
  append_file(&f, "new ", 4);
  append_file(&f, "part", 4);
  uint64_t when = time_of(2006, 11, 29, 12, 0, 0);
  ok(finish_file(&f, &when), "finished\n");
  ok(content(target) == "new part", "target holds the new bytes: %s\n", content(target).c_str());
  ok(!plat::file_exists((target + ".new").c_str()), "nothing left beside it\n");
  uint64_t got = 0;
  ok(plat::file_write_time(target.c_str(), &got) && got == when, "server time given to the file\n");

  ok(begin_file(&f, (dir + "EMPTY.DAT").c_str()) && finish_file(&f, nullptr),
     "an empty body makes a file\n");
  ok(content(dir + "EMPTY.DAT").empty(), "empty file written\n");
}

TEST(broken_or_short_writes_leave_the_target_as_it_was) {
  std::string dir = oktest::scratch_folder("broken");
  std::string target = dir + "TRBHN.LZH";
  put_file(target, "previous archive");
  ReceivedFile f;
  begin_file(&f, target.c_str());
  append_file(&f, "partial", 7);
  drop_file(&f);
  ok(content(target) == "previous archive", "a dropped transfer keeps the target\n");
  ok(!plat::file_exists((target + ".new").c_str()), "and removes the fresh file\n");

  begin_file(&f, target.c_str());
  plat::fail_writes_after(5);
  bool wrote = append_file(&f, "0123456789", 10);
  plat::fail_writes_after(-1);
  ok(!wrote, "a full disk fails the write\n");
  ok(!append_file(&f, "x", 1), "and every later one\n");
  ok(!finish_file(&f, nullptr), "the file is not finished\n");
  ok(content(target) == "previous archive", "target kept after a short write\n");
  ok(!plat::file_exists((target + ".new").c_str()), "no partial file remains\n");

  std::string absent = dir + "NEVER.DAT";
  begin_file(&f, absent.c_str());
  plat::fail_writes_after(0);
  append_file(&f, "x", 1);
  plat::fail_writes_after(-1);
  ok(!finish_file(&f, nullptr) && !plat::file_exists(absent.c_str()),
     "a target that did not exist stays absent\n");

  ok(!begin_file(&f, (dir + "NO_SUCH_FOLDER\\X.DAT").c_str()), "a missing folder fails at once\n");
  ok(!finish_file(&f, nullptr), "and cannot be finished\n");
}

TEST(server_time_keeps_two_second_resolution) {
  ok(time_of(2006, 11, 29, 12, 0, 1) == 128092752000000000ull, "12:00:01 gives 12:00:00\n");
  ok(time_of(2006, 11, 29, 12, 0, 0) == 128092752000000000ull, "even seconds stay\n");
  ok(time_of(1980, 1, 1, 0, 0, 0) == 119600064000000000ull, "first DOS day\n");
  ok(time_of(2107, 12, 31, 23, 59, 59) == 159992927980000000ull, "last DOS second, rounded down\n");
  ok(time_of(2000, 2, 29, 6, 30, 59) == 125962794580000000ull, "leap day of 2000\n");

  ok(!time_of(1979, 12, 31, 23, 59, 59), "before 1980 has no DOS time\n");
  ok(!time_of(2108, 1, 1, 0, 0, 0), "after 2107 has no DOS time\n");
  ok(!time_of(2100, 2, 29, 0, 0, 0), "2100 is not a leap year\n");
  ok(!time_of(2006, 13, 1, 0, 0, 0), "month 13\n");
  ok(!time_of(2006, 4, 31, 0, 0, 0), "April 31\n");
  ok(!time_of(2006, 1, 1, 24, 0, 0), "hour 24\n");
}

// The shared helpers of the platform layer: whole-file rewrites, and times
// by their zone and within the range of MS-DOS stamps. (Shift-JIS cuts and
// separators show in list_file_test.cpp.)
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

#include "platform/file_time.h"
#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::file_text;

TEST(whole_file_rewrite_leaves_the_old_file_or_the_new_one) {
  std::string path = oktest::scratch_folder("rewrite") + "TRBHN.DAT";
  oktest::put_file(path, "old");
  oktest::put_file(path + ".new", "stale work file of a crashed run");
  std::string fresh(100000, 'n');
  plat::fail_writes_after(70000);  // the disk fills in the second piece
  bool written = plat::replace_whole_file(path.c_str(), fresh.data(), fresh.size());
  plat::fail_writes_after(-1);
  ok(!written && file_text(path) == "old", "a full disk must leave the old file\n");
  ok(!plat::file_exists((path + ".new").c_str()), "no cut file may stay beside it\n");
  ok(plat::replace_whole_file(path.c_str(), fresh.data(), fresh.size()) && file_text(path) == fresh,
     "the rewrite goes through once the disk has room\n");

  plat::NewFile out;
  ok(plat::begin_new_file(&out, path.c_str()) && plat::write_at(out.file, 0, "x", 1) == 1,
     "a file written piece by piece\n");
  plat::drop_new_file(&out);
  ok(file_text(path) == fresh && !plat::file_exists((path + ".new").c_str()),
     "an abandoned one leaves the target and nothing beside it\n");
}

TEST(times_are_read_in_their_own_zone) {
  // A zone without summer time, nine hours ahead of UTC.
#ifdef _WIN32
  _putenv("TZ=JST-9");
  _tzset();
#else
  setenv("TZ", "JST-9", 1);
  tzset();
#endif
  // 2006-11-29 12:00:00 as an MS-DOS stamp, the way an archive of level 0
  // or 1 stores it: local time, so 03:00 UTC. A download's Last-Modified of
  // the same fields is UTC.
  plat::CivilTime stamp;
  ok(plat::civil_from_dos(0x357D6000u, &stamp) && stamp.year == 2006 && stamp.month == 11 &&
         stamp.day == 29 && stamp.hour == 12 && stamp.minute == 0 && stamp.second == 0,
     "MS-DOS fields\n");
  uint64_t local = 0, utc = 0, server = 0;
  ok(plat::filetime_from_local(stamp, &local) && plat::filetime_from_utc(stamp, &utc) &&
         utc - local == 9 * 3600 * plat::kFiletimeSecond,
     "local time is nine hours ahead: %llu %llu\n", (unsigned long long)local,
     (unsigned long long)utc);
  ok(plat::filetime_at_dos_resolution({2006, 11, 29, 12, 0, 1}, &server) && server == utc,
     "a download keeps the server's UTC time, seconds rounded down to even\n");
  // Fields no valid date can have give no time at all, also to an archive
  // member: month 13, February 30, 62 seconds.
  for (uint32_t dos : {0x35BD6000u, 0x345E6000u, 0x357D601Fu})
    ok(!plat::civil_from_dos(dos, &stamp), "%08x is a time\n", (unsigned)dos);
  // A server's time as a file time (100 ns since 1601) of the first DOS
  // day, a leap day and the last DOS second, odd seconds rounded down; 0:
  // outside the range an archive can hold, or no date at all.
  const std::pair<plat::CivilTime, uint64_t> cases[] = {
      {{1980, 1, 1, 0, 0, 0}, 119600064000000000ull},
      {{2000, 2, 29, 6, 30, 59}, 125962794580000000ull},
      {{2107, 12, 31, 23, 59, 59}, 159992927980000000ull},
      {{1979, 12, 31, 23, 59, 59}, 0},
      {{2108, 1, 1, 0, 0, 0}, 0},
      {{2100, 2, 29, 0, 0, 0}, 0},
      {{2006, 4, 31, 0, 0, 0}, 0}};
  for (const auto& [t, filetime] : cases) {
    bool in_range = plat::filetime_at_dos_resolution(t, &server);
    ok(filetime ? in_range && server == filetime : !in_range, "%d-%02d-%02d %02d:%02d:%02d\n",
       t.year, t.month, t.day, t.hour, t.minute, t.second);
  }

  ok(plat::unix_from_filetime(plat::kUnixEpochFiletime - 1) == 0 &&
         plat::unix_from_filetime(plat::kUnixEpochFiletime +
                                  (1ull << 33) * plat::kFiletimeSecond) == 0xFFFFFFFFu,
     "Unix time of LZH headers is clamped to 32 bits\n");
}

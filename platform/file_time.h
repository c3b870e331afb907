// The times the program meets, turned into the Windows file time that a
// file's last-write time is kept in (FILETIME: 100-nanosecond intervals
// since 1601-01-01 UTC). Each input says whether it is UTC or local time.
#pragma once

#include <cstdint>

namespace plat {

constexpr uint64_t kFiletimeSecond = 10000000;
// 1970-01-01 00:00:00 UTC, where Unix time counts from.
constexpr uint64_t kUnixEpochFiletime = 11644473600ull * kFiletimeSecond;

// Unix time: seconds since 1970-01-01 UTC (LZH headers of levels 2 and 3,
// the native file system).
inline uint64_t filetime_from_unix(uint32_t seconds) {
  return kUnixEpochFiletime + seconds * kFiletimeSecond;
}
// Whole seconds since 1970; 0 for an earlier time, 0xFFFFFFFF past 2106.
uint32_t unix_from_filetime(uint64_t filetime);

struct CivilTime {
  int year, month, day, hour, minute, second;
};

// A calendar date and time read as UTC (an HTTP Last-Modified time) or as
// local time in this machine's time zone. False when it is no valid date and
// time (month 1-12, a day of that month, hour 0-23, minute and second 0-59)
// or lies before 1601 (local: before 1970).
bool filetime_from_utc(const CivilTime& utc, uint64_t* filetime);
bool filetime_from_local(const CivilTime& local, uint64_t* filetime);

// The fields of an MS-DOS date (high 16 bits: year since 1980, month, day)
// and time (low 16 bits: hour, minute, seconds / 2). The stamp has no time
// zone: in an LZH header of level 0 or 1 it is local time, as DOS and
// Windows archivers write it. False when the fields are no valid date and
// time; such a stamp gives a file no time at all.
bool civil_from_dos(uint32_t dos, CivilTime* time);

// A UTC time at the two-second resolution of an MS-DOS stamp, the way
// downloads are given the server's Last-Modified: odd seconds round down.
// False outside 1980-2107, the years such a stamp can hold.
bool filetime_at_dos_resolution(const CivilTime& utc, uint64_t* filetime);

}  // namespace plat

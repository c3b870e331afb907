#include "platform/file_time.h"

#include <ctime>

namespace plat {
namespace {

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : days[month - 1];
}

bool valid(const CivilTime& t) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= days_in_month(t.year, t.month) &&
         t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
         t.second <= 59;
}

}  // namespace

uint32_t unix_from_filetime(uint64_t filetime) {
  if (filetime < kUnixEpochFiletime) return 0;
  uint64_t seconds = (filetime - kUnixEpochFiletime) / kFiletimeSecond;
  return seconds > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

bool filetime_from_utc(const CivilTime& t, uint64_t* filetime) {
  if (!valid(t) || t.year < 1601) return false;
  int64_t y = t.year - 1601;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400 + t.day - 1;
  for (int m = 1; m < t.month; ++m) days += days_in_month(t.year, m);
  int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  *filetime = static_cast<uint64_t>(seconds) * kFiletimeSecond;
  return true;
}

bool filetime_from_local(const CivilTime& t, uint64_t* filetime) {
  if (!valid(t)) return false;
  std::tm local = {};
  local.tm_year = t.year - 1900;
  local.tm_mon = t.month - 1;
  local.tm_mday = t.day;
  local.tm_hour = t.hour;
  local.tm_min = t.minute;
  local.tm_sec = t.second;
  local.tm_isdst = -1;
  std::time_t made = std::mktime(&local);
  if (made < 0 || static_cast<uint64_t>(made) >> 32 != 0) return false;
  *filetime = filetime_from_unix(static_cast<uint32_t>(made));
  return true;
}

bool civil_from_dos(uint32_t dos, CivilTime* t) {
  *t = {1980 + static_cast<int>(dos >> 25), static_cast<int>(dos >> 21 & 15),
        static_cast<int>(dos >> 16 & 31),   static_cast<int>(dos >> 11 & 31),
        static_cast<int>(dos >> 5 & 63),    static_cast<int>(dos & 31) * 2};
  return valid(*t);
}

bool filetime_at_dos_resolution(const CivilTime& utc, uint64_t* filetime) {
  if (!valid(utc) || utc.year < 1980 || utc.year > 2107) return false;
  CivilTime even = utc;
  even.second -= even.second % 2;
  return filetime_from_utc(even, filetime);
}

}  // namespace plat

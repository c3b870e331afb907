#include "download/dos_time.h"

namespace download {
namespace {

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : days[month - 1];
}

// Days from 1601-01-01 to the given date.
int64_t days_since_1601(int year, int month, int day) {
  int64_t y = year - 1601;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += days_in_month(year, m);
  return days + day - 1;
}

}  // namespace

bool dos_date_time(const UtcTime& t, uint32_t* dos) {
  if (t.year < 1980 || t.year > 2107 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > days_in_month(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
      t.minute > 59 || t.second < 0 || t.second > 59)
    return false;
  uint32_t date = (uint32_t)(t.year - 1980) << 9 | (uint32_t)t.month << 5 | (uint32_t)t.day;
  uint32_t time = (uint32_t)t.hour << 11 | (uint32_t)t.minute << 5 | (uint32_t)(t.second / 2);
  *dos = date << 16 | time;
  return true;
}

uint64_t filetime_from_dos(uint32_t dos) {
  uint32_t date = dos >> 16, time = dos & 0xFFFF;
  int year = 1980 + (int)(date >> 9), month = (int)(date >> 5 & 15), day = (int)(date & 31);
  // Out-of-range fields cannot come from dos_date_time; clamp rather than
  // index past the month table.
  if (month < 1) month = 1;
  if (month > 12) month = 12;
  int64_t seconds = days_since_1601(year, month, day) * 86400 + (int64_t)(time >> 11) * 3600 +
                    (int64_t)(time >> 5 & 63) * 60 + (int64_t)(time & 31) * 2;
  return (uint64_t)seconds * 10000000u;
}

}  // namespace download

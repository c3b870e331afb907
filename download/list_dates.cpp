#include "download/list_dates.h"

#include <cstdio>
#include <cstring>

#include "catalogue/list_entry.h"

namespace download {

int days_in_month(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

int list_date(int year, int month, int day) { return year % 100 * 10000 + month * 100 + day; }

bool is_list_date(int value) {
  if (value < 0 || value > 991231) return false;
  int yy = value / 10000, mm = value / 100 % 100, dd = value % 100;
  return dd >= 1 && dd <= days_in_month(2000 + yy, mm);
}

int day_before(int value) {
  int dd = (value - 1) % 100, mm = (value - 1) / 100 % 100, yy = (value - 1) / 10000;
  if (dd == 0) {
    if (--mm == 0) {
      --yy;
      mm = 12;
    }
    dd = days_in_month(2000 + yy, mm);
  }
  return yy * 10000 + mm * 100 + dd;
}

std::string list_date_text(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", value);
  return text;
}

std::string list_file_name(const std::string& date) { return "pvnbhn_lst" + date + ".dat"; }

int leading_number(const char* text) {
  return catalogue::leading_number(text, text + std::strlen(text));
}

int walk_last_day(const char* lastdate, int today, std::string* stored, bool* rewritten) {
  int last = leading_number(lastdate);
  if (!lastdate[0] || !is_list_date(last)) last = leading_number(kFirstListDate);
  if (last > today) last = today;
  *stored = list_date_text(last);
  *rewritten = *stored != lastdate;
  return last;
}

}  // namespace download

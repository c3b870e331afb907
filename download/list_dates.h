// The dates of list files: yy × 10000 + mm × 100 + dd as an integer (the
// request value of a list download), "%06d" as text, "pvnbhn_lst%06d.dat"
// as a file name. yy is the year of 2000 + yy, so the integers of two dates
// compare as the dates do.
#pragma once

#include <string>

namespace download {

// The default last day of a walk that has none stored: 8 June 2005.
constexpr char kFirstListDate[] = "050608";

// Days of a month of the Gregorian calendar; 0 for a month outside 1-12.
int days_in_month(int year, int month);

int list_date(int year, int month, int day);  // year of four digits
bool is_list_date(int value);                 // a day of 2000-2099
// The day before: the last day of the previous month after a first, and
// 31 December of the year before after 1 January.
int day_before(int value);

std::string list_date_text(int value);                // "%06d"
std::string list_file_name(const std::string& date);  // "pvnbhn_lst" + date + ".dat"

// The number a stored text stands for: blanks, an optional sign, then the
// decimal digits up to the first other character; 0 without digits.
int leading_number(const char* text);

// The last day of a walk from `today` back to the stored LASTDATE text.
// A walk must reach the day whose "%06d" text is LASTDATE, so LASTDATE is
// put right where it would not be reached: missing, empty or no date gives
// kFirstListDate, a day after today gives today, and a text that is not
// exactly "%06d" of its number (blanks, a sign, a tail) is written as that.
// *rewritten is set when the stored text must change to `*stored`.
int walk_last_day(const char* lastdate, int today, std::string* stored, bool* rewritten);

}  // namespace download

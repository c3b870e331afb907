#pragma once

namespace plat {

struct LocalDate {
  int year;   // four digits
  int month;  // 1-12
  int day;    // 1-31
};

// Today's date in local time.
LocalDate today();

// Lets the calling thread wait, as for another program to let go of a file.
void sleep_milliseconds(unsigned ms);

}  // namespace plat

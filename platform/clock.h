#pragma once

namespace plat {

struct LocalDate {
  int year;   // four digits
  int month;  // 1-12
  int day;    // 1-31
};

// Today's date in local time.
LocalDate today();

}  // namespace plat

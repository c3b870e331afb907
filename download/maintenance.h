// The maintenance state file HDINI\bhnmente.dat, section "日付": LASTDATE,
// the last day of the next list walk; DATSUU, the number of list files
// received by the latest walk; TMPDATE01, TMPDATE02, ... their dates in
// arrival order, newest first. A missing file, section or key reads as
// empty; writing a key creates the file and the section.
#pragma once

#include <string>

namespace download {

class MaintenanceState {
 public:
  explicit MaintenanceState(const char* program_directory);

  std::string last_date() const;
  void set_last_date(const std::string& date) const;
  // DATSUU as a number: 0 when missing or no number.
  int list_count() const;
  void set_list_count(int count) const;
  // TMPDATE%02d of number n (from 1).
  std::string list_date(int n) const;
  void set_list_date(int n, const std::string& date) const;

 private:
  std::string read(const char* key) const;
  void write(const char* key, const std::string& value) const;
  std::string path_;
};

}  // namespace download

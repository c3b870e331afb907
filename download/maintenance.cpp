#include "download/maintenance.h"

#include <cstdio>

#include "download/list_dates.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "suite/data_path.h"

namespace download {
namespace {

const char kSection[] = "日付";
constexpr unsigned kValueSize = 80;

std::string date_key(int n) {
  char key[16];
  std::snprintf(key, sizeof key, "TMPDATE%02d", n);
  return key;
}

}  // namespace

MaintenanceState::MaintenanceState(const char* program_directory)
    : path_(suite::data_path(program_directory, suite::kSettingsFolder, "bhnmente.dat")) {}

std::string MaintenanceState::read(const char* key) const {
  char value[kValueSize];
  plat::profile_read(kSection, key, "", value, kValueSize, path_.c_str());
  return value;
}

// Written on a copy put in place whole: a death half way through the write
// must not cost LASTDATE, without which the next walk goes back to 2005.
// When the copy cannot be made, the file is written in place.
void MaintenanceState::write(const char* key, const std::string& value) const {
  const std::string fresh = path_ + ".new";
  if ((plat::copy_file(path_.c_str(), fresh.c_str(), false) || !plat::file_exists(path_.c_str())) &&
      plat::profile_write(kSection, key, value.c_str(), fresh.c_str()) &&
      plat::replace_file(fresh.c_str(), path_.c_str()))
    return;
  plat::delete_file(fresh.c_str());
  plat::profile_write(kSection, key, value.c_str(), path_.c_str());
}

std::string MaintenanceState::last_date() const { return read("LASTDATE"); }
void MaintenanceState::set_last_date(const std::string& date) const { write("LASTDATE", date); }

int MaintenanceState::list_count() const { return leading_number(read("DATSUU").c_str()); }
void MaintenanceState::set_list_count(int count) const { write("DATSUU", std::to_string(count)); }

std::string MaintenanceState::list_date(int n) const { return read(date_key(n).c_str()); }
void MaintenanceState::set_list_date(int n, const std::string& date) const {
  write(date_key(n).c_str(), date);
}

}  // namespace download

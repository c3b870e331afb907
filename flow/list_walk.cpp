// The list walk: one list-file request a day from today back to LASTDATE,
// the reports that record what arrived and end the walk on LASTDATE's day,
// and the list selection that follows it.
#include <cstdio>
#include <cstring>

#include "download/download.h"
#include "download/list_dates.h"
#include "download/maintenance.h"
#include "flow/run.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "suite/data_path.h"

namespace flow {
namespace {

const char kNoListFile[] = "部品リストがダウンロードされていません。";
const char kProgressFormat[] = "部品リストファイルをダウンロード中です。(%02d年%02d月%02d日ﾁｪｯｸ中)";
constexpr unsigned kTitleSize = 80;

std::string work_path(const Run* run, const std::string& name) {
  return suite::data_path(run->program_directory.c_str(), suite::kWorkFolder, name.c_str());
}

std::string list_file_path(const Run* run, const std::string& date) {
  return work_path(run, download::list_file_name(date));
}

void show_progress(Run* run, int32_t value) {
  char text[128];
  std::snprintf(text, sizeof text, kProgressFormat, value / 10000 % 100, value / 100 % 100,
                value % 100);
  run->view->show_status(text);
  run->view->show_progress(text);
  // Why the walk runs instead of the command line's file stays readable.
  if (!run->walk_notice.empty()) run->view->show_status(run->walk_notice.c_str());
}

// Forgets the walk's list requests still waiting for room in the worker.
void drop_waiting_list_requests(Run* run) {
  std::deque<WaitingRequest> kept;
  for (WaitingRequest& request : run->waiting)
    if (request.tag != DL_TAG_LIST) kept.push_back(std::move(request));
  run->waiting.swap(kept);
}

void end_list_walk(Run* run, WalkState how) {
  run->walk = how;
  drop_waiting_list_requests(run);
  run->view->set_enabled(true);
  run->view->close_progress();
  choose_list(run);
}

// The name a command-line list file must end in: "pvnbhn_lst%06d.dat", 20
// characters after a folder separator or alone. Letter case does not
// matter to Windows' file names.
bool is_list_file_name(const char* path, std::string* date) {
  size_t length = std::strlen(path);
  if (length < 20) return false;
  const char* name = path + length - 20;
  if (name > path && name[-1] != '\\' && name[-1] != '/' && name[-1] != ':') return false;
  static const char kPattern[] = "pvnbhn_lst######.dat";  // # a digit
  for (int i = 0; i < 20; ++i) {
    char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
    if (kPattern[i] == '#' ? c < '0' || c > '9' : c != kPattern[i]) return false;
  }
  *date = std::string(name + 10, 6);
  return true;
}

}  // namespace

void start_list_walk(Run* run) {
  download::MaintenanceState state(run->program_directory.c_str());
  plat::LocalDate today = plat::today();
  const int first = download::list_date(today.year, today.month, today.day);
  bool rewritten = false;
  const int last =
      download::walk_last_day(state.last_date().c_str(), first, &run->walk_last_day, &rewritten);
  if (rewritten) state.set_last_date(run->walk_last_day);
  run->walk = WalkState::Running;
  for (int day = first;; day = download::day_before(day)) {
    std::string name = download::list_file_name(download::list_date_text(day));
    send_request(run, "/K-VAL/" + name, work_path(run, name), DL_TAG_LIST, day);
    if (day <= last) break;
  }
}

void on_list_report(Run* run, bool done, int32_t value, bool unreachable) {
  if (run->walk != WalkState::Running) {
    // A day that arrives after the walk was cut short is never shown, and
    // its file would outlive the run.
    if (done) plat::delete_file(list_file_path(run, download::list_date_text(value)).c_str());
    return;
  }
  show_progress(run, value);
  const std::string date = download::list_date_text(value);
  if (done) {
    download::MaintenanceState state(run->program_directory.c_str());
    ++run->downloaded_list_count;
    state.set_list_count(run->downloaded_list_count);
    state.set_list_date(run->downloaded_list_count, date);
  }
  if (date == run->walk_last_day) {
    end_list_walk(run, WalkState::Complete);
  } else if (unreachable) {
    // The server cannot be reached: every day left would wait out a
    // time-out. The walk ends with what it has.
    end_list_walk(run, WalkState::Cut);
  }
}

void stop_list_walk(Run* run) {
  if (run->walk == WalkState::Running) end_list_walk(run, WalkState::Cut);
}

bool adopt_command_line_list(Run* run) {
  std::string date;
  if (!is_list_file_name(run->current_list_file, &date)) return false;
  std::string name = download::list_file_name(date);
  plat::copy_file(run->current_list_file, work_path(run, name).c_str(), false);
  run->downloaded_list_count = 1;
  download::MaintenanceState state(run->program_directory.c_str());
  state.set_list_count(1);
  state.set_list_date(1, date);
  choose_list(run);
  return true;
}

void choose_list(Run* run) {
  if (run->view->run_list_selection())
    adopt_list_file(run, run->current_list_file);
  else
    run->view->show_status(kNoListFile);
}

bool list_selection_lines(Run* run, std::vector<std::string>* titles, int* selected) {
  titles->clear();
  *selected = -1;
  download::MaintenanceState state(run->program_directory.c_str());
  const int count = state.list_count();
  if (count <= 0) return false;
  if (run->walk != WalkState::Cut) state.set_last_date(state.list_date(count));
  for (int n = 1; n <= count; ++n) {
    std::string path = list_file_path(run, state.list_date(n));
    char title[kTitleSize];
    plat::profile_read("INFO", "TITLE", "", title, kTitleSize, path.c_str());
    titles->push_back(title);
    if (*selected < 0 && path == run->current_list_file) *selected = n - 1;
  }
  if (*selected < 0) *selected = 0;
  return true;
}

void choose_listed_file(Run* run, int line) {
  download::MaintenanceState state(run->program_directory.c_str());
  std::string path = list_file_path(run, state.list_date(line + 1));
  if (path.size() >= sizeof run->current_list_file) return;
  std::strcpy(run->current_list_file, path.c_str());
  request_list_previews(run, run->current_list_file);
}

void delete_walk_list_files(Run* run) {
  download::MaintenanceState state(run->program_directory.c_str());
  const int count = state.list_count();
  for (int n = 1; n <= count; ++n)
    plat::delete_file(list_file_path(run, state.list_date(n)).c_str());
}

}  // namespace flow

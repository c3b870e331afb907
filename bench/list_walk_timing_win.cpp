// The program's first run against the stand-in server, timed from outside:
// the list walk from today back to 8 June 2005 until "SELST" shows, and,
// after the newest list is chosen, its 2,000 preview downloads until the
// last VIEW file is in HDTMP\. Beside it, in the same run, a bare
// sequential WinINet loop over the same URLs: the floor under Wine. The
// program's working set is read when its main dialog first shows and when
// SELST opens. Prints "key value" lines for bench/list_walk.sh.
//
//   list_walk_timing PARTS_FIRST PARTS_COUNT
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bare_loop_win.h"
#include "download/list_dates.h"
#include "download/maker_host.h"
#include "download/worker.h"
#include "platform/clock.h"
#include "resources/resource.h"
#include "tools/gui_driver/gui_driver_win.h"

namespace {

std::vector<std::string> walk_urls() {
  plat::LocalDate t = plat::today();
  std::vector<std::string> urls;
  for (int day = download::list_date(t.year, t.month, t.day);; day = download::day_before(day)) {
    urls.push_back(std::string(PARTSDL_BASE_URL "/K-VAL/") +
                   download::list_file_name(download::list_date_text(day)));
    if (day == 50608) return urls;
  }
}

SIZE_T working_set_kb(const gui::Program& program) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(program.process.hProcess, &counters, sizeof counters);
  return counters.WorkingSetSize / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const int first = std::atoi(argv[1]), count = std::atoi(argv[2]);
  std::vector<std::string> walk = walk_urls(), parts = bench::part_urls(first, count);
  std::printf("walk_days %d\n", (int)walk.size());
  gui::Folder folder("walk_bench");
  std::printf("walk_loop_ms %lu\n", (unsigned long)bench::bare_loop(walk, folder.file("LOOP\\")));

  DeleteFileA(folder.file("HDINI\\bhnmente.dat").c_str());
  gui::Program program;
  DWORD start = GetTickCount();
  if (!gui::start(&program, folder.path)) return 1;
  SIZE_T before = 0;
  HWND selection = nullptr;
  gui::wait_until(600000, [&] {
    if (!before && gui::wait_windows(&program, 0, false)) before = working_set_kb(program);
    return (selection = bench::window_titled(program, "ダウンロードリスト")) != nullptr;
  });
  if (!selection) return 1;
  std::printf("walk_program_ms %lu\n", (unsigned long)(GetTickCount() - start));
  std::printf("working_set_before_kb %lu\nworking_set_at_selection_kb %lu\n", (unsigned long)before,
              (unsigned long)working_set_kb(program));

  char last[32];
  std::snprintf(last, sizeof last, "HDTMP\\VIEW%07d.DAT", first + count - 1);
  start = GetTickCount();
  gui::post_click(selection, IDOK);
  gui::wait_until(600000, [&] { return gui::file_exists(folder.file(last)); });
  std::printf("previews_program_ms %lu\n", (unsigned long)(GetTickCount() - start));
  std::printf("previews_loop_ms %lu\n",
              (unsigned long)bench::bare_loop(parts, folder.file("LOOP\\")));
  if (gui::wait_windows(&program)) gui::post_click(program.dialog, IDCANCEL);
  DWORD code;
  gui::wait_exit(&program, &code);
  return 0;
}

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
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

std::vector<std::string> part_urls(int first, int count) {
  std::vector<std::string> urls;
  char path[96];
  for (int part = first; part < first + count; ++part) {
    std::snprintf(path, sizeof path, "/k-val/HDPARTS/PARTS%03d/P%07d.BHN", (part - 1001) / 2000,
                  part);
    urls.push_back(PARTSDL_BASE_URL + std::string(path));
  }
  return urls;
}

// One GET after another over one root handle; each answer of status 200 is
// written to a file of `folder`, as the program stores what it receives.
DWORD bare_loop(const std::vector<std::string>& urls, const std::string& folder) {
  HINTERNET root = InternetOpenA("TarvelBhBhB", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  static char buffer[65536];
  CreateDirectoryA(folder.c_str(), nullptr);
  DWORD start = GetTickCount();
  for (const std::string& url : urls) {
    HINTERNET request = InternetOpenUrlA(root, url.c_str(), "Accept: */*\r\n\r\n", (DWORD)-1,
                                         INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    DWORD status = 0, size = sizeof status, got, put;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (request &&
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                       nullptr) &&
        status == 200)
      file = CreateFileA((folder + url.substr(url.rfind('/') + 1)).c_str(), GENERIC_WRITE, 0,
                         nullptr, CREATE_ALWAYS, 0, nullptr);
    while (request && InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0)
      if (file != INVALID_HANDLE_VALUE) WriteFile(file, buffer, got, &put, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (request) InternetCloseHandle(request);
  }
  DWORD spent = GetTickCount() - start;
  InternetCloseHandle(root);
  return spent;
}

SIZE_T working_set_kb(const gui::Program& program) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(program.process.hProcess, &counters, sizeof counters);
  return counters.WorkingSetSize / 1024;
}

HWND window_titled(const gui::Program& program, const char* title) {
  for (HWND window : gui::process_windows(program.pid(), "#32770"))
    if (gui::text(window) == title && IsWindowVisible(window)) return window;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const int first = std::atoi(argv[1]), count = std::atoi(argv[2]);
  std::vector<std::string> walk = walk_urls(), parts = part_urls(first, count);
  std::printf("walk_days %d\n", (int)walk.size());
  gui::Folder folder("walk_bench");
  std::printf("walk_loop_ms %lu\n", (unsigned long)bare_loop(walk, folder.file("LOOP\\")));

  DeleteFileA(folder.file("HDINI\\bhnmente.dat").c_str());
  gui::Program program;
  DWORD start = GetTickCount();
  if (!gui::start(&program, folder.path)) return 1;
  SIZE_T before = 0;
  HWND selection = nullptr;
  gui::wait_until(600000, [&] {
    if (!before && gui::wait_windows(&program, 0, false)) before = working_set_kb(program);
    return (selection = window_titled(program, "ダウンロードリスト")) != nullptr;
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
  std::printf("previews_loop_ms %lu\n", (unsigned long)bare_loop(parts, folder.file("LOOP\\")));
  if (gui::wait_windows(&program)) gui::post_click(program.dialog, IDCANCEL);
  DWORD code;
  gui::wait_exit(&program, &code);
  return 0;
}

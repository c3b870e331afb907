// The program's Add of a maker's 2,000 parts against the stand-in server,
// timed from outside: from 追加 until the last part's new data is in the
// store (the parts archive, DLUPDATE's すべて上書き and the "追加" message box
// on the way), then 中止 until the program has ended, every part file
// brought back. Beside it, in the same run, a bare sequential WinINet loop
// fetching the same files: the floor under Wine. The program's peak
// working set is read before 中止. Prints "key value" lines for
// bench/add_parts.sh.
//
//   add_parts_timing PROGRAM_FOLDER LIST_FILE FIRST COUNT NEW_SIZE
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bare_loop_win.h"
#include "download/worker.h"
#include "resources/resource.h"
#include "tools/gui_driver/gui_driver_win.h"

namespace {

// The program's processor time so far, in 100 ns units.
ULONGLONG cpu_time(const gui::Program& program) {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(program.process.hProcess, &created, &ended, &kernel, &user);
  return (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
         (static_cast<ULONGLONG>(user.dwHighDateTime) << 32 | user.dwLowDateTime);
}

// Waits until the program has used no processor time for half a second:
// the reports of its earlier downloads are handled.
void wait_idle(const gui::Program& program) {
  ULONGLONG before = cpu_time(program);
  for (int idle = 0; idle < 10; before = cpu_time(program)) {
    gui::pause_ms(50);
    idle = cpu_time(program) == before ? idle + 1 : 0;
  }
}

LONGLONG file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) return 2;
  const std::string folder = argv[1], list_file = argv[2];
  const int first = std::atoi(argv[3]), count = std::atoi(argv[4]);
  const LONGLONG new_size = std::atoll(argv[5]);
  // The program fetches the parts archive first.
  std::vector<std::string> urls = {PARTSDL_BASE_URL "/K-VAL/HDPARTS/TRBHN.LZH"};
  for (const std::string& url : bench::part_urls(first, count)) urls.push_back(url);
  std::printf("add_loop_ms %lu\n", (unsigned long)bench::bare_loop(urls, folder + "LOOP\\"));
  // The same loop into a folder that already holds as many files as
  // HDTMP\ holds preview copies when the Add runs: under Wine, making a
  // new name costs a look through the folder.
  const std::string full = folder + "LOOPFULL\\";
  CreateDirectoryA(full.c_str(), nullptr);
  for (int n = 0; n < count; ++n) {
    HANDLE file = CreateFileA((full + "VIEW" + std::to_string(n) + ".DAT").c_str(), GENERIC_WRITE,
                              0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  std::printf("add_loop_full_folder_ms %lu\n", (unsigned long)bench::bare_loop(urls, full));

  gui::Program program;
  if (!gui::start(&program, folder, list_file)) return 1;
  HWND selection = nullptr;
  gui::wait_until(
      60000, [&] { return (selection = bench::window_titled(program, "ダウンロードリスト")); });
  if (!selection) return 1;
  DWORD start = GetTickCount();
  gui::post_click(selection, IDOK);
  // The list's previews come first; the Add is timed on a quiet worker.
  char name[64];
  std::snprintf(name, sizeof name, "HDTMP\\VIEW%07d.DAT", first + count - 1);
  if (!gui::wait_windows(&program) ||
      !gui::wait_until(600000, [&] { return gui::file_exists(folder + name); }))
    return 1;
  wait_idle(program);
  std::printf("previews_ms %lu\n", (unsigned long)(GetTickCount() - start));

  std::snprintf(name, sizeof name, "HDPARTS\\PARTS%03d\\P%07d.BHN",
                (first + count - 1 - 1001) / 2000, first + count - 1);
  const std::string last = folder + name;
  start = GetTickCount();
  gui::post_click(program.dialog, IDC_ADD);
  bool asked = false, told = false;
  bool done = gui::wait_until(600000, [&] {
    HWND box;
    if (!asked && (box = bench::window_titled(program, "部品ダウンロード")) &&
        GetDlgItem(box, IDC_OVERWRITE_ALL)) {
      gui::post_click(box, IDC_OVERWRITE_ALL);
      asked = true;
    }
    if (!told && (box = bench::window_titled(program, "追加"))) {
      std::printf("add_message_ms %lu\n", (unsigned long)(GetTickCount() - start));
      gui::answer_ok(box);
      told = true;
    }
    return told && file_size(last) == new_size;
  });
  std::printf("add_program_ms %lu\n", (unsigned long)(GetTickCount() - start));
  if (!done) return 1;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(program.process.hProcess, &counters, sizeof counters);
  std::printf("peak_working_set_kb %lu\n", (unsigned long)(counters.PeakWorkingSetSize / 1024));

  start = GetTickCount();
  gui::post_click(program.dialog, IDCANCEL);
  DWORD code;
  if (!gui::wait_exit(&program, &code, 600000)) return 1;
  std::printf("cancel_ms %lu\n", (unsigned long)(GetTickCount() - start));
  return 0;
}

// fill part lists under Wine through the platform's keyed reader, into two
// real list boxes of a hidden window, for sections of 500 to 2000 entries.
// Prints the mean time of one fill per size.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_list_file.h"
#include "catalogue/list_file.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "resources/resource.h"
#include "ui/list_box_win.h"

// What the main dialog does when a maker is chosen: read the maker's rows,
// fill the added and deleted lists.
static void fill_part_lists(HWND dialog, const char* list_file, const char* maker) {
  catalogue::PartRows rows;
  catalogue::read_part_rows(list_file, maker, false, &rows);
  ui::fill_list_box(GetDlgItem(dialog, IDC_ADDED_PARTS), rows.added);
  ui::fill_list_box(GetDlgItem(dialog, IDC_DELETED_PARTS), rows.deleted);
}

namespace {

std::string list_file(const std::string& folder, int entries) {
  return write_bench_list_file(folder + "fill_part_lists_bench_" + std::to_string(entries) + ".dat",
                               entries);
}

// What the fill would cost asking the platform's reader for each value,
// for comparison: every entry's key of MAKER-B read one by one.
void read_each_value(const std::string& path, int entries) {
  char key[32], value[400];
  for (int i = 0; i < entries; ++i) {
    std::snprintf(key, sizeof key, "%d,%d", 1001 + i, i % 3 ? 0 : 1);
    plat::profile_read("MAKER-B", key, "", value, sizeof value, path.c_str());
  }
}

double now_ms() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  const DWORD list_style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_SORT | LBS_NOSEL;
  for (int id : {IDC_ADDED_PARTS, IDC_DELETED_PARTS})
    CreateWindowExA(0, "LISTBOX", "", list_style, 0, 0, 200, 200, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);

  const int sizes[] = {500, 1000, 2000};
  std::string paths[3];
  for (int i = 0; i < 3; ++i) paths[i] = list_file(temp, sizes[i]);
  // The platform re-reads a file written in the last two seconds on every
  // call; a downloaded list file is older than that when it is shown.
  Sleep(2500);
  for (int i = 0; i < 3; ++i) {
    const int entries = sizes[i];
    const std::string& path = paths[i];
    const int rounds = 5;
    fill_part_lists(parent, path.c_str(), "MAKER-B");  // warm-up
    double start = now_ms();
    for (int i = 0; i < rounds; ++i) fill_part_lists(parent, path.c_str(), "MAKER-B");
    double mean = (now_ms() - start) / rounds;
    LRESULT rows = SendDlgItemMessageA(parent, IDC_ADDED_PARTS, LB_GETCOUNT, 0, 0) +
                   SendDlgItemMessageA(parent, IDC_DELETED_PARTS, LB_GETCOUNT, 0, 0);
    std::printf("fill_part_lists/%d entries: %.2f ms per fill (%ld rows)\n", entries, mean,
                static_cast<long>(rows));
    start = now_ms();
    read_each_value(path, entries);
    std::printf("  for comparison, the reader asked for each value: %.2f ms\n", now_ms() - start);
    plat::delete_file(path.c_str());
  }
  DestroyWindow(parent);
  return 0;
}

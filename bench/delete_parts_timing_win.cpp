// 削除 of one maker's 2,000 deleted parts registered across the 3DCAD
// destination, under Wine with real list boxes: the run as the program does
// it, against the same run refilling the major item and classification item
// lists from the file and replacing a row of the figure list for every
// cleared entry. Both end with the same file and the same lists. Prints
// the time of each and their ratio.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/list_file.h"
#include "flow/run.h"
#include "platform/byte_fields.h"
#include "platform/files.h"
#include "resources/resource.h"
#include "store/classification.h"
#include "ui/list_box_win.h"

namespace {

constexpr int kFirstPart = 10001, kParts = 2000;
constexpr int kPlaces = store::kMajorItems * store::kClassItems * store::kFigureSlots;

double now_ms() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The category lists as real list boxes of a hidden window.
struct ListView : flow::View {
  HWND window;
  HWND list(int level) { return GetDlgItem(window, IDC_MAJOR_ITEMS + level - 1); }
  void show_category_list(int level, const std::vector<std::string>* rows, int selected) override {
    if (rows) ui::fill_list_box(list(level), *rows);
    SendMessageA(list(level), LB_SETCURSEL, selected, 0);
  }
  void clear_category_lists() override {
    for (int level = 1; level <= 3; ++level) SendMessageA(list(level), LB_RESETCONTENT, 0, 0);
  }
  void show_figure_row(int row, const std::string& name) override {
    SendMessageA(list(3), LB_DELETESTRING, row, 0);
    SendMessageA(list(3), LB_INSERTSTRING, row, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(list(3), LB_SETCURSEL, row, 0);
  }
  void show_caption(const std::string&) override {}
  void show_status(const char*) override {}
  void show_makers(const std::vector<std::string>&) override {}
  void show_part_lists(const std::vector<std::string>&, const std::vector<std::string>&) override {}
  void tell(const char*, const char*) override {}
  void set_enabled(bool) override {}
  void open_progress() override {}
  void close_progress() override {}
  void show_progress(const char*) override {}
  int run_list_selection() override { return 0; }
  int confirm_overwrite(const char*, int) override { return -1; }
  void show_wait_cursor(bool) override {}
};

struct NoDownloads : flow::Downloader {
  Handed request(const char*, const char*, int32_t, int32_t) override { return kQueued; }
  void forget_recent(const char*) override {}
};

// The 3DCAD file with the maker's parts on every twelfth place.
std::string classification_file() {
  std::string bytes(store::kClassFileSize, '\0');
  bytes.replace(0, 11, "PVN-VTZ-V02");
  for (int m = 0; m < store::kMajorItems; ++m)
    bytes.replace(store::major_item_offset(m) + 4, 5, "major");
  for (int k = 0; k < kParts; ++k) {
    uint8_t* entry = reinterpret_cast<uint8_t*>(&bytes[store::kFigureOffset + 32 * (k * 12)]);
    plat::put_u16(entry + 2, static_cast<uint16_t>(kFirstPart + k));
    std::snprintf(reinterpret_cast<char*>(entry + 8), 24, "F%d", kFirstPart + k);
  }
  return bytes;
}

std::vector<std::string> rows_of(HWND list) {
  std::vector<std::string> rows;
  char row[64];
  for (LRESULT n = 0, count = SendMessageA(list, LB_GETCOUNT, 0, 0); n < count; ++n) {
    SendMessageA(list, LB_GETTEXT, n, reinterpret_cast<LPARAM>(row));
    rows.push_back(row);
  }
  return rows;
}

// The run with its lists refilled for every cleared entry: the major item
// and classification item lists from the file, the row of the figure list.
void delete_with_refills(flow::Run* run, ListView* view) {
  std::string path = store::classification_file_path(run->program_directory.c_str(), 0);
  std::string file;
  plat::read_file(path.c_str(), &file);
  std::vector<catalogue::ListEntry> entries;
  catalogue::read_maker_entries(run->current_list_file, run->maker_name, &entries);
  for (const catalogue::ListEntry& entry : entries) {
    if (entry.part_number == 0 || entry.flag == 0) continue;
    for (int place = 0; place < kPlaces; ++place) {
      uint8_t* at = reinterpret_cast<uint8_t*>(&file[store::kFigureOffset + 32 * place]);
      if (plat::get_u16(at + 2) != entry.part_number) continue;
      std::memset(at, 0, 32);
      int f = place % 50, c = place / 50 % 40, m = place / 2000;
      std::vector<std::string> rows;
      store::read_category_rows(run->program_directory.c_str(), 0, 1, 0, 0, &rows);
      view->show_category_list(1, &rows, m);
      store::read_category_rows(run->program_directory.c_str(), 0, 2, m, 0, &rows);
      view->show_category_list(2, &rows, c);
      view->show_figure_row(f, " ");
      run->major_item = m, run->class_item = c, run->figure_entry = f;
    }
  }
  plat::replace_whole_file(path.c_str(), file.data(), file.size());
  flow::refill_category_lists(run);
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string dir = std::string(temp) + "delete_bench\\";
  for (const char* sub : {"", "HDINI", "HDTMP", "HDPARTS"})
    plat::create_directory((dir + sub).c_str());
  std::string list = "[INFO]\r\nTITLE=bench\r\n[M]\r\n";
  for (int part = kFirstPart; part < kFirstPart + kParts; ++part)
    list += std::to_string(part) + ",1=F" + std::to_string(part) + "\r\n";
  const std::string list_path = dir + "HDTMP\\pvnbhn_lst240501.dat";
  plat::write_file(list_path.c_str(), list.data(), list.size());
  const std::string figures = classification_file();
  const std::string path = dir + "HDINI\\VGZLST0.INI";

  ListView view;
  view.window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  for (int id = IDC_MAJOR_ITEMS; id <= IDC_FIGURES; ++id)
    CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER, 0, 0, 120,
                    300, view.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                    nullptr);
  NoDownloads downloads;
  flow::Run run;
  flow::open_run(&run, &view, &downloads, dir.c_str(), "");
  flow::adopt_list_file(&run, list_path.c_str());

  double spent[2];
  std::string files[2];
  std::vector<std::string> shown[2];
  for (int way = 0; way < 2; ++way) {
    plat::write_file(path.c_str(), figures.data(), figures.size());
    run.major_item = run.class_item = run.figure_entry = 0;
    double start = now_ms();
    if (way == 0)
      flow::delete_parts(&run);
    else
      delete_with_refills(&run, &view);
    spent[way] = now_ms() - start;
    plat::read_file(path.c_str(), &files[way]);
    for (int level = 1; level <= 3; ++level) {
      std::vector<std::string> rows = rows_of(view.list(level));
      shown[way].insert(shown[way].end(), rows.begin(), rows.end());
      shown[way].push_back(std::to_string(SendMessageA(view.list(level), LB_GETCURSEL, 0, 0)));
    }
  }
  std::printf(
      "delete of %d parts: ours %.1f ms, with refills per cleared entry %.1f ms (%.0f times)\n",
      kParts, spent[0], spent[1], spent[1] / spent[0]);
  bool same = files[0] == files[1] && shown[0] == shown[1];
  std::printf("same file and lists: %s\n", same ? "yes" : "NO");
  flow::close_run(&run);
  DestroyWindow(view.window);
  return same ? 0 : 1;
}

#include "catalogue/list_display.h"

#include <string>
#include <vector>

#include "app/app_state.h"
#include "catalogue/list_file.h"
#include "resources/resource.h"
#include "ui/list_box.h"

namespace catalogue {
namespace {

const char kStatusChooseDestination[] =
    "ダウンロード先の分類項目を指定して部品の追加、削除をして下さい。";

// A maker is looked up by at most this many bytes of its row.
constexpr size_t kMakerRowMax = 79;

std::string row_text(HWND list, int row) {
  if (row < 0) return std::string();
  LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
  if (length == LB_ERR) return std::string();
  std::vector<char> text(length + 1);
  SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  std::string cut(text.data());
  if (cut.size() > kMakerRowMax) cut.resize(kMakerRowMax);
  return cut;
}

}  // namespace

void read_maker_list(HWND dialog, const char* list_file) {
  std::vector<std::string> makers;
  read_maker_names(list_file, &makers);
  ui::fill_list_box(GetDlgItem(dialog, IDC_MAKERS), makers);
}

void fill_part_lists(HWND dialog, const char* list_file, const char* maker, bool with_numbers) {
  PartRows rows;
  read_part_rows(list_file, maker, with_numbers, &rows);
  ui::fill_list_box(GetDlgItem(dialog, IDC_ADDED_PARTS), rows.added);
  ui::fill_list_box(GetDlgItem(dialog, IDC_DELETED_PARTS), rows.deleted);
}

std::string maker_row(HWND dialog, int row) { return row_text(GetDlgItem(dialog, IDC_MAKERS), row); }

void show_selected_maker(HWND dialog) {
  HWND makers = GetDlgItem(dialog, IDC_MAKERS);
  int row = static_cast<int>(SendMessageA(makers, LB_GETCURSEL, 0, 0));
  fill_part_lists(dialog, app::g_current_list_file, row_text(makers, row).c_str(), false);
}

void refresh_list_display(HWND dialog) {
  const char* list_file = app::g_current_list_file;
  SetWindowTextA(dialog, list_caption(list_file).c_str());
  read_maker_list(dialog, list_file);
  HWND makers = GetDlgItem(dialog, IDC_MAKERS);
  fill_part_lists(dialog, list_file, row_text(makers, 0).c_str(), false);
  SendMessageA(makers, LB_SETCURSEL, 0, 0);
  SetDlgItemTextA(dialog, IDC_STATUS, kStatusChooseDestination);
}

}  // namespace catalogue

#include "ui/category_lists.h"

#include <string>
#include <vector>

#include "app/app_state.h"
#include "resources/resource.h"
#include "store/classification.h"
#include "ui/list_box.h"

namespace ui {

void fill_category_list(HWND dialog, int destination_code, int level, int a, int b, int c) {
  if (level < 1 || level > 3) return;
  const int list_id = IDC_MAJOR_ITEMS + level - 1;
  const int selected = level == 1 ? a : level == 2 ? b : c;

  std::vector<std::string> rows;
  if (store::read_category_rows(app::program_directory(), destination_code, level, a, b,
                                &rows) == 1) {
    fill_list_box(GetDlgItem(dialog, list_id), rows);
  }
  SendDlgItemMessageA(dialog, list_id, LB_SETCURSEL, selected, 0);
}

}  // namespace ui

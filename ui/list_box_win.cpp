#include "ui/list_box_win.h"

namespace ui {

void fill_list_box(HWND list, const std::vector<std::string>& rows) {
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (size_t i = 0; i < rows.size(); ++i)
    SendMessageA(list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(rows[i].c_str()));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

}  // namespace ui

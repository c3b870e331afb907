// What the main dialog shows besides its lists: the arrow picture and the
// status line.
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

TEST(arrow_picture) {
  Folder folder("arrow");
  Program program;
  if (!open_dialog(&program, folder)) return;
  HWND control = GetDlgItem(program.dialog, IDC_ARROW_PICTURE);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), black = RGB(0, 0, 0);
  COLORREF shaft = 0, head = 0, corner = 0;
  int white = -1;
  // The 25 x 30 bitmap is drawn unscaled from the top left corner: the shaft
  // is the upper half around column 12, the head the lower half. Its white
  // shows as button face, also in the corners of the control.
  auto drawn = [&] {
    Pixels p = capture(client_on_screen(control));
    if (p.width < 13 || p.height < 21) return false;
    white = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) white += p.at(x, y) == RGB(255, 255, 255);
    int right = p.width - 1, bottom = p.height - 1;
    shaft = p.at(12, 7), head = p.at(12, 20), corner = p.at(0, 0);
    return shaft == black && head == black && white == 0 && corner == face &&
           p.at(right, 0) == face && p.at(0, bottom) == face && p.at(right, bottom) == face;
  };
  bring_to_front_and_paint(program.dialog);
  if (!ok(wait_until(3000, drawn), "shaft %06lx, head %06lx, corner %06lx, %d white pixels, "
          "button face %06lx\n", shaft, head, corner, white, face))
    screenshot("arrow_picture.bmp");
  close_with(&program, IDCANCEL);
}

TEST(status_line_text) {
  Folder folder("status");
  Program program;
  if (!open_dialog(&program, folder)) return;
  std::string status = item_text(program.dialog, IDC_STATUS);
  ok(status == "部品リストファイルをダウンロード中です。", "status line reads %s\n",
     readable(status).c_str());
  close_with(&program, IDCANCEL);
}

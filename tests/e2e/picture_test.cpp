// What the main dialog shows on screen besides its lists: the arrow picture
// and the status line.
#include "tests/e2e/driver.h"
#include "tests/support/ok.h"

using namespace e2e;

namespace {

struct ArrowLook {
  COLORREF shaft, head, corners[4];
  int white;  // pixels of pure white in the control
};

ArrowLook look_at(HWND control) {
  RECT area = client_on_screen(control);
  Pixels pixels = capture(area);
  ArrowLook look = {};
  if (pixels.width == 0) return look;
  int w = pixels.width, h = pixels.height;
  // The 25 x 30 bitmap is drawn unscaled from the top left corner: its shaft
  // is the upper half around column 12, its head the lower half.
  look.shaft = screen_pixel(area.left + 12, area.top + 7);
  look.head = pixels.at(12, 20 < h ? 20 : h - 1);
  look.corners[0] = pixels.at(0, 0);
  look.corners[1] = pixels.at(w - 1, 0);
  look.corners[2] = pixels.at(0, h - 1);
  look.corners[3] = pixels.at(w - 1, h - 1);
  for (COLORREF colour : pixels.colour)
    if (colour == RGB(255, 255, 255)) ++look.white;
  return look;
}

bool looks_right(const ArrowLook& look, COLORREF face) {
  if (look.shaft != RGB(0, 0, 0) || look.head != RGB(0, 0, 0) || look.white) return false;
  for (COLORREF corner : look.corners)
    if (corner != face) return false;
  return true;
}

}  // namespace

TEST(arrow_picture) {
  Folder folder("arrow");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;
  HWND control = item(program.dialog, 1001);
  if (!ok(control != nullptr, "no control 1001\n")) return;

  COLORREF face = GetSysColor(COLOR_BTNFACE);
  ArrowLook look = {};
  bring_to_front_and_paint(program.dialog);
  bool right = poll(3000, [&] {
    look = look_at(control);
    return looks_right(look, face);
  });
  ok(look.shaft == RGB(0, 0, 0), "shaft is %06lx\n", look.shaft);
  ok(look.head == RGB(0, 0, 0), "head is %06lx\n", look.head);
  for (COLORREF corner : look.corners)
    ok(corner == face, "corner is %06lx, button face %06lx\n", corner, face);
  ok(look.white == 0, "%d white pixels\n", look.white);
  if (!right) screenshot("arrow_picture.bmp");

  click(program.dialog, IDCANCEL);
  DWORD code = 99;
  ok(wait_exit(&program, kWaitMs, &code) && code == 0, "cancel did not end the program with 0\n");
}

TEST(status_line_text) {
  Folder folder("status");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;

  std::string status = item_text(program.dialog, 209);
  ok(status == "部品リストファイルをダウンロード中です。", "status line reads %s\n", readable(status).c_str());

  click(program.dialog, IDCANCEL);
  DWORD code = 99;
  ok(wait_exit(&program, kWaitMs, &code) && code == 0, "cancel did not end the program with 0\n");
}

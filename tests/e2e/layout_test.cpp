// The main dialog as the program shows it: no system menu, a client edge,
// centred in the work area, its title, テキスト読込 hidden beside リスト選択,
// and the Japanese texts of its template readable as code page 932. The
// controls themselves come from the template unchanged (the program moves
// and restyles none of them).
#include <cstdlib>

#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

TEST(main_dialog_layout) {
  Folder folder("layout");
  Program program;
  if (!open_dialog(&program, folder)) return;
  DWORD style = GetWindowLongW(program.dialog, GWL_STYLE);
  bool edge = GetWindowLongW(program.dialog, GWL_EXSTYLE) & WS_EX_CLIENTEDGE;
  ok((style & (WS_CAPTION | WS_SYSMENU)) == WS_CAPTION && edge,
     "dialog style %08lx, client edge %d\n", style, edge);
  RECT work = {}, window = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(program.dialog, &window);
  long dx = window.left + window.right - work.left - work.right;
  long dy = window.top + window.bottom - work.top - work.bottom;
  ok(labs(dx) <= 2 && (labs(dy) <= 2 || window.bottom - window.top >= work.bottom - work.top),
     "off centre by %ld/2, %ld/2\n", dx, dy);

  ok(text(program.dialog) == "部品テーブルダウンロード", "title %s\n",
     readable(text(program.dialog)).c_str());
  // Kanji and half-width katakana of the template read as code page 932.
  ok(item_text(program.dialog, IDC_DEST_ROOF) == "屋根図" &&
         item_text(program.dialog, IDC_PREVIEW) == "ﾌﾟﾚﾋﾞｭｰ",
     "labels read %s, %s\n", readable(item_text(program.dialog, IDC_DEST_ROOF)).c_str(),
     readable(item_text(program.dialog, IDC_PREVIEW)).c_str());
  ok(!IsWindowVisible(GetDlgItem(program.dialog, IDC_TEXT_IMPORT)) &&
         IsWindowVisible(GetDlgItem(program.dialog, IDC_LIST_SELECT)),
     "907 shown or 904 hidden\n");
  close_with(&program, IDCANCEL);
}

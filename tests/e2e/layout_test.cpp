// The main dialog as the program shows it, against its resource template:
// a hidden dialog made from the template in this process gives the controls
// in tab order with their ids, classes, styles, texts and places (the same
// font gives the same dialog units; MapDialogRect cannot reach into another
// process's dialog under Wine). Besides, what the program itself does to
// the dialog: no system menu, centred, テキスト読込 hidden, and the Japanese
// texts readable as code page 932.
#include <cstdlib>

#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

namespace {

INT_PTR CALLBACK inert_dialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

RECT place(HWND dialog, HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

TEST(main_dialog_layout) {
  Folder folder("layout");
  Program program;
  if (!open_dialog(&program, folder)) return;
  HMODULE exe =
      LoadLibraryExA(folder.file("partsdl.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HWND stored = CreateDialogParamA(exe, "ZKLST", nullptr, inert_dialog, 0);
  if (!ok(stored != nullptr, "no dialog from template ZKLST\n")) return;

  HWND shown = GetWindow(program.dialog, GW_CHILD), want = GetWindow(stored, GW_CHILD);
  for (; shown && want;
       shown = GetWindow(shown, GW_HWNDNEXT), want = GetWindow(want, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(want) & 0xFFFF;
    if (!ok((GetDlgCtrlID(shown) & 0xFFFF) == id && class_name(shown) == class_name(want),
            "%s %d where %s %d belongs\n", class_name(shown).c_str(), GetDlgCtrlID(shown) & 0xFFFF,
            class_name(want).c_str(), id))
      continue;
    // The status line is written at run time, テキスト読込 hidden; a list box
    // shows WS_VSCROLL only while its rows overflow.
    DWORD style = GetWindowLongW(shown, GWL_STYLE) & ~WS_VSCROLL;
    DWORD stored_style = GetWindowLongW(want, GWL_STYLE) & ~WS_VSCROLL;
    if (id == IDC_TEXT_IMPORT) stored_style &= ~WS_VISIBLE;
    ok(style == stored_style &&
           GetWindowLongW(shown, GWL_EXSTYLE) == GetWindowLongW(want, GWL_EXSTYLE),
       "%d has style %08lx, not %08lx, or another extended style\n", id, style, stored_style);
    ok(id == IDC_STATUS || text(shown) == text(want), "%d reads %s\n", id,
       readable(text(shown)).c_str());
    RECT a = place(program.dialog, shown), b = place(stored, want);
    ok(EqualRect(&a, &b), "%d at (%ld,%ld)-(%ld,%ld), not (%ld,%ld)-(%ld,%ld)\n", id, a.left, a.top,
       a.right, a.bottom, b.left, b.top, b.right, b.bottom);
  }
  ok(!shown && !want, "the dialog has %s controls than its template\n", shown ? "more" : "fewer");

  RECT client = {}, stored_client = {}, work = {}, window = {};
  GetClientRect(program.dialog, &client);
  GetClientRect(stored, &stored_client);
  ok(EqualRect(&client, &stored_client), "client %ldx%ld, template %ldx%ld\n", client.right,
     client.bottom, stored_client.right, stored_client.bottom);
  DWORD style = GetWindowLongW(program.dialog, GWL_STYLE);
  bool edge = GetWindowLongW(program.dialog, GWL_EXSTYLE) & WS_EX_CLIENTEDGE;
  ok((style & (WS_CAPTION | WS_SYSMENU)) == WS_CAPTION && edge,
     "dialog style %08lx, client edge %d\n", style, edge);
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
  DestroyWindow(stored), FreeLibrary(exe);
  close_with(&program, IDCANCEL);
}

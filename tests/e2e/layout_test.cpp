// The dialogs' layout: every control with its id, class, style, text and
// place, in tab order. Dialog units are mapped in a hidden copy of the same
// template made in this process (MapDialogRect cannot reach into another
// process's dialog under Wine); the same font gives the same base units.
#include "tests/e2e/dialog_template.h"
#include "tests/e2e/driver.h"
#include "tests/support/ok.h"

#include <cstdlib>

using namespace e2e;

namespace {

struct Control {
  int id;
  const char* class_name;
  DWORD type_mask;
  DWORD type, other_type;  // accepted values of style & type_mask
  DWORD required;          // style bits that must be set
  DWORD forbidden;         // style bits that must be clear
  const char* text;        // null: set at run time
  int x, y, width, height; // dialog units
};

constexpr DWORD kButtonType = BS_TYPEMASK;
constexpr DWORD kList = WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kSunken = SS_SUNKEN;

#define PUSH(id, text, x, y, w, h) \
  {id, "Button", 0xE, BS_PUSHBUTTON, BS_PUSHBUTTON, 0, 0, text, x, y, w, h}
#define RADIO(id, bits, text, x, y, w, h) \
  {id, "Button", kButtonType, BS_RADIOBUTTON, BS_AUTORADIOBUTTON, BS_PUSHLIKE | (bits), 0, text, x, y, w, h}
#define HEADING(id, text, x, y, w, h) \
  {id, "Static", SS_TYPEMASK, SS_CENTER, SS_CENTER, kSunken, 0, text, x, y, w, h}
#define LIST(id, bits, no_bits, x, y, w, h) \
  {id, "ListBox", 0, 0, 0, kList | (bits), no_bits, "", x, y, w, h}
#define GROUP(text, x, y, w, h) \
  {0xFFFF, "Button", kButtonType, BS_GROUPBOX, BS_GROUPBOX, 0, 0, text, x, y, w, h}

const Control kMainDialog[] = {
    LIST(404, LBS_SORT | LBS_NOTIFY, LBS_NOSEL, 12, 49, 85, 99),
    HEADING(204, "メーカー名", 12, 33, 86, 13),
    HEADING(205, "追加部品", 101, 33, 122, 13),
    RADIO(181, WS_GROUP, nullptr, 13, 210, 62, 16),
    RADIO(182, 0, "屋根図", 81, 210, 62, 16),
    RADIO(183, 0, nullptr, 149, 210, 62, 16),
    RADIO(184, 0, "仕様書", 217, 210, 62, 16),
    RADIO(185, 0, "その他", 285, 210, 62, 16),
    LIST(402, LBS_NOTIFY, LBS_SORT | LBS_NOSEL, 126, 243, 109, 107),
    LIST(403, LBS_NOSEL, LBS_SORT, 240, 243, 109, 107),
    HEADING(202, "分類項目", 127, 228, 108, 13),
    HEADING(203, "図形名称", 241, 228, 108, 13),
    HEADING(208, "大項目", 13, 228, 108, 13),
    LIST(401, LBS_NOTIFY, LBS_SORT | LBS_NOSEL, 12, 243, 109, 107),
    PUSH(901, "追加", 226, 178, 60, 19),
    PUSH(1, "了解", 227, 383, 61, 16),
    PUSH(902, "削除", 292, 178, 60, 19),
    PUSH(101, "表示", 9, 383, 61, 16),
    GROUP("ダウンロード先", 6, 197, 350, 178),
    GROUP("ダウンロードリスト", 6, 3, 350, 171),
    HEADING(209, nullptr, 13, 353, 339, 17),
    PUSH(904, "リスト選択", 13, 16, 84, 16),
    PUSH(2, "中止", 295, 383, 61, 16),
    HEADING(210, "ダウンロードリストからメーカー名を選択して下さい。", 12, 151, 339, 17),
    LIST(405, LBS_SORT | LBS_NOSEL, 0, 101, 49, 122, 99),
    HEADING(206, "削除部品", 226, 33, 122, 13),
    LIST(406, LBS_SORT | LBS_NOSEL, 0, 227, 49, 122, 99),
    {1001, "Static", SS_TYPEMASK, SS_WHITERECT, SS_WHITERECT, 0, 0, "", 172, 177, 16, 20},
    PUSH(903, "初期化", 159, 383, 61, 16),
    PUSH(905, "ヘルプ", 283, 11, 61, 16),
    PUSH(906, "ﾌﾟﾚﾋﾞｭｰ", 101, 16, 61, 16),
    PUSH(907, "テキスト読込", 13, 16, 84, 16),
};

const Control kProgressDialog[] = {
    HEADING(209, "ダウンロード中です。", 3, 2, 293, 17),
};

INT_PTR CALLBACK inert_dialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A hidden dialog of the program's own template, in this process.
HWND template_dialog(HMODULE program, const char* name) {
  HWND dialog = CreateDialogParamA(program, name, nullptr, inert_dialog, 0);
  if (dialog) ShowWindow(dialog, SW_HIDE);
  return dialog;
}

RECT dialog_units(HWND units, int x, int y, int width, int height) {
  RECT rect = {x, y, x + width, y + height};
  MapDialogRect(units, &rect);
  return rect;
}

bool within_a_pixel(const RECT& a, const RECT& b) {
  return abs(a.left - b.left) <= 1 && abs(a.top - b.top) <= 1 && abs(a.right - b.right) <= 1 &&
         abs(a.bottom - b.bottom) <= 1;
}

std::vector<HWND> children(HWND dialog) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    found.push_back(child);
  return found;
}

// The template as stored: every style bit, exact dialog units.
void check_template_items(const DialogTemplate& dialog, const Control* table, size_t count,
                          const char* which) {
  ok(dialog.items.size() == count, "%s: %d controls, expected %d\n", which,
     static_cast<int>(dialog.items.size()), static_cast<int>(count));
  for (size_t k = 0; k < count && k < dialog.items.size(); ++k) {
    const Control& want = table[k];
    const TemplateItem& got = dialog.items[k];
    if (!ok(got.id == want.id, "%s: control %d has id %d, expected %d\n", which,
            static_cast<int>(k), got.id, want.id))
      continue;
    ok(lstrcmpiA(got.class_name.c_str(), want.class_name) == 0, "%s: %d is a %s\n", which,
       want.id, got.class_name.c_str());
    DWORD type = got.style & want.type_mask;
    ok(type == want.type || type == want.other_type, "%s: %d has style %08lx\n", which, want.id,
       got.style);
    ok((got.style & want.required) == want.required, "%s: %d has style %08lx, lacks %08lx\n",
       which, want.id, got.style, want.required & ~got.style);
    ok((got.style & want.forbidden) == 0, "%s: %d has style %08lx, with %08lx\n", which, want.id,
       got.style, got.style & want.forbidden);
    if (want.text)
      ok(got.text == want.text, "%s: %d reads \"%s\", expected \"%s\"\n", which, want.id,
         readable(got.text).c_str(), readable(want.text).c_str());
    ok(got.x == want.x && got.y == want.y && got.width == want.width && got.height == want.height,
       "%s: %d at %d,%d,%d,%d\n", which, want.id, got.x, got.y, got.width, got.height);
  }
}

// A dialog made from the template, running or hidden: the same controls in
// the same order with their texts, in place to a pixel. `units` is the hidden
// copy whose dialog units are those of both. Created controls trade WS_BORDER
// for a client edge, and list boxes show WS_VSCROLL only while they scroll.
void check_window_items(HWND dialog, HWND units, const Control* table, size_t count,
                        const char* which) {
  const DWORD changed_by_creation = WS_BORDER | WS_VSCROLL;
  std::vector<HWND> found = children(dialog);
  ok(found.size() == count, "%s: %d controls, expected %d\n", which,
     static_cast<int>(found.size()), static_cast<int>(count));
  for (size_t k = 0; k < count && k < found.size(); ++k) {
    const Control& want = table[k];
    HWND control = found[k];
    int id = GetDlgCtrlID(control) & 0xFFFF;
    if (!ok(id == want.id, "%s: control %d has id %d, expected %d\n", which,
            static_cast<int>(k), id, want.id))
      continue;
    ok(lstrcmpiA(class_name(control).c_str(), want.class_name) == 0, "%s: %d is a %s\n", which,
       want.id, class_name(control).c_str());
    DWORD style = GetWindowLongW(control, GWL_STYLE);
    DWORD type = style & want.type_mask;
    ok(type == want.type || type == want.other_type, "%s: %d has style %08lx\n", which, want.id,
       style);
    DWORD required = want.required & ~changed_by_creation;
    ok((style & required) == required, "%s: %d has style %08lx, lacks %08lx\n", which, want.id,
       style, required & ~style);
    ok((style & want.forbidden) == 0, "%s: %d has style %08lx, with %08lx\n", which, want.id,
       style, style & want.forbidden);
    if (want.required & WS_BORDER)
      ok(GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, "%s: %d has no border\n",
         which, want.id);
    if (want.text)
      ok(text(control) == want.text, "%s: %d reads \"%s\", expected \"%s\"\n", which, want.id,
         readable(text(control)).c_str(), readable(want.text).c_str());
    RECT expected = dialog_units(units, want.x, want.y, want.width, want.height);
    RECT seen = item_rect(dialog, control);
    ok(within_a_pixel(seen, expected),
       "%s: %d at (%ld,%ld)-(%ld,%ld), expected (%ld,%ld)-(%ld,%ld)\n", which, want.id,
       seen.left, seen.top, seen.right, seen.bottom, expected.left, expected.top, expected.right,
       expected.bottom);
  }
}

// The dialog's own frame as stored: caption without system menu, centred,
// size, title and font.
void check_template_frame(const DialogTemplate& dialog, const char* title, int width, int height,
                          const char* which) {
  ok(dialog.title == title, "%s: title \"%s\"\n", which, readable(dialog.title).c_str());
  ok(dialog.width == width && dialog.height == height, "%s: %d x %d dialog units\n", which,
     dialog.width, dialog.height);
  ok((dialog.style & WS_CAPTION) == WS_CAPTION, "%s: no caption (style %08lx)\n", which,
     dialog.style);
  ok(!(dialog.style & WS_SYSMENU), "%s: system menu (style %08lx)\n", which, dialog.style);
  ok(dialog.style & DS_CENTER, "%s: not centred (style %08lx)\n", which, dialog.style);
  ok(dialog.font == L"ＭＳ ゴシック", "%s: font %s\n", which, readable(to_cp932(dialog.font.c_str())).c_str());
  ok(dialog.point_size == 10, "%s: font of %d points\n", which, dialog.point_size);
}

// The running dialog's frame: title, client size, caption, centred in the
// work area as far as it fits.
void check_window_frame(HWND dialog, HWND units, const char* title, int width, int height,
                        const char* which) {
  ok(text(dialog) == title, "%s: title \"%s\"\n", which, readable(text(dialog)).c_str());
  RECT client = {};
  GetClientRect(dialog, &client);
  RECT expected = dialog_units(units, 0, 0, width, height);
  ok(within_a_pixel(client, expected), "%s: client %ldx%ld, expected %ldx%ld\n", which,
     client.right, client.bottom, expected.right, expected.bottom);
  DWORD style = GetWindowLongW(dialog, GWL_STYLE);
  ok((style & WS_CAPTION) == WS_CAPTION, "%s: no caption (style %08lx)\n", which, style);
  ok(!(style & WS_SYSMENU), "%s: system menu (style %08lx)\n", which, style);

  RECT work = {}, window = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(dialog, &window);
  long dx = (window.left + window.right) - (work.left + work.right);
  long dy = (window.top + window.bottom) - (work.top + work.bottom);
  ok(labs(dx) <= 2, "%s: off centre across by %ld/2\n", which, dx);
  if (window.bottom - window.top < work.bottom - work.top)
    ok(labs(dy) <= 2, "%s: off centre down by %ld/2\n", which, dy);
}

}  // namespace

TEST(main_dialog_layout) {
  Folder folder("layout");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;
  HMODULE exe = LoadLibraryExA(folder.file("partsdl.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  DialogTemplate stored;
  if (!ok(exe && read_dialog_template(exe, "ZKLST", &stored), "no template ZKLST\n")) return;
  HWND units = template_dialog(exe, "ZKLST");
  if (!ok(units != nullptr, "no dialog from template ZKLST\n")) return;

  size_t count = sizeof kMainDialog / sizeof kMainDialog[0];
  check_template_frame(stored, "部品テーブルダウンロード", 362, 408, "ZKLST");
  ok(stored.ex_style & WS_EX_CLIENTEDGE, "ZKLST: no client edge\n");
  check_template_items(stored, kMainDialog, count, "ZKLST");
  check_window_items(program.dialog, units, kMainDialog, count, "running");
  check_window_frame(program.dialog, units, "部品テーブルダウンロード", 362, 408, "running");
  ok(GetWindowLongW(program.dialog, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, "running: no client edge\n");

  ok(item_text(program.dialog, 181) == "3DCAD", "181 reads %s\n",
     readable(item_text(program.dialog, 181)).c_str());
  ok(item_text(program.dialog, 183) == "2DCAD", "183 reads %s\n",
     readable(item_text(program.dialog, 183)).c_str());
  ok(!IsWindowVisible(item(program.dialog, 907)), "907 is shown\n");
  ok(IsWindowVisible(item(program.dialog, 904)), "904 is hidden\n");

  DestroyWindow(units);
  FreeLibrary(exe);
  click(program.dialog, IDCANCEL);
  DWORD code = 99;
  ok(wait_exit(&program, kWaitMs, &code) && code == 0, "cancel did not end the program with 0\n");
}

TEST(progress_dialog_template) {
  Folder folder("progress");
  HMODULE exe = LoadLibraryExA(folder.file("partsdl.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  DialogTemplate stored;
  if (!ok(exe && read_dialog_template(exe, "DOWNLOAD", &stored), "no template DOWNLOAD\n")) return;
  HWND dialog = template_dialog(exe, "DOWNLOAD");
  if (!ok(dialog != nullptr, "no dialog from template DOWNLOAD\n")) return;

  check_template_frame(stored, "部品ダウンロード", 297, 21, "DOWNLOAD");
  check_template_items(stored, kProgressDialog, 1, "DOWNLOAD");
  check_window_items(dialog, dialog, kProgressDialog, 1, "DOWNLOAD made");
  ok(text(dialog) == "部品ダウンロード", "DOWNLOAD made: title %s\n",
     readable(text(dialog)).c_str());
  RECT client = {};
  GetClientRect(dialog, &client);
  ok(within_a_pixel(client, dialog_units(dialog, 0, 0, 297, 21)), "DOWNLOAD made: %ldx%ld\n",
     client.right, client.bottom);
  DestroyWindow(dialog);
  FreeLibrary(exe);
}

// FIGDRAW.dll: drawing contexts on windows of the program, and the figure
// list window over a classification file. The geometry and the pixels come
// from the portable figure code; this file puts them on the screen.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "figure/figdraw.h"
#include "figure/figure.h"
#include "platform/byte_fields.h"
#include "platform/files.h"
#include "platform/shift_jis.h"
#include "store/classification.h"

namespace {

HINSTANCE g_module;

// The folder of the executable that loaded the library, with its separator.
std::string program_directory() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return std::string();
  size_t last = plat::last_char_of(path, n, "\\");
  return last < n ? std::string(path, last + 1) : std::string();
}

void blit(HDC dc, int x, int y, const figure::Picture& picture) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // rows top down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, picture.width, picture.height, 0, 0, 0, picture.height,
                    picture.pixels.data(), &info, DIB_RGB_COLORS);
}

// ------------------------------------------------------------ drawing contexts

// A context is set up for a part; its figure is read on the first draw
// unless gmtg_zkimset read it before, so that the usual sequence of
// gmtg_oglini, gmtg_zkimset and gmtg_zkidrw reads the part files once.
struct Context {
  int32_t part = 0;
  bool loaded = false;
  figure::Figure figure;
};
std::map<HWND, Context> g_contexts;

void load(Context* c, int32_t part) {
  c->figure.segments.clear();
  c->part = part;
  c->loaded = true;
  if (part) figure::load_part_figure(program_directory().c_str(), part, &c->figure);
}

int draw_into(HWND area, int angle, int background) {
  RECT r;
  if (!GetClientRect(area, &r)) return 0;
  figure::Picture picture;
  picture.resize(r.right - r.left, r.bottom - r.top);
  auto found = g_contexts.find(area);
  static const figure::Figure empty;
  if (found != g_contexts.end() && !found->second.loaded) load(&found->second, found->second.part);
  const figure::Figure& f = found != g_contexts.end() ? found->second.figure : empty;
  // The preview opens at 180 degrees: that is the figure as drawn, upright,
  // and each turn goes on from there.
  figure::draw_figure(f, ((angle + 180) % 360 + 360) % 360, background, &picture);
  HDC dc = GetDC(area);
  if (!dc) return 0;
  blit(dc, 0, 0, picture);
  ReleaseDC(area, dc);
  return 1;
}

// ------------------------------------------------------------ figure list window

constexpr int kNameField = 8, kPartField = 2;
constexpr int kPanelWidth = figure::kThumbnailColumns * figure::kCellWidth;
constexpr int kPanelHeight =
    (store::kFigureSlots / figure::kThumbnailColumns) * figure::kCellHeight;
const char kPanelClass[] = "FigdrawThumbnails";

struct ListWindow {
  std::string path;
  std::string bytes;  // the whole classification file
  int major = 0, item = 0, slot = -1;
  HWND window = nullptr;
  HFONT font = nullptr;
  figure::Picture sheet;  // the panel's thumbnails
  std::string program;
  bool done = false;
};

uint32_t entry_offset(const ListWindow& w, int slot) {
  return store::figure_entry_offset(w.major, w.item, slot);
}
int part_of(const ListWindow& w, int slot) {
  return plat::get_u16(reinterpret_cast<const uint8_t*>(w.bytes.data()) + entry_offset(w, slot) +
                       kPartField);
}
std::string name_at(const ListWindow& w, uint32_t offset) {
  std::string name = plat::field_text(w.bytes.data() + offset, store::kNameBytes);
  return name.empty() ? "   " : name;
}

uint32_t pixel_of(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// The thumbnails of the selected classification item, on one sheet.
void render_sheet(ListWindow* w) {
  w->sheet.resize(kPanelWidth, kPanelHeight);
  std::fill(w->sheet.pixels.begin(), w->sheet.pixels.end(), pixel_of(GetSysColor(COLOR_WINDOW)));
  figure::Picture thumb;
  thumb.resize(figure::kThumbnailSize, figure::kThumbnailSize);
  for (int slot = 0; slot < store::kFigureSlots; ++slot) {
    const int part = part_of(*w, slot);
    if (!part) continue;
    figure::Figure f;
    figure::load_part_figure(w->program.c_str(), part, &f);
    figure::draw_figure(f, 0, 0, &thumb);
    const int x0 = slot % figure::kThumbnailColumns * figure::kCellWidth +
                   (figure::kCellWidth - figure::kThumbnailSize) / 2,
              y0 = slot / figure::kThumbnailColumns * figure::kCellHeight + 2;
    for (int y = 0; y < thumb.height; ++y)
      std::memcpy(&w->sheet.pixels[static_cast<size_t>(y0 + y) * kPanelWidth + x0],
                  &thumb.pixels[static_cast<size_t>(y) * thumb.width], 4u * thumb.width);
  }
}

void fill_list(HWND list, const std::vector<std::string>& rows, int selected) {
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& row : rows) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)row.c_str());
  SendMessageA(list, LB_SETCURSEL, selected, 0);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void select_slot(ListWindow* w, int slot) {
  w->slot = slot;
  SendDlgItemMessageA(w->window, figure::kFigureList, LB_SETCURSEL, slot, 0);
  const bool used = slot >= 0 && part_of(*w, slot);
  SetDlgItemTextA(w->window, figure::kNameEdit,
                  used ? plat::field_text(w->bytes.data() + entry_offset(*w, slot) + kNameField,
                                          store::kNameBytes)
                             .c_str()
                       : "");
  EnableWindow(GetDlgItem(w->window, figure::kRenameButton), used);
  EnableWindow(GetDlgItem(w->window, figure::kRemoveButton), used);
  InvalidateRect(GetDlgItem(w->window, figure::kThumbnailPanel), nullptr, FALSE);
}

void show_figures(ListWindow* w) {
  std::vector<std::string> rows;
  for (int f = 0; f < store::kFigureSlots; ++f)
    rows.push_back(name_at(*w, entry_offset(*w, f) + kNameField));
  fill_list(GetDlgItem(w->window, figure::kFigureList), rows, -1);
  render_sheet(w);
  select_slot(w, -1);
}

void show_class_items(ListWindow* w) {
  std::vector<std::string> rows;
  for (int i = 0; i < store::kClassItems; ++i)
    rows.push_back(name_at(*w, store::class_item_offset(w->major, i) + 4));
  fill_list(GetDlgItem(w->window, figure::kClassItemList), rows, w->item);
  show_figures(w);
}

bool write_back(ListWindow* w) {
  if (plat::replace_whole_file(w->path.c_str(), w->bytes.data(), w->bytes.size())) return true;
  char text[400];
  std::snprintf(text, sizeof text, "%s ファイルに書き込めませんでした。", w->path.c_str());
  MessageBoxA(w->window, text, "図形一覧", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void change_selected(ListWindow* w, bool remove) {
  if (w->slot < 0 || !part_of(*w, w->slot)) return;
  const uint32_t at = entry_offset(*w, w->slot);
  const std::string before = w->bytes.substr(at, store::kFigureEntrySize);
  if (remove) {
    w->bytes.replace(at, store::kFigureEntrySize, store::kFigureEntrySize, '\0');
  } else {
    char typed[256] = {};
    GetDlgItemTextA(w->window, figure::kNameEdit, typed, sizeof typed);
    const size_t kept =
        plat::whole_characters(typed, std::min<size_t>(std::strlen(typed), store::kNameBytes - 1));
    std::string name(typed, kept);
    name.resize(store::kNameBytes, '\0');
    w->bytes.replace(at + kNameField, store::kNameBytes, name);
  }
  if (!write_back(w)) w->bytes.replace(at, store::kFigureEntrySize, before);
  const int slot = w->slot;
  show_figures(w);
  select_slot(w, slot);
}

LRESULT CALLBACK panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  ListWindow* w = reinterpret_cast<ListWindow*>(GetWindowLongPtrA(GetParent(panel), GWLP_USERDATA));
  if (message == WM_PAINT && w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(panel, &ps);
    blit(dc, 0, 0, w->sheet);
    HGDIOBJ old = SelectObject(dc, w->font);
    SetBkMode(dc, TRANSPARENT);
    for (int slot = 0; slot < store::kFigureSlots; ++slot) {
      const int x = slot % figure::kThumbnailColumns * figure::kCellWidth,
                y = slot / figure::kThumbnailColumns * figure::kCellHeight;
      if (part_of(*w, slot)) {
        std::string name = plat::field_text(w->bytes.data() + entry_offset(*w, slot) + kNameField,
                                            store::kNameBytes);
        RECT text = {x + 1, y + figure::kThumbnailSize + 3, x + figure::kCellWidth - 1,
                     y + figure::kCellHeight - 1};
        DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &text,
                  DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      }
      if (slot == w->slot) {
        RECT frame = {x, y, x + figure::kCellWidth, y + figure::kCellHeight};
        FrameRect(dc, &frame, GetSysColorBrush(COLOR_HIGHLIGHT));
      }
    }
    SelectObject(dc, old);
    EndPaint(panel, &ps);
    return 0;
  }
  if (message == WM_LBUTTONDOWN && w) {
    const int x = static_cast<short>(LOWORD(lparam)), y = static_cast<short>(HIWORD(lparam));
    const int column = x / figure::kCellWidth, row = y / figure::kCellHeight;
    if (x >= 0 && y >= 0 && column < figure::kThumbnailColumns &&
        row < store::kFigureSlots / figure::kThumbnailColumns)
      select_slot(w, row * figure::kThumbnailColumns + column);
    return 0;
  }
  return DefWindowProcA(panel, message, wparam, lparam);
}

LRESULT CALLBACK list_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  ListWindow* w = reinterpret_cast<ListWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_CREATE: {
      w = static_cast<ListWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
      w->window = window;
      return 0;
    }
    case WM_COMMAND:
      if (!w) break;
      switch (LOWORD(wparam)) {
        case figure::kMajorItemList:
        case figure::kClassItemList:
        case figure::kFigureList: {
          if (HIWORD(wparam) != LBN_SELCHANGE) return 0;
          const int row =
              static_cast<int>(SendDlgItemMessageA(window, LOWORD(wparam), LB_GETCURSEL, 0, 0));
          if (LOWORD(wparam) == figure::kMajorItemList && row >= 0 && row < store::kMajorItems &&
              row != w->major) {
            w->major = row, w->item = 0;
            show_class_items(w);
          } else if (LOWORD(wparam) == figure::kClassItemList && row >= 0 &&
                     row < store::kClassItems && row != w->item) {
            w->item = row;
            show_figures(w);
          } else if (LOWORD(wparam) == figure::kFigureList && row < store::kFigureSlots) {
            select_slot(w, row);
          }
          return 0;
        }
        case figure::kRenameButton:
        case figure::kRemoveButton:
          if (HIWORD(wparam) == BN_CLICKED)
            change_selected(w, LOWORD(wparam) == figure::kRemoveButton);
          return 0;
        case figure::kCloseButton:
        case IDCANCEL: w->done = true; return 0;
        default: return 0;
      }
      break;
    case WM_CLOSE:
      if (w) w->done = true;
      return 0;
    case WM_DESTROY:
      if (w) w->done = true, w->window = nullptr;
      return 0;
    default: break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool register_classes() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXA c = {};
  c.cbSize = sizeof c;
  c.hInstance = g_module;
  c.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  c.lpfnWndProc = list_proc;
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = figure::kListWindowClass;
  if (!RegisterClassExA(&c)) return false;
  c.lpfnWndProc = panel_proc;
  c.hbrBackground = nullptr;
  c.lpszClassName = kPanelClass;
  if (!RegisterClassExA(&c)) return false;
  registered = true;
  return true;
}

HWND child(ListWindow* w, const char* cls, const char* text, DWORD style, int x, int y, int cx,
           int cy, int id, DWORD ex = 0) {
  HWND h = CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, w->window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_module, nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(w->font), FALSE);
  return h;
}

// Client area 1012 x 478: two item lists, the figure list, the thumbnails,
// and below them the name field with the buttons.
void make_controls(ListWindow* w) {
  const DWORD list = WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  child(w, "STATIC", "大項目", 0, 8, 8, 150, 16, -1);
  child(w, "LISTBOX", "", list, 8, 26, 150, 170, figure::kMajorItemList);
  child(w, "STATIC", "分類項目", 0, 8, 204, 150, 16, -1);
  child(w, "LISTBOX", "", list, 8, 222, 150, 214, figure::kClassItemList);
  child(w, "STATIC", "図形", 0, 166, 8, 150, 16, -1);
  child(w, "LISTBOX", "", list, 166, 26, 150, 410, figure::kFigureList);
  child(w, "STATIC", "図形一覧", 0, 324, 8, 150, 16, -1);
  child(w, kPanelClass, "", 0, 324, 26, kPanelWidth + 2, kPanelHeight + 2, figure::kThumbnailPanel,
        WS_EX_CLIENTEDGE);
  HWND edit = child(w, "EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 446, 308, 22,
                    figure::kNameEdit);
  SendMessageA(edit, EM_LIMITTEXT, store::kNameBytes - 1, 0);
  child(w, "BUTTON", "名前変更", WS_TABSTOP | BS_PUSHBUTTON, 324, 444, 90, 26,
        figure::kRenameButton);
  child(w, "BUTTON", "削除", WS_TABSTOP | BS_PUSHBUTTON, 422, 444, 90, 26, figure::kRemoveButton);
  child(w, "BUTTON", "閉じる", WS_TABSTOP | BS_PUSHBUTTON, 914, 444, 90, 26, figure::kCloseButton);
  std::vector<std::string> rows;
  for (int m = 0; m < store::kMajorItems; ++m)
    rows.push_back(name_at(*w, store::major_item_offset(m) + 4));
  fill_list(GetDlgItem(w->window, figure::kMajorItemList), rows, 0);
  show_class_items(w);
}

// Opens (creating or converting it when needed) and reads the whole file.
bool read_classification(ListWindow* w, int destination) {
  plat::File* file = nullptr;
  if (store::open_classification_file(w->program.c_str(), destination, store::OpenMode::Read,
                                      &file) != 1)
    return false;
  plat::close_file(file);
  return plat::read_file(w->path.c_str(), &w->bytes) && w->bytes.size() == store::kClassFileSize;
}

int run_list_window(int destination, HWND owner) {
  ListWindow w;
  w.program = program_directory();
  w.path = store::classification_file_path(w.program.c_str(), destination);
  if (!register_classes()) return 0;
  if (!read_classification(&w, destination)) {
    char text[400];
    std::snprintf(text, sizeof text, "%s ファイルがオープンできませんでした。", w.path.c_str());
    MessageBoxA(owner, text, "図形一覧", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  w.font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック");
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT frame = {0, 0, 1012, 478};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  const int cx = frame.right - frame.left, cy = frame.bottom - frame.top;
  RECT over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &over);
  const int x = std::max(0, static_cast<int>(over.left + over.right - cx) / 2),
            y = std::max(0, static_cast<int>(over.top + over.bottom - cy) / 2);

  if (owner) EnableWindow(owner, FALSE);
  HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME, figure::kListWindowClass, "図形一覧", style, x,
                                y, cx, cy, owner, nullptr, g_module, &w);
  if (window) {
    make_controls(&w);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG msg;
    while (!w.done) {
      const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got <= 0) {
        if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (!IsDialogMessageA(window, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }
  // The owner is enabled first, so that it takes the activation back.
  if (owner) EnableWindow(owner, TRUE);
  if (w.window) {
    SetWindowLongPtrA(w.window, GWLP_USERDATA, 0);
    DestroyWindow(w.window);
  }
  DeleteObject(w.font);
  return window ? 1 : 0;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = module;
  return TRUE;
}

__declspec(dllexport) int WINAPI gmtg_oglini(HWND area, unsigned part, int, int*) {
  Context& c = g_contexts[area] = Context();
  c.part = static_cast<int32_t>(part & 0xFFFF);
  return 1;
}

__declspec(dllexport) int WINAPI gmtg_zkimset(HWND area, unsigned part, int) {
  load(&g_contexts[area], static_cast<int32_t>(part & 0xFFFF));
  return 1;
}

__declspec(dllexport) int WINAPI gmtg_zkidrw(HWND area, int angle, int background) {
  return draw_into(area, angle, background);
}

__declspec(dllexport) int WINAPI gmtg_oglend(HWND area) { return g_contexts.erase(area) ? 1 : 0; }

__declspec(dllexport) int WINAPI vgzk_lstdll(int destination, HWND owner, int*, void*) {
  return run_list_window(destination, owner);
}

}  // extern "C"

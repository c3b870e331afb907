// FIGDRAW.dll as the program uses it: loaded from the bin folder, its
// undecorated entries looked up by name; figures drawn into a window and
// read back from the screen, and the figure list window driven by its
// control ids. Windows only (run under Wine). The program folder is this
// program's own folder, as the library takes it.
#include <windows.h>

#include <string>
#include <vector>

#include "figure/figdraw.h"
#include "figure/figdraw_entries_win.h"
#include "store/classification.h"
#include "tests/support/ok.h"
#include "tests/support/part_data_file.h"
#include "tests/support/scratch.h"
#include "tools/sample_catalogue.h"

namespace {

using figure::Lstdll;
using figure::Oglend;
using figure::Oglini;
using figure::Zkidrw;
using figure::Zkimset;

std::string own_folder() {
  char path[MAX_PATH];
  std::string folder(path, GetModuleFileNameA(nullptr, path, sizeof path));
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The window's client pixels as they are on the screen, read through the
// window's own device context.
std::vector<uint32_t> capture(HWND window, int width, int height) {
  std::vector<uint32_t> pixels(width * height);
  HDC screen = GetDC(window), memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = static_cast<uint32_t*>(bits)[k] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return pixels;
}

int count_of(const std::vector<uint32_t>& pixels, uint32_t colour) {
  int n = 0;
  for (uint32_t p : pixels) n += p == colour;
  return n;
}

Lstdll g_list_window;
HWND g_owner;
bool g_list_seen, g_thumbnail_drawn, g_owner_disabled;

// Runs inside the list window's message loop: renames slot 1 and closes,
// as a user would.
void CALLBACK drive_list(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND w = FindWindowA(figure::kListWindowClass, nullptr);
  g_list_seen = w != nullptr;
  if (!w) return;
  g_owner_disabled = !IsWindowEnabled(g_owner);
  // Slot 0's thumbnail has black lines on its white ground.
  HWND panel = GetDlgItem(w, figure::kThumbnailPanel);
  g_thumbnail_drawn = count_of(capture(panel, figure::kCellWidth, figure::kCellHeight), 0) > 20;
  auto command = [w](int id, int code) {
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(w, id));
  };
  SendDlgItemMessageA(w, figure::kFigureList, LB_SETCURSEL, 1, 0);
  command(figure::kFigureList, LBN_SELCHANGE);
  SetDlgItemTextA(w, figure::kNameEdit, "新しい名前 ABC");
  command(figure::kRenameButton, BN_CLICKED);
  command(figure::kCloseButton, BN_CLICKED);
}

}  // namespace

TEST(figures_drawn_into_windows_and_listed) {
  const std::string program = own_folder();
  HMODULE dll = LoadLibraryA((program + "..\\bin\\FIGDRAW.dll").c_str());
  Oglini oglini = figure::figdraw_entry<Oglini>(dll, "gmtg_oglini");
  Zkimset zkimset = figure::figdraw_entry<Zkimset>(dll, "gmtg_zkimset");
  Zkidrw zkidrw = figure::figdraw_entry<Zkidrw>(dll, "gmtg_zkidrw");
  Oglend oglend = figure::figdraw_entry<Oglend>(dll, "gmtg_oglend");
  g_list_window = figure::figdraw_entry<Lstdll>(dll, "vgzk_lstdll");
  ok(oglini && zkimset && zkidrw && oglend && g_list_window, "FIGDRAW.dll or an entry missing\n");
  if (!oglini || !zkimset || !zkidrw || !oglend || !g_list_window) return;
  ok(oktest::put_part_file(program, 3001, sample::sample_part_data(3001)) &&
         oktest::put_part_file(program, 3002, sample::sample_part_data(3002)),
     "part files not written\n");

  // A drawing area as the preview's: a framed static, on the screen so
  // that its pixels can be read back.
  const int w = 224, h = 206;
  g_owner = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND area = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 0, 0, w, h,
                              g_owner, nullptr, nullptr, nullptr);
  UpdateWindow(g_owner);
  int settings[3] = {0, 0, 10};
  const uint32_t green = 0x00FF00, white = 0xFFFFFF;
  // gmtg_oglini without a part file: nothing to draw.
  oglini(area, 3003, 1, settings);
  zkidrw(area, 180, 1);
  const std::vector<uint32_t> empty = capture(area, w, h);
  ok(count_of(empty, 0) == w * h, "an area without a figure is not all black\n");
  // gmtg_zkimset loads a part; gmtg_zkidrw draws it at an angle, green on
  // black, or black on white with background 0.
  zkimset(area, 3001, 1);
  zkidrw(area, 180, 1);
  const std::vector<uint32_t> at_180 = capture(area, w, h);
  zkidrw(area, 210, 1);
  const std::vector<uint32_t> at_210 = capture(area, w, h);
  ok(count_of(at_180, green) > 300 && count_of(at_180, 0) + count_of(at_180, green) == w * h,
     "figure at 180: %d green pixels\n", count_of(at_180, green));
  ok(at_210 != at_180 && count_of(at_210, green) > 300, "turning did not change the picture\n");
  zkidrw(area, 180, 0);
  const std::vector<uint32_t> paper = capture(area, w, h);
  ok(count_of(paper, white) + count_of(paper, 0) == w * h &&
         count_of(paper, 0) == count_of(at_180, green),
     "background 0: %d white, %d black\n", count_of(paper, white), count_of(paper, 0));
  // gmtg_oglend releases the area.
  oglend(area);
  zkidrw(area, 180, 1);
  ok(capture(area, w, h) == empty, "a released area still shows the figure\n");

  // vgzk_lstdll: the list window of 3DCAD, modal over its owner, slot 0
  // showing 3001, slot 1 3002.
  const std::string path = store::classification_file_path(program.c_str(), 0);
  CreateDirectoryA((program + "HDINI").c_str(), nullptr);
  std::string bytes(store::kClassFileSize, '\0');
  bytes.replace(0, 11, "PVN-VTZ-V02");
  bytes.replace(store::major_item_offset(0) + 4, 4, "ITEM");
  for (int slot = 0; slot < 2; ++slot) {
    const uint32_t at = store::figure_entry_offset(0, 0, slot);
    bytes[at + 2] = (char)((3001 + slot) & 0xFF), bytes[at + 3] = (char)((3001 + slot) >> 8);
    bytes.replace(at + 8, 4, "NAME");
  }
  oktest::put_file(path, bytes);
  SetTimer(nullptr, 0, 200, drive_list);
  char work[60] = {};
  g_list_window(0, g_owner, settings, work);
  std::string after;
  oktest::get_file(path, &after);
  const uint32_t second = store::figure_entry_offset(0, 0, 1);
  ok(g_list_seen && g_owner_disabled && IsWindowEnabled(g_owner),
     "window seen %d, owner disabled while open %d, enabled after\n", g_list_seen,
     g_owner_disabled);
  ok(g_thumbnail_drawn, "no thumbnail drawn\n");
  ok(after.size() == bytes.size() &&
         after.substr(second + 8, 24) == std::string("新しい名前 ABC").append(10, '\0') &&
         after.substr(second, 8) == bytes.substr(second, 8),
     "slot 1 not renamed: %s\n", after.substr(second + 8, 24).c_str());
  DestroyWindow(g_owner);
  for (int32_t part : {3001, 3002}) DeleteFileA(oktest::part_file(program, part).c_str());
  DeleteFileA(path.c_str());
}

// FIGDRAW.dll under Wine: the preview's redraw (gmtg_oglend, gmtg_oglini,
// gmtg_zkimset, gmtg_zkidrw) of a part of 10,000 elements into a drawing
// area of the preview's size, and opening the figure list window on a
// classification item of 50 figures until its thumbnails are painted.
// Works in its own folder, which the library takes as the program folder.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "figure/figdraw.h"
#include "figure/figdraw_entries_win.h"
#include "platform/byte_fields.h"
#include "platform/files.h"
#include "store/classification.h"
#include "store/part_data.h"
#include "store/part_files.h"

namespace {

using figure::Lstdll;
using figure::Oglend;
using figure::Oglini;
using figure::Zkidrw;
using figure::Zkimset;

double now_ms() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void put16(std::string* s, size_t at, int v) {
  plat::put_u16(reinterpret_cast<uint8_t*>(&(*s)[at]), static_cast<uint16_t>(v));
}

// Part data of `count` elements: lines mostly, every tenth an arc, every
// tenth a polyline of 8 points, every tenth a label.
std::string part_of(int count, int seed) {
  std::string stream;
  for (int n = 0; n < count; ++n) {
    const int x = (n * 37 + seed) % 4000, y = (n * 91 + seed * 7) % 3000;
    const int kind = n % 10;
    const size_t at = stream.size();
    const int type = kind == 7 ? 3 : kind == 8 ? 2 : kind == 9 ? 4 : 1;
    const size_t length = type == 3 ? 17 : type == 2 ? 11 + 32 : type == 4 ? 14 + 4 : 15;
    stream.append(length, '\0');
    put16(&stream, at + 3, static_cast<int>(length));
    put16(&stream, at + 5, type);
    if (type == 1) {
      put16(&stream, at + 7, x), put16(&stream, at + 9, y);
      put16(&stream, at + 11, x + 200), put16(&stream, at + 13, y + n % 150);
    } else if (type == 3) {
      put16(&stream, at + 7, x), put16(&stream, at + 9, y), put16(&stream, at + 11, 100 + n % 300);
      put16(&stream, at + 13, n % 360), put16(&stream, at + 15, 360);
    } else if (type == 2) {
      put16(&stream, at + 7, 8), put16(&stream, at + 9, 1);
      for (int k = 0; k < 8; ++k)
        put16(&stream, at + 11 + 4 * k, x + k * 40),
            put16(&stream, at + 13 + 4 * k, y + k % 2 * 60);
    } else {
      put16(&stream, at + 7, x), put16(&stream, at + 9, y), put16(&stream, at + 11, 80);
      stream[at + 13] = 4;
      stream.replace(at + 14, 4, std::to_string(1000 + n % 9000));
    }
  }
  std::string bytes(store::kElementStreamOffset, '\0');
  bytes.replace(0, 6, "PT-V01");
  plat::put_u32(reinterpret_cast<uint8_t*>(&bytes[store::kPartMagicArea + 4]),
                static_cast<uint32_t>(stream.size()));
  return bytes + stream;
}

void put_part(const std::string& program, int32_t part, int elements) {
  const std::string path =
      store::part_file_path(program.c_str(), store::PartFileVariant::Current, part);
  plat::create_directory((program + "HDPARTS").c_str());
  plat::create_directory(path.substr(0, path.find_last_of('\\')).c_str());
  const std::string data = part_of(elements, part);
  plat::write_file(path.c_str(), data.data(), data.size());
}

double g_called, g_painted;
void CALLBACK close_list(HWND, UINT, UINT_PTR timer, DWORD) {
  // Timers come after every paint: the window and its thumbnails are up.
  g_painted = now_ms();
  KillTimer(nullptr, timer);
  PostMessageA(FindWindowA(figure::kListWindowClass, nullptr), WM_CLOSE, 0, 0);
}

}  // namespace

int main() {
  char path[MAX_PATH];
  std::string program(path, GetModuleFileNameA(nullptr, path, sizeof path));
  program.resize(program.find_last_of('\\') + 1);
  HMODULE dll = LoadLibraryA((program + "..\\bin\\FIGDRAW.dll").c_str());
  Oglini oglini = figure::figdraw_entry<Oglini>(dll, "gmtg_oglini");
  Zkimset zkimset = figure::figdraw_entry<Zkimset>(dll, "gmtg_zkimset");
  Zkidrw zkidrw = figure::figdraw_entry<Zkidrw>(dll, "gmtg_zkidrw");
  Oglend oglend = figure::figdraw_entry<Oglend>(dll, "gmtg_oglend");
  Lstdll lstdll = figure::figdraw_entry<Lstdll>(dll, "vgzk_lstdll");
  if (!oglini || !zkimset || !zkidrw || !oglend || !lstdll) {
    std::printf("FIGDRAW.dll or an entry missing\n");
    return 1;
  }

  // The preview's drawing area: 149 x 126 dialog units in its 9-point font.
  const int big_part = 30001;
  put_part(program, big_part, 10000);
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 224, 205, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND area = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 0, 0, 224,
                              205, owner, nullptr, nullptr, nullptr);
  int settings[3] = {0, 0, 10};
  oglini(area, big_part, 1, settings);
  const int rounds = 30;
  double total = 0, worst = 0;
  for (int n = 0; n <= rounds; ++n) {
    const double start = now_ms();
    oglend(area);
    oglini(area, big_part, 1, settings);
    zkimset(area, big_part, 1);
    zkidrw(area, 180 + 30 * n, 1);
    const double took = now_ms() - start;
    if (n == 0) continue;  // warm-up
    total += took, worst = std::max(worst, took);
  }
  std::printf("redraw of a part of 10,000 elements: %.2f ms mean, %.2f ms worst (goal 30 ms)\n",
              total / rounds, worst);
  const double draw_start = now_ms();
  for (int n = 0; n < rounds; ++n) zkidrw(area, 30 * n, 1);
  std::printf("  of which drawing alone (gmtg_zkidrw): %.2f ms\n",
              (now_ms() - draw_start) / rounds);
  oglend(area);

  // 50 figures of 1,000 elements each in the first classification item.
  std::string bytes(store::kClassFileSize, '\0');
  bytes.replace(0, 11, "PVN-VTZ-V02");
  bytes.replace(store::major_item_offset(0) + 4, 5, "BENCH");
  bytes.replace(store::class_item_offset(0, 0) + 4, 5, "ITEMS");
  for (int slot = 0; slot < store::kFigureSlots; ++slot) {
    const int part = big_part + 1 + slot;
    put_part(program, part, 1000);
    const uint32_t at = store::figure_entry_offset(0, 0, slot);
    plat::put_u16(reinterpret_cast<uint8_t*>(&bytes[at + 2]), static_cast<uint16_t>(part));
    bytes.replace(at + 8, 6, "FIG" + std::to_string(slot + 100));
  }
  plat::create_directory((program + "HDINI").c_str());
  const std::string list = store::classification_file_path(program.c_str(), 0);
  plat::write_file(list.c_str(), bytes.data(), bytes.size());
  const int openings = 5;
  total = worst = 0;
  for (int n = 0; n <= openings; ++n) {
    char work[60] = {};
    SetTimer(nullptr, 0, 1, close_list);
    g_called = now_ms();
    lstdll(0, owner, settings, work);
    const double took = g_painted - g_called;
    if (n == 0) continue;
    total += took, worst = std::max(worst, took);
  }
  std::printf(
      "figure list window with 50 thumbnails, open and painted: %.1f ms mean, %.1f ms "
      "worst (goal 1000 ms)\n",
      total / openings, worst);

  DestroyWindow(owner);
  for (int slot = 0; slot <= store::kFigureSlots; ++slot)
    plat::delete_file(
        store::part_file_path(program.c_str(), store::PartFileVariant::Current, big_part + slot)
            .c_str());
  plat::delete_file(list.c_str());
  return 0;
}

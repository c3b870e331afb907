#include "ui/figure_library_win.h"

namespace ui {
namespace {

template <typename Entry>
Entry entry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

typedef int(WINAPI* Begin)(HWND, unsigned, int, int32_t*);
typedef int(WINAPI* Load)(HWND, unsigned, int);
typedef int(WINAPI* Draw)(HWND, int, int);
typedef int(WINAPI* End)(HWND);
typedef int(WINAPI* FigureList)(int, HWND, int32_t*, void*);

}  // namespace

void LoadedFigureLibrary::begin(uint16_t part, int background) {
  if (Begin call = entry<Begin>(module, "gmtg_oglini"))
    call(area, part, background, drawing_settings);
}

void LoadedFigureLibrary::load(uint16_t part, int background) {
  if (Load call = entry<Load>(module, "gmtg_zkimset")) call(area, part, background);
}

void LoadedFigureLibrary::draw(int angle, int background) {
  if (Draw call = entry<Draw>(module, "gmtg_zkidrw")) call(area, angle, background);
}

void LoadedFigureLibrary::end() {
  if (End call = entry<End>(module, "gmtg_oglend")) call(area);
}

bool LoadedFigureLibrary::show_figure_list(int destination_code, HWND owner) {
  FigureList call = entry<FigureList>(module, "vgzk_lstdll");
  if (!call) return false;
  // The work record: its 16-bit field at byte 6 starts at 0.
  uint8_t work[60] = {};
  call(destination_code, owner, drawing_settings, work);
  return true;
}

}  // namespace ui

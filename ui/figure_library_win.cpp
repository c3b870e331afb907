#include "ui/figure_library_win.h"

#include "figure/figdraw_entries_win.h"

namespace ui {
using figure::figdraw_entry;

void LoadedFigureLibrary::begin(uint16_t part, int background) {
  if (figure::Oglini call = figdraw_entry<figure::Oglini>(module, "gmtg_oglini"))
    call(area, part, background, drawing_settings);
}

void LoadedFigureLibrary::load(uint16_t part, int background) {
  if (figure::Zkimset call = figdraw_entry<figure::Zkimset>(module, "gmtg_zkimset"))
    call(area, part, background);
}

void LoadedFigureLibrary::draw(int angle, int background) {
  if (figure::Zkidrw call = figdraw_entry<figure::Zkidrw>(module, "gmtg_zkidrw"))
    call(area, angle, background);
}

void LoadedFigureLibrary::end() {
  if (figure::Oglend call = figdraw_entry<figure::Oglend>(module, "gmtg_oglend")) call(area);
}

bool LoadedFigureLibrary::show_figure_list(int destination_code, HWND owner) {
  figure::Lstdll call = figdraw_entry<figure::Lstdll>(module, "vgzk_lstdll");
  if (!call) return false;
  // The work record: its 16-bit field at byte 6 starts at 0.
  uint8_t work[60] = {};
  call(destination_code, owner, drawing_settings, work);
  return true;
}

}  // namespace ui

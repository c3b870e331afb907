// The figure drawing library FIGDRAW.dll, loaded by the main dialog. Its
// entries are looked up by name at each call; a library or entry that is
// missing draws nothing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "flow/run.h"

namespace ui {

class LoadedFigureLibrary : public flow::FigureLibrary {
 public:
  HMODULE module = nullptr;
  HWND area = nullptr;                  // the preview dialog's drawing area
  int32_t* drawing_settings = nullptr;  // the application's record

  void begin(uint16_t part, int background) override;
  void load(uint16_t part, int background) override;
  void draw(int angle, int background) override;
  void end() override;
  // The figure list window of the destination over the owner, modal.
  // False when the library or its entry is missing.
  bool show_figure_list(int destination_code, HWND owner);
};

}  // namespace ui

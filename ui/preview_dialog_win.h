// The preview dialog "ZkiView": messages to the run's preview steps.
#pragma once

#include <windows.h>

#include "flow/run.h"
#include "ui/figure_library_win.h"

namespace ui {

// Opens it modally over the owner for the run's selected maker; 1 after
// 了 解, 0 when the preview could not be prepared.
int run_preview_dialog(HINSTANCE instance, HWND owner, flow::Run* run,
                       LoadedFigureLibrary* library);

}  // namespace ui

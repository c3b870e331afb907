// The parts table download dialog "ZKLST": the whole of a working run.
#pragma once

#include <windows.h>

namespace ui {

// Opens the main dialog modally, owned by the application window, and
// returns when it has closed.
void run_main_dialog(HWND owner);

}  // namespace ui

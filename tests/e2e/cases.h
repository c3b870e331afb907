// What the end-to-end cases share: opening and closing the program with
// checks, list rows compared, and the classification files of both layouts.
#pragma once

#include "tests/support/classification_files.h"
#include "tests/support/ok.h"
#include "tools/gui_driver/gui_driver_win.h"

bool open_dialog(gui::Program* program, const gui::Folder& folder);  // started, dialog shown
void close_with(gui::Program* program, int button);  // pressed; the program ends with 0
// The rows of list `id` are exactly `expected`; `what` names the situation.
bool rows_are(HWND dialog, int id, const std::vector<std::string>& expected, const char* what);

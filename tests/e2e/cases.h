// What the end-to-end cases share: opening and closing the program with
// checks, list rows compared, and classification files of both layouts with
// a recognisable name in every entry.
#pragma once

#include <string>
#include <vector>

#include "tests/support/ok.h"
#include "tools/gui_driver/gui_driver_win.h"

bool open_dialog(gui::Program* program, const gui::Folder& folder);  // started, dialog shown
void close_with(gui::Program* program, int button);  // pressed; the program ends with 0
// The rows of list `id` are exactly `expected`; `what` names the situation.
bool rows_are(HWND dialog, int id, const std::vector<std::string>& expected, const char* what);

constexpr size_t kCurrentSize = 834288, kOldSize = 199550;

// A current-layout file: every major item, classification item and figure
// named "<tag>...", part numbers set, a reserved block other than zeros, and
// figure (0, 0, 7) named with all 24 bytes and no terminator.
std::string current_file(const std::string& tag);
// An older-layout file (names "旧..." everywhere, a triple per figure, major
// item 9 named with all 23 bytes) and the current-layout file it becomes.
struct OldFile {
  std::string old, converted;
};
OldFile old_file();
// The rows the category lists show for a current-layout file: level 1 the
// 12 major items, level 2 the 40 items of major item a, level 3 the 50
// figures of item (a, b); an empty name shows as three spaces.
std::vector<std::string> rows_of(const std::string& image, int level, int a = 0, int b = 0);

// Filling the three category lists of the main dialog (major items 401,
// classification items 402, figures 403) from a destination's file.
#pragma once

#include <windows.h>

namespace ui {

// Level 1 refills 401 and selects row a; level 2 refills 402 with the items
// of major item a and selects b; level 3 refills 403 with the figures of
// (a, b) and selects c. When the file cannot be opened the list keeps its
// rows and only the selection is set.
void fill_category_list(HWND dialog, int destination_code, int level, int a, int b, int c);

}  // namespace ui

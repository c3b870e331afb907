// Filling the dialog's list boxes, shared by the category lists and the
// catalogue's maker and part lists.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

// Replaces the rows of a list box. Rows go in at explicit positions, so a
// sorted list keeps them in the order given; redrawing waits until the last
// row is in.
void fill_list_box(HWND list, const std::vector<std::string>& rows);

}  // namespace ui

// The main dialog's lists of a list file: maker list 404 and the added and
// deleted parts lists 405 and 406 (the preview dialog has its own 405 and
// 406 and fills them the same way), and the caption.
#pragma once

#include <windows.h>

#include <string>

namespace catalogue {

// Refills 404 with the list file's makers in file order.
void read_maker_list(HWND dialog, const char* list_file);

// Refills 405 and 406 of the dialog with the maker's added and deleted
// parts: figure names alone, or with_numbers "%6d  %s" rows.
void fill_part_lists(HWND dialog, const char* list_file, const char* maker, bool with_numbers);

// The text of a row of the maker list, at most 79 bytes ("" without one).
std::string maker_row(HWND dialog, int row);

// The maker list's selection changed: show that maker's parts.
void show_selected_maker(HWND dialog);

// After a new current list file was chosen: caption, makers, the first
// maker's parts (selected), and the status line asking for a destination.
void refresh_list_display(HWND dialog);

}  // namespace catalogue

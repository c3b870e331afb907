// テキスト読込: a list file chosen from HDPARTS\LST\ instead of a downloaded
// one.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ui {

// Opens the open-file dialog in the program's HDPARTS\LST\ on the list
// files. True with the chosen file's full path in path (path_size bytes).
bool choose_list_file(HWND dialog, const char* program_directory, char* remembered, char* path,
                      size_t path_size);

}  // namespace ui

// テキスト読込: a list file chosen from HDPARTS\LST\ becomes the current list
// file instead of a downloaded one.
#pragma once

#include <windows.h>

namespace catalogue {

// Gives 1 when a file was chosen and made the current list file; 0 leaves
// everything as it was.
int text_import(HWND dialog);

}  // namespace catalogue

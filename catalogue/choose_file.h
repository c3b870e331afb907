// Choosing a file with the common open or save dialog; failures other than
// a cancel are reported in a message box.
#pragma once

#include <windows.h>

namespace catalogue {

// path (in: initial file name; out: chosen full path) holds path_size bytes.
// directory, when given, is the folder to open in and receives the chosen
// file's folder; it holds kChooserPathSize bytes. The folder is remembered
// for the next call of the run. flags 0 takes the defaults: hide read-only,
// path and file must exist. Gives 1 with a file chosen, else 0.
int choose_file(HWND owner, char* path, size_t path_size, char* directory, int filter_string_id,
                int filter_index, const char* title, bool save, DWORD flags);

}  // namespace catalogue

// Choosing a file with the common open or save dialog; failures other than
// a cancel are reported in a message box.
#pragma once

#include <windows.h>

#include "catalogue/file_chooser.h"

namespace ui {

// path (in: initial file name; out: chosen full path) holds path_size bytes.
// remembered (kChooserPathSize bytes, kept by the caller for the run) is the
// folder the dialog opens in; directory, when given, replaces it first and
// receives the chosen file's folder. flags 0 takes the defaults: hide
// read-only, path and file must exist. True with a file chosen.
bool choose_file(HWND owner, char* path, size_t path_size, char* remembered, char* directory,
                 int filter_string_id, int filter_index, const char* title, bool save, DWORD flags);

}  // namespace ui

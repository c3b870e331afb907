#include "ui/text_import_win.h"

#include <direct.h>

#include "suite/data_path.h"
#include "ui/choose_file_win.h"

namespace ui {

bool choose_list_file(HWND dialog, const char* program_directory, char* remembered, char* path,
                      size_t path_size) {
  char directory[catalogue::kChooserPathSize];
  suite::join_data_path(program_directory, suite::kPartsFolder, "LST\\", directory,
                        sizeof directory);
  const int drive = _getdrive();
  path[0] = '\0';
  bool chosen = choose_file(dialog, path, path_size, remembered, directory,
                            catalogue::kListFilterStringId, 1, nullptr, false, 0);
  // A file taken from another drive leaves the process on the drive it had.
  if (_getdrive() != drive) _chdrive(drive);
  return chosen;
}

}  // namespace ui

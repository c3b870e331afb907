#include "catalogue/text_import.h"

#include <direct.h>

#include <cstring>

#include "app/app_state.h"
#include "app/shell.h"
#include "catalogue/choose_file.h"
#include "catalogue/file_chooser.h"

namespace catalogue {

int text_import(HWND dialog) {
  char directory[kChooserPathSize];
  app::join_data_path(app::program_directory(), "HDPARTS\\", "LST\\", directory);
  const int drive = _getdrive();
  char path[app::kListFilePathSize] = {};
  if (!choose_file(dialog, path, sizeof path, directory, kListFilterStringId, 1, nullptr, false, 0))
    return 0;
  // A file taken from another drive leaves the process on the drive it had.
  if (_getdrive() != drive) _chdrive(drive);
  std::strcpy(app::g_current_list_file, path);
  return 1;
}

}  // namespace catalogue

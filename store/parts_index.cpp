#include "store/parts_index.h"

#include "app/shell.h"
#include "platform/files.h"

namespace store {

const char kPartsIndexName[] = "TRBHN.DAT";
const char kPartsIndexBackupName[] = "TRBHNBAK.DAT";

void restore_parts_index(const char* program_directory) {
  char backup[512], index[512];
  app::join_data_path(program_directory, "HDTMP\\", kPartsIndexBackupName, backup);
  app::join_data_path(program_directory, "HDPARTS\\", kPartsIndexName, index);
  plat::copy_file(backup, index, false);
}

}  // namespace store

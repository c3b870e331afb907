#include "ui/backups.h"

#include "app/shell.h"
#include "platform/files.h"
#include "store/classification.h"
#include "store/parts_index.h"

namespace ui {
namespace {

// The order in which the copies are taken, restored and deleted.
const int kBackupOrder[] = {10, 0, 2, 3, 4};

}  // namespace

void take_backups(const char* program_directory) {
  char folder[512];
  app::join_data_path(program_directory, "HDTMP\\", "", folder);
  plat::create_directory(folder);  // without HDTMP\ there would be no way back

  for (int code : kBackupOrder) {
    std::string original = store::classification_file_path(program_directory, code);
    std::string copy = store::classification_file_path(program_directory, code + 100);
    plat::delete_file(copy.c_str());
    plat::copy_file(original.c_str(), copy.c_str(), false);
  }
  char index[512], copy[512];
  app::join_data_path(program_directory, "HDPARTS\\", store::kPartsIndexName, index);
  app::join_data_path(program_directory, "HDTMP\\", store::kPartsIndexBackupName, copy);
  plat::delete_file(copy);
  plat::copy_file(index, copy, false);
}

void restore_classification_files(const char* program_directory) {
  for (int code : kBackupOrder) {
    std::string original = store::classification_file_path(program_directory, code);
    std::string copy = store::classification_file_path(program_directory, code + 100);
    plat::copy_file(copy.c_str(), original.c_str(), false);
  }
}

void delete_backups(const char* program_directory) {
  for (int code : kBackupOrder) {
    std::string copy = store::classification_file_path(program_directory, code + 100);
    plat::delete_file(copy.c_str());
  }
  const char* work_files[] = {store::kPartsIndexName, store::kPartsIndexBackupName, "TRBHN.LZH"};
  for (const char* name : work_files) {
    char path[512];
    app::join_data_path(program_directory, "HDTMP\\", name, path);
    plat::delete_file(path);
  }
}

}  // namespace ui

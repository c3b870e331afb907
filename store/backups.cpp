#include "store/backups.h"

#include <string>

#include "platform/files.h"
#include "store/classification.h"
#include "store/parts_index.h"
#include "suite/data_path.h"

namespace store {
namespace {

// The order in which the copies are taken, restored and deleted.
const int kBackupOrder[] = {10, 0, 2, 3, 4};

std::string work_path(const char* program_directory, const char* name) {
  return suite::data_path(program_directory, suite::kWorkFolder, name);
}

// A copy that stops part way must not cost the file it was to bring back;
// a missing copy is nothing to bring back. The copy is tried before its
// existence is asked, so that one failed look cannot skip a file.
bool bring_back(const std::string& copy, const std::string& original, int* brought_back) {
  if (plat::copy_into_place(copy.c_str(), original.c_str())) {
    if (brought_back) ++*brought_back;
    return true;
  }
  return !plat::file_exists(copy.c_str());
}

void take_copy(const std::string& original, const std::string& copy) {
  plat::delete_file(copy.c_str());
  if (!plat::copy_into_place(original.c_str(), copy.c_str()))
    plat::copy_into_place(original.c_str(), copy.c_str());
}

}  // namespace

void take_backups(const char* program_directory) {
  plat::create_directory(work_path(program_directory, "").c_str());
  for (int code : kBackupOrder) {
    std::string original = classification_file_path(program_directory, code);
    take_copy(original, classification_file_path(program_directory, code + 100));
  }
  take_copy(parts_index_path(program_directory, IndexCopy::Local),
            work_path(program_directory, kPartsIndexBackupName));
}

bool restore_backups(const char* program_directory, int* classification_files, int* parts_index) {
  bool all = true;
  for (int code : kBackupOrder)
    all &= bring_back(classification_file_path(program_directory, code + 100),
                      classification_file_path(program_directory, code), classification_files);
  all &= bring_back(work_path(program_directory, kPartsIndexBackupName),
                    parts_index_path(program_directory, IndexCopy::Local), parts_index);
  return all;
}

void delete_backups(const char* program_directory) {
  for (int code : kBackupOrder)
    plat::delete_file(classification_file_path(program_directory, code + 100).c_str());
  for (const char* name : {kPartsIndexName, kPartsIndexBackupName, "TRBHN.LZH"})
    plat::delete_file(work_path(program_directory, name).c_str());
}

}  // namespace store

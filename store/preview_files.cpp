#include "store/preview_files.h"

#include <algorithm>
#include <string>

#include "platform/files.h"
#include "store/part_data.h"
#include "store/part_files.h"

namespace store {
namespace {

// The part file back from its RE file, or gone when it had none.
bool put_back(const char* program_directory, int32_t part) {
  std::string stored = part_file_path(program_directory, PartFileVariant::Current, part);
  std::string saved = part_file_path(program_directory, PartFileVariant::Saved, part);
  if (plat::file_exists(saved.c_str())) return plat::replace_file(saved.c_str(), stored.c_str());
  return plat::delete_file(stored.c_str()) || !plat::file_exists(stored.c_str());
}

// Parts outside this range are never downloaded and have no place in the
// store: a preview waiting for one would never open.
bool downloadable(int32_t part) { return part >= kFirstPartNumber && part <= kLastPartNumber; }

}  // namespace

void collect_referenced_parts(const char* program_directory, std::vector<int32_t>* work) {
  std::unordered_set<int32_t> listed(work->begin(), work->end());
  for (size_t n = 0; n < work->size(); ++n) {
    std::string view = work_file_path(program_directory, WorkFile::View, (*work)[n]);
    PartSections sections;
    if (read_part_sections(view.c_str(), &sections) != 1) continue;
    for (int64_t r = 0; r < sections.count[kPartReferenceSection]; ++r) {
      int32_t referenced = referenced_part_number(sections, r);
      if (downloadable(referenced) && listed.insert(referenced).second) work->push_back(referenced);
    }
  }
}

int prepare_preview_files(const char* program_directory, std::vector<int32_t> work,
                          PreviewSet* set) {
  set->parts.clear();
  set->members.clear();
  collect_referenced_parts(program_directory, &work);
  for (int32_t part : work) {
    if (!downloadable(part) || set->members.count(part)) continue;
    std::string view = work_file_path(program_directory, WorkFile::View, part);
    std::string stored = part_file_path(program_directory, PartFileVariant::Current, part);
    std::string saved = part_file_path(program_directory, PartFileVariant::Saved, part);
    if (plat::file_exists(stored.c_str())) {
      // The RE file is this opening's: one left by a run that ended
      // without closing the preview would put an old version back.
      if (!plat::copy_file(stored.c_str(), saved.c_str(), false)) continue;
      plat::copy_into_place(view.c_str(), stored.c_str());
    } else {
      if (!plat::file_exists(view.c_str())) return -1;
      plat::delete_file(saved.c_str());
      create_part_folder(program_directory, part);
      if (!plat::copy_file(view.c_str(), stored.c_str(), true)) continue;
    }
    set->parts.push_back(part);
    set->members.insert(part);
  }
  return 1;
}

bool restore_preview_files(const char* program_directory, PreviewSet* set) {
  bool all = true;
  for (int32_t part : set->parts) all &= put_back(program_directory, part);
  set->parts.clear();
  set->members.clear();
  return all;
}

bool restore_preview_file(const char* program_directory, PreviewSet* set, int32_t part) {
  if (!set->members.erase(part)) return false;
  set->parts.erase(std::find(set->parts.begin(), set->parts.end(), part));
  return put_back(program_directory, part);
}

}  // namespace store

#include "store/preview_files.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "platform/files.h"
#include "store/part_data.h"
#include "store/part_files.h"

namespace store {
namespace {

// The part file back from its RE file, or gone when it had none.
bool put_back(const char* program_directory, int32_t part, bool replaced) {
  std::string stored = part_file_path(program_directory, PartFileVariant::Current, part);
  if (replaced)
    return plat::replace_file(
        part_file_path(program_directory, PartFileVariant::Saved, part).c_str(), stored.c_str());
  return plat::delete_file(stored.c_str()) || !plat::file_exists(stored.c_str());
}

// The part file moved aside as RE (an RE file left by a run that never
// closed its preview goes first), and the preview copy written in its
// place; the part file goes back when the copy cannot be written.
bool replace_by_copy(const std::string& stored, const std::string& saved, const std::string& copy) {
  if (!plat::move_file(stored.c_str(), saved.c_str()) &&
      !(plat::delete_file(saved.c_str()) && plat::move_file(stored.c_str(), saved.c_str())))
    return false;
  if (plat::create_whole_file(stored.c_str(), copy.data(), copy.size())) return true;
  plat::move_file(saved.c_str(), stored.c_str());
  return false;
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

int prepare_preview_files(const char* program_directory, std::vector<int32_t> work, PreviewSet* set,
                          RecoveryLog* log) {
  set->parts.clear();
  set->members.clear();
  collect_referenced_parts(program_directory, &work);
  for (int32_t part : work) {
    if (!downloadable(part) || set->members.count(part)) continue;
    std::string view = work_file_path(program_directory, WorkFile::View, part);
    std::string stored = part_file_path(program_directory, PartFileVariant::Current, part);
    std::string saved = part_file_path(program_directory, PartFileVariant::Saved, part);
    const bool present = plat::file_exists(stored.c_str());
    std::string copy;
    if (!plat::read_file(view.c_str(), &copy)) {
      if (present) continue;  // drawn from its own file
      return -1;
    }
    // An error page or an empty answer never stands in the store.
    const uint8_t* head = reinterpret_cast<const uint8_t*>(copy.data());
    if (file_kind_of(head, copy.size(), view.c_str()) != kKindPartData) continue;
    const LoggedChange change =
        present ? LoggedChange::PreviewReplaced : LoggedChange::PreviewAdded;
    if (!log_change(log, change, part, content_hash(copy))) continue;
    if (present) {
      if (!replace_by_copy(stored, saved, copy)) continue;
    } else {
      create_part_folder(program_directory, part);
      if (!plat::create_whole_file(stored.c_str(), copy.data(), copy.size())) continue;
    }
    set->parts.push_back(part);
    set->members.emplace(part, present);
  }
  return 1;
}

bool restore_preview_files(const char* program_directory, PreviewSet* set) {
  std::vector<int32_t> kept;
  for (int32_t part : set->parts) {
    if (put_back(program_directory, part, set->members[part]))
      set->members.erase(part);
    else
      kept.push_back(part);
  }
  set->parts.swap(kept);
  return set->parts.empty();
}

bool restore_preview_file(const char* program_directory, PreviewSet* set, int32_t part) {
  auto member = set->members.find(part);
  if (member == set->members.end()) return false;
  const bool replaced = member->second;
  set->members.erase(member);
  set->parts.erase(std::find(set->parts.begin(), set->parts.end(), part));
  return put_back(program_directory, part, replaced);
}

}  // namespace store

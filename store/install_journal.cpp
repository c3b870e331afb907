#include "store/install_journal.h"

#include <string>

#include "platform/files.h"
#include "store/part_data.h"
#include "store/part_files.h"

namespace store {
namespace {

std::string part_file(const char* program_directory, int32_t part) {
  return part_file_path(program_directory, PartFileVariant::Current, part);
}

// HDPARTS\ and HDPARTS\PARTS%03d\ of the part: the store's own layout,
// made when a store lacks it.
void create_store_folder(const std::string& part_path) {
  size_t parts_folder = part_path.rfind('\\');
  size_t store_folder = part_path.rfind('\\', parts_folder - 1);
  plat::create_directory(part_path.substr(0, store_folder).c_str());
  plat::create_directory(part_path.substr(0, parts_folder).c_str());
}

// The part file replaced by the received one, saved as DELBH first when
// this is the part's first change in the run. The saved copy is a copy, so
// a replacement that fails leaves the part file where it was. A DELBH file
// without a journal entry is left from an earlier run and is overwritten.
bool replace_part_file(const char* program_directory, InstallJournal* journal, int32_t part,
                       const std::string& received, const std::string& target) {
  if (!journal->changed.count(part)) {
    std::string saved = work_file_path(program_directory, WorkFile::SavedPrevious, part);
    if (!plat::copy_file(target.c_str(), saved.c_str(), false)) return false;
    record_in_journal(journal, JournalAction::SavedPrevious, part);
  }
  return plat::replace_file(received.c_str(), target.c_str());
}

}  // namespace

bool record_in_journal(InstallJournal* journal, JournalAction action, int32_t part) {
  if (journal->changed.count(part)) return false;
  if (action != JournalAction::ViewFile) journal->changed.insert(part);
  journal->entries.push_back(JournalEntry{action, part});
  return true;
}

bool install_downloaded_part(const char* program_directory, InstallJournal* journal, int32_t part) {
  const std::string received = work_file_path(program_directory, WorkFile::Downloaded, part);
  const std::string target = part_file(program_directory, part);
  bool installed = false;
  if (detect_file_kind(received.c_str()) == kKindPartData) {
    // Whatever lies at the part's place is saved before it is replaced, so
    // that 中止 brings back exactly the file that was there.
    if (plat::file_exists(target.c_str())) {
      installed = replace_part_file(program_directory, journal, part, received, target);
    } else {
      installed = plat::move_file(received.c_str(), target.c_str());
      if (!installed) {
        create_store_folder(target);
        installed = plat::move_file(received.c_str(), target.c_str());
      }
      if (installed) record_in_journal(journal, JournalAction::Installed, part);
    }
  }
  plat::delete_file(received.c_str());
  std::string view = work_file_path(program_directory, WorkFile::View, part);
  if (detect_file_kind(view.c_str()) == kKindPartData)
    record_in_journal(journal, JournalAction::ViewFile, part);
  return installed;
}

void referenced_parts(const char* program_directory, int32_t part, std::vector<int32_t>* parts) {
  parts->clear();
  const std::string stored = part_file(program_directory, part);
  const std::string view = work_file_path(program_directory, WorkFile::View, part);
  std::vector<uint8_t> stream;
  read_element_stream(stored.c_str(), &stream);
  if (stream.empty()) read_element_stream(view.c_str(), &stream);
  stream_part_references(stream.data(), stream.size(), parts);

  const std::string* with_sections = part_data_version(stored.c_str()) >= 5 ? &stored
                                     : part_data_version(view.c_str()) >= 5 ? &view
                                                                            : nullptr;
  PartSections sections;
  if (!with_sections || read_part_sections(with_sections->c_str(), &sections) != 1) return;
  for (int64_t n = 0; n < sections.count[kPartReferenceSection]; ++n) {
    int32_t referenced = referenced_part_number(sections, n);
    if (referenced >= 1) parts->push_back(referenced);
  }
}

bool roll_back_part_files(const char* program_directory, const InstallJournal& journal) {
  bool all = true;
  for (const JournalEntry& entry : journal.entries) {
    const std::string target = part_file(program_directory, entry.part);
    if (entry.action == JournalAction::Installed) {
      all &= plat::delete_file(target.c_str()) || !plat::file_exists(target.c_str());
    } else if (entry.action == JournalAction::SavedPrevious) {
      std::string saved = work_file_path(program_directory, WorkFile::SavedPrevious, entry.part);
      all &= plat::copy_into_place(saved.c_str(), target.c_str());
    }
  }
  return all;
}

void clean_up_work_files(const char* program_directory, const InstallJournal& journal) {
  for (const JournalEntry& entry : journal.entries) {
    if (entry.action == JournalAction::SavedPrevious)
      plat::delete_file(
          work_file_path(program_directory, WorkFile::SavedPrevious, entry.part).c_str());
    else if (entry.action == JournalAction::ViewFile)
      plat::delete_file(work_file_path(program_directory, WorkFile::View, entry.part).c_str());
  }
}

}  // namespace store

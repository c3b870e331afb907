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

// The part file replaced by the received one, moved to DELBH first when
// this is the part's first change in the run (a DELBH file without a
// journal entry is left from an earlier run). A replacement that fails
// puts the part file back.
bool replace_part_file(const char* program_directory, InstallJournal* journal, int32_t part,
                       const std::string& received, const std::string& target, uint64_t hash) {
  if (journal->changed.count(part))
    return log_change(&journal->log, LoggedChange::PartChanged, part, hash) &&
           plat::replace_file(received.c_str(), target.c_str());
  if (!log_change(&journal->log, LoggedChange::PartSaved, part, hash)) return false;
  std::string saved = work_file_path(program_directory, WorkFile::SavedPrevious, part);
  if (!plat::move_file(target.c_str(), saved.c_str())) {
    plat::delete_file(saved.c_str());
    if (!plat::move_file(target.c_str(), saved.c_str())) return false;
  }
  if (!plat::move_file(received.c_str(), target.c_str())) {
    plat::move_file(saved.c_str(), target.c_str());
    return false;
  }
  record_in_journal(journal, JournalAction::SavedPrevious, part);
  return true;
}

// Into an empty place: a store that lacks the part's folder gets it.
bool put_new_part_file(const char* program_directory, InstallJournal* journal, int32_t part,
                       const std::string& received, const std::string& target, uint64_t hash) {
  if (!log_change(&journal->log, LoggedChange::PartAdded, part, hash)) return false;
  if (!plat::move_file(received.c_str(), target.c_str())) {
    create_part_folder(program_directory, part);
    if (!plat::move_file(received.c_str(), target.c_str())) return false;
  }
  record_in_journal(journal, JournalAction::Installed, part);
  return true;
}

const uint8_t* bytes_of(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

}  // namespace

bool record_in_journal(InstallJournal* journal, JournalAction action, int32_t part) {
  if (journal->changed.count(part)) return false;
  journal->changed.insert(part);
  journal->entries.push_back(JournalEntry{action, part});
  return true;
}

bool install_downloaded_part(const char* program_directory, InstallJournal* journal, int32_t part,
                             std::string* installed_bytes) {
  const std::string received = work_file_path(program_directory, WorkFile::Downloaded, part);
  const std::string target = part_file(program_directory, part);
  std::string bytes;
  bool installed = false;
  if (plat::read_file(received.c_str(), &bytes)) {
    size_t head = bytes.size() < kKindHeadBytes ? bytes.size() : kKindHeadBytes;
    // Whatever lies at the part's place is saved before it is replaced, so
    // that 中止 brings back exactly the file that was there.
    if (file_kind_of(bytes_of(bytes), head, received.c_str()) == kKindPartData) {
      const uint64_t hash = content_hash(bytes);
      installed = plat::file_exists(target.c_str())
                      ? replace_part_file(program_directory, journal, part, received, target, hash)
                      : put_new_part_file(program_directory, journal, part, received, target, hash);
    }
    if (!installed) plat::delete_file(received.c_str());
  }
  if (installed && installed_bytes) installed_bytes->swap(bytes);
  return installed;
}

void referenced_parts(const char* program_directory, int32_t part,
                      const std::string* part_file_bytes, std::vector<int32_t>* parts) {
  parts->clear();
  std::string stored, view;
  if (!part_file_bytes) {
    plat::read_file(part_file(program_directory, part).c_str(), &stored);
    part_file_bytes = &stored;
  }
  bool view_read = false;
  auto view_bytes = [&]() -> const std::string& {
    if (!view_read)
      plat::read_file(work_file_path(program_directory, WorkFile::View, part).c_str(), &view);
    view_read = true;
    return view;
  };
  std::vector<uint8_t> stream;
  element_stream_of(bytes_of(*part_file_bytes), part_file_bytes->size(), &stream);
  if (stream.empty()) element_stream_of(bytes_of(view_bytes()), view_bytes().size(), &stream);
  stream_part_references(stream.data(), stream.size(), parts);

  auto version = [](const std::string& file) {
    return part_data_version_of(bytes_of(file), file.size() < 20 ? file.size() : 20);
  };
  const std::string* with_sections = version(*part_file_bytes) >= 5 ? part_file_bytes
                                     : version(view_bytes()) >= 5   ? &view_bytes()
                                                                    : nullptr;
  PartSections sections;
  if (!with_sections ||
      part_sections_of(bytes_of(*with_sections), with_sections->size(), &sections) != 1)
    return;
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

}  // namespace store

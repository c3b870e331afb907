// Installing downloaded part data into the parts store, and the journal of
// every change a run makes to part files: 中止 and 初期化 roll the store back
// by it.
//
// The journal is kept for the whole run and never emptied; rolling back
// leaves it as it is, so the rollback can be repeated. The first change of
// a part fixes what the rollback restores: its saved copy in HDTMP\ holds
// the version from before the run.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "store/recovery_log.h"

namespace store {

enum class JournalAction : uint16_t {
  Installed = 0,      // a part file put where no part data file was
  SavedPrevious = 1,  // the part file saved as HDTMP\DELBH%07d.DAT first
};

struct JournalEntry {
  JournalAction action;
  int32_t part;
};

struct InstallJournal {
  std::vector<JournalEntry> entries;
  std::unordered_set<int32_t> changed;  // parts with an Installed or SavedPrevious entry
  // The same changes on disk, each written before it is made, for the
  // recovery of a run that dies.
  RecoveryLog log;
};

// Appends the entry; false when the part has an entry already. There is no
// limit on entries.
bool record_in_journal(InstallJournal* journal, JournalAction action, int32_t part);

// Moves HDTMP\BH%07d.DAT into the store when it is part data, saving
// whatever file it replaces, and creating the store folder when the store
// lacks it; a received file that is not part data is deleted. A change
// that cannot be written to the journal's log first is not made. True when
// the part file now holds the received data, which then goes to
// *installed_bytes if given.
bool install_downloaded_part(const char* program_directory, InstallJournal* journal, int32_t part,
                             std::string* installed_bytes = nullptr);

// The parts a part refers to, in the order they are asked for: the type-71
// elements of its stream (the part file's, else its view file's), then the
// section 7 records of the part file (or the view file) of version 5 or
// more. Numbers are as the file gives them; the caller drops those outside
// the downloadable range. part_file_bytes: the part file's bytes when the
// caller holds them (just installed), else null and the file is read.
void referenced_parts(const char* program_directory, int32_t part,
                      const std::string* part_file_bytes, std::vector<int32_t>* parts);

// Puts every journalled part file back as it was at opening: installed
// files deleted, saved ones copied back whole. Every entry is tried; false
// when any of them could not be brought back.
bool roll_back_part_files(const char* program_directory, const InstallJournal& journal);

}  // namespace store

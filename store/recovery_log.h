// The run's journal on disk, HDTMP\PARTSDL.JNL, and the recovery of a run
// that never ended. The journal exists from the moment the safety copies
// are taken until the run ends with 了解 or 中止, so a journal found at the
// next start means the process died in between. Each change of a part file
// is written to it before the change is made; recovery then undoes them
// newest first and brings back the classification files and the parts
// index from their safety copies.
//
// Each record carries a hash of the bytes the change puts at the part's
// place. Recovery deletes or replaces a part file only when it holds bytes
// the run put there (or is missing), so a record whose change never
// happened (the process died first, or the change failed) leaves the
// user's file alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace plat {
struct File;
}

namespace store {

enum class LoggedChange : uint8_t {
  PartSaved = 'S',        // the part file moves to HDTMP\DELBH%07d.DAT (its first change)
  PartAdded = 'I',        // a part file is put where none was
  PartChanged = 'U',      // a part file the run changed already is replaced or deleted
  PreviewReplaced = 'R',  // the part file moves to RE%07d.BHN, a preview copy takes its place
  PreviewAdded = 'N',     // a preview copy is put where no part file was
};

// Owns the journal's open file; letting go of it (destruction) leaves the
// file on disk, as the death of the process does.
struct RecoveryLog {
  std::string path;  // empty: the run keeps no journal (tests of single steps)
  plat::File* file = nullptr;
  uint64_t end = 0;  // where the next record goes

  RecoveryLog() = default;
  RecoveryLog(const RecoveryLog&) = delete;
  RecoveryLog& operator=(const RecoveryLog&) = delete;
  RecoveryLog(RecoveryLog&& other) noexcept { *this = std::move(other); }
  RecoveryLog& operator=(RecoveryLog&& other) noexcept;
  ~RecoveryLog();
};

uint64_t content_hash(const void* data, size_t size);
inline uint64_t content_hash(const std::string& bytes) {
  return content_hash(bytes.data(), bytes.size());
}

// Starts the journal of a run, empty, and keeps it open for appending.
// False when it could not be made; each change then tries again.
bool open_recovery_log(RecoveryLog* log, const char* program_directory);
// Appends a record before its change. True when it is on the disk or the run
// keeps no journal; false means the change must not be made.
bool log_change(RecoveryLog* log, LoggedChange change, int32_t part, uint64_t hash);
// The run has ended (了解, or 中止 with everything brought back): the journal
// is closed and deleted. False when it could not be deleted.
bool close_recovery_log(RecoveryLog* log);
// Lets go of the journal's file without deleting it, as the death of the
// process does.
void drop_recovery_log(RecoveryLog* log);

struct Recovered {
  int classification_files = 0;
  int parts_index = 0;
  int part_files = 0;
};
enum class Recovery {
  kNothing,     // no unfinished run
  kDone,        // rolled back to its opening; the journal is still there
  kIncomplete,  // some file could not be brought back: the journal stays for the next start
};
// Rolls an unfinished earlier run back to its opening: part files newest
// change first, then the classification files and the parts index from
// their safety copies; then deletes what the run's changes left beside the
// files. Doing it again after an interruption gives the same result, so
// the journal stays until the caller has cleared the rest of what the dead
// run left and deletes it with delete_recovery_log.
Recovery recover_unfinished_run(const char* program_directory, Recovered* what);
bool delete_recovery_log(const char* program_directory);

}  // namespace store

#include "store/recovery_log.h"

#include <map>
#include <set>
#include <vector>

#include "platform/byte_fields.h"
#include "platform/files.h"
#include "store/backups.h"
#include "store/classification.h"
#include "store/part_files.h"
#include "store/parts_index.h"
#include "suite/data_path.h"

namespace store {
namespace {

// An 8-byte head ("PDLJ", version 1), then 16-byte records: the change at
// byte 0, the part at 4, the hash at 8. A record cut short by the death of
// the process is ignored: its change was never begun.
const char kLogName[] = "PARTSDL.JNL";
const uint8_t kHead[8] = {'P', 'D', 'L', 'J', 1, 0, 0, 0};
constexpr size_t kRecordSize = 16;

struct Record {
  LoggedChange change;
  int32_t part;
  uint64_t hash;
};

std::string log_path(const char* program_directory) {
  return suite::data_path(program_directory, suite::kWorkFolder, kLogName);
}

bool start_log_file(RecoveryLog* log) {
  log->file = plat::open_file(log->path.c_str(), plat::kRead | plat::kWrite, plat::kShareRead,
                              plat::Disposition::CreateAlways);
  if (log->file && plat::write_at(log->file, 0, kHead, sizeof kHead) == sizeof kHead) {
    log->end = sizeof kHead;
    return true;
  }
  plat::close_file(log->file);
  log->file = nullptr;
  return false;
}

// A file read whole; *missing tells a file that is not there from one that
// could not be read.
bool read_whole(const std::string& path, std::string* bytes, bool* missing) {
  *missing = false;
  if (plat::read_file(path.c_str(), bytes)) return true;
  *missing = !plat::file_exists(path.c_str());
  return false;
}

struct Undo {
  const char* program_directory;
  std::map<int32_t, std::set<uint64_t>> put_by_run;  // every hash the run put at a part's place
  bool complete = true;
  int part_files = 0;
};

// The part file as the undo finds it: missing, put there by the run, or
// another file (the user's, when the change never happened).
enum class Place { Missing, Ours, Foreign, Unreadable };

Place place_of(const Undo& undo, int32_t part, const std::string& target) {
  std::string bytes;
  bool missing;
  if (!read_whole(target, &bytes, &missing)) return missing ? Place::Missing : Place::Unreadable;
  auto found = undo.put_by_run.find(part);
  return found != undo.put_by_run.end() && found->second.count(content_hash(bytes))
             ? Place::Ours
             : Place::Foreign;
}

void undo_record(Undo* undo, const Record& record) {
  const char* dir = undo->program_directory;
  if (record.change == LoggedChange::PartChanged) return;
  std::string target = part_file_path(dir, PartFileVariant::Current, record.part);
  Place place = place_of(*undo, record.part, target);
  if (place == Place::Unreadable) {
    undo->complete = false;
    return;
  }
  if (record.change == LoggedChange::PartAdded || record.change == LoggedChange::PreviewAdded) {
    if (place != Place::Ours) return;
    if (plat::delete_file(target.c_str()) || !plat::file_exists(target.c_str()))
      ++undo->part_files;
    else
      undo->complete = false;
    return;
  }
  if (place == Place::Foreign) return;  // the part file never left
  std::string saved = record.change == LoggedChange::PartSaved
                          ? work_file_path(dir, WorkFile::SavedPrevious, record.part)
                          : part_file_path(dir, PartFileVariant::Saved, record.part);
  bool back = place == Place::Missing ? plat::move_file(saved.c_str(), target.c_str())
                                      : plat::replace_file(saved.c_str(), target.c_str());
  if (back)
    ++undo->part_files;
  else if (plat::file_exists(saved.c_str()))
    undo->complete = false;
}

bool read_records(const std::string& path, std::vector<Record>* records) {
  std::string bytes;
  bool missing;
  if (!read_whole(path, &bytes, &missing)) return false;
  const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t at = sizeof kHead; at + kRecordSize <= bytes.size(); at += kRecordSize)
    records->push_back(Record{static_cast<LoggedChange>(data[at]), plat::get_i32(data + at + 4),
                              plat::get_u64(data + at + 8)});
  return true;
}

}  // namespace

RecoveryLog& RecoveryLog::operator=(RecoveryLog&& other) noexcept {
  if (this != &other) {
    plat::close_file(file);
    path = std::move(other.path);
    file = other.file;
    end = other.end;
    other.file = nullptr;
  }
  return *this;
}

RecoveryLog::~RecoveryLog() { plat::close_file(file); }

uint64_t content_hash(const void* data, size_t size) {
  // FNV-1a: tells the bytes the run wrote from any other version of a part.
  uint64_t hash = 14695981039346656037ull;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (size_t n = 0; n < size; ++n) hash = (hash ^ bytes[n]) * 1099511628211ull;
  return hash;
}

bool open_recovery_log(RecoveryLog* log, const char* program_directory) {
  drop_recovery_log(log);
  log->path = log_path(program_directory);
  log->end = 0;
  return start_log_file(log);
}

bool log_change(RecoveryLog* log, LoggedChange change, int32_t part, uint64_t hash) {
  if (log->path.empty()) return true;
  if (!log->file && (log->end != 0 || !start_log_file(log))) return false;
  uint8_t record[kRecordSize] = {static_cast<uint8_t>(change)};
  plat::put_u32(record + 4, static_cast<uint32_t>(part));
  plat::put_u64(record + 8, hash);
  // A failed write leaves `end` where it was: the next record goes over it.
  if (plat::write_at(log->file, log->end, record, sizeof record) != sizeof record) return false;
  log->end += sizeof record;
  return true;
}

bool delete_recovery_log(const char* program_directory) {
  const std::string path = log_path(program_directory);
  return plat::delete_file(path.c_str()) || !plat::file_exists(path.c_str());
}

bool close_recovery_log(RecoveryLog* log) {
  if (log->path.empty()) return true;
  plat::close_file(log->file);
  log->file = nullptr;
  return plat::delete_file(log->path.c_str()) || !plat::file_exists(log->path.c_str());
}

void drop_recovery_log(RecoveryLog* log) {
  plat::close_file(log->file);
  log->file = nullptr;
}

Recovery recover_unfinished_run(const char* program_directory, Recovered* what) {
  *what = Recovered();
  const std::string path = log_path(program_directory);
  std::vector<Record> records;
  if (!read_records(path, &records))
    return plat::file_exists(path.c_str()) ? Recovery::kIncomplete : Recovery::kNothing;
  Undo undo;
  undo.program_directory = program_directory;
  for (const Record& record : records) undo.put_by_run[record.part].insert(record.hash);
  for (auto record = records.rbegin(); record != records.rend(); ++record)
    undo_record(&undo, *record);
  what->part_files = undo.part_files;
  bool restored =
      restore_backups(program_directory, &what->classification_files, &what->parts_index);
  if (!undo.complete || !restored) return Recovery::kIncomplete;
  // Copies a change left behind when the part file stayed where it was,
  // and the halves of whole-file writes the death cut short.
  for (int code : {10, 0, 2, 3, 4})
    plat::delete_file((classification_file_path(program_directory, code) + ".new").c_str());
  plat::delete_file((parts_index_path(program_directory, IndexCopy::Local) + ".new").c_str());
  for (const Record& record : records) {
    plat::delete_file(
        (part_file_path(program_directory, PartFileVariant::Current, record.part) + ".new")
            .c_str());
    if (record.change == LoggedChange::PartSaved)
      plat::delete_file(
          work_file_path(program_directory, WorkFile::SavedPrevious, record.part).c_str());
    else if (record.change == LoggedChange::PreviewReplaced)
      plat::delete_file(
          part_file_path(program_directory, PartFileVariant::Saved, record.part).c_str());
  }
  return Recovery::kDone;
}

}  // namespace store

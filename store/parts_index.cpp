#include "store/parts_index.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/byte_fields.h"
#include "suite/data_path.h"

namespace store {

const char kPartsIndexName[] = "TRBHN.DAT";
const char kPartsIndexBackupName[] = "TRBHNBAK.DAT";

namespace {

// An index held by another program is asked for again after a pause, for
// at most about a second.
constexpr int kReadAttempts = 50;
constexpr unsigned kReadPauseMs = 20;

int32_t record_part(const uint8_t* index, int record) {
  return plat::get_i32(index + kRecordOffset + kPartRecordSize * record);
}

RecordPosition position_of(int record) {
  return {record / (kIndexSubgroups * kIndexSlots), record / kIndexSlots % kIndexSubgroups,
          record % kIndexSlots};
}

bool downloaded_unchanged(const PartsIndexStore& store, const std::string& path) {
  if (!store.downloaded_loaded) return false;
  uint64_t time;
  return plat::file_size(path.c_str()) == store.downloaded_size &&
         plat::file_write_time(path.c_str(), &time) && time == store.downloaded_time;
}

bool load_downloaded(PartsIndexStore* store) {
  std::string path = parts_index_path(store->program_directory.c_str(), IndexCopy::Downloaded);
  // Nothing on the program's thread replaces the downloaded index while an
  // operation runs: it is looked at once per operation.
  if (store->downloaded_checked || downloaded_unchanged(*store, path)) {
    store->downloaded_checked = store->downloaded_loaded;
    return store->downloaded_loaded;
  }
  store->downloaded_loaded = false;
  store->downloaded_records.clear();
  store->downloaded_records.shrink_to_fit();
  // Size and time are taken before the contents: a file replaced during the
  // read then looks changed at the next look, never the other way round.
  int64_t size = plat::file_size(path.c_str());
  uint64_t time = 0;
  if (size < 0 || !plat::file_write_time(path.c_str(), &time)) return false;
  if (!read_parts_index(store->program_directory.c_str(), IndexCopy::Downloaded,
                        &store->downloaded))
    return false;
  for (int record = 0; record < kIndexRecords; ++record) {
    int32_t part = record_part(store->downloaded.data(), record);
    if (part != 0) store->downloaded_records.emplace_back(part, record);
  }
  std::sort(store->downloaded_records.begin(), store->downloaded_records.end());
  store->downloaded_size = size;
  store->downloaded_time = time;
  store->downloaded_loaded = true;
  store->downloaded_checked = true;
  return true;
}

bool load_local(PartsIndexStore* store) {
  if (store->local_loaded) return true;
  store->local_loaded =
      read_parts_index(store->program_directory.c_str(), IndexCopy::Local, &store->local);
  return store->local_loaded;
}

bool index_files_exist(const char* program_directory) {
  return plat::file_exists(parts_index_path(program_directory, IndexCopy::Local).c_str()) &&
         plat::file_exists(parts_index_path(program_directory, IndexCopy::Downloaded).c_str());
}

}  // namespace

std::string parts_index_path(const char* program_directory, IndexCopy which) {
  return suite::data_path(program_directory,
                          which == IndexCopy::Local ? suite::kPartsFolder : suite::kWorkFolder,
                          kPartsIndexName);
}

bool read_parts_index(const char* program_directory, IndexCopy which, std::vector<uint8_t>* index) {
  index->assign(kPartsIndexSize, 0);
  std::string path = parts_index_path(program_directory, which);
  plat::File* file =
      plat::open_file(path.c_str(), plat::kRead, plat::kShareRead, plat::Disposition::OpenExisting);
  if (!file) return false;
  int64_t got = plat::read_at(file, 0, index->data(), index->size());
  plat::close_file(file);
  if (got < 0) index->assign(kPartsIndexSize, 0);
  return got >= 0;
}

bool write_parts_index(const char* program_directory, IndexCopy which, const uint8_t* index) {
  return plat::replace_whole_file(parts_index_path(program_directory, which).c_str(), index,
                                  kPartsIndexSize);
}

bool find_part_record(const uint8_t* index, int32_t part, RecordPosition* at) {
  for (int record = 0; record < kIndexRecords; ++record) {
    if (record_part(index, record) == part) {
      *at = position_of(record);
      return true;
    }
  }
  return false;
}

bool find_matching_subgroup(const uint8_t* index, int16_t group_code, int16_t subgroup_code,
                            const uint8_t* descriptive, int* group, int* subgroup) {
  for (int g = 0; g < kIndexGroups; ++g) {
    if (plat::get_i16(index + group_offset(g)) != group_code) continue;
    for (int s = 0; s < kIndexSubgroups; ++s) {
      const uint8_t* entry = index + subgroup_offset(g, s);
      if (plat::get_i16(entry) != subgroup_code) continue;
      if (std::memcmp(entry + 2, descriptive, kDescriptiveBytes) == 0) {
        *group = g;
        *subgroup = s;
        return true;
      }
      break;  // only the first subgroup with the code counts in each group
    }
  }
  return false;
}

bool merge_record_at(uint8_t* local, const uint8_t* downloaded, RecordPosition from) {
  const uint8_t* source = downloaded + record_offset(from.group, from.subgroup, from.slot);
  int32_t part = plat::get_i32(source);
  const uint8_t* source_subgroup = downloaded + subgroup_offset(from.group, from.subgroup);
  bool changed = false;

  int g, s;
  if (!find_matching_subgroup(local, plat::get_i16(downloaded + group_offset(from.group)),
                              plat::get_i16(source_subgroup), source_subgroup + 2, &g, &s)) {
    g = from.group;
    s = from.subgroup;
    uint8_t* target_subgroup = local + subgroup_offset(g, s);
    if (plat::get_i16(target_subgroup) == 0) {
      std::memcpy(target_subgroup, source_subgroup, kGroupEntrySize);
      changed = true;
    }
  }

  uint8_t* same_slot = local + record_offset(g, s, from.slot);
  int32_t holder = plat::get_i32(same_slot);
  if (holder == 0) {
    std::memcpy(same_slot, source, kPartRecordSize);
    return true;
  }
  if (holder == part) return changed;
  RecordPosition elsewhere;
  if (find_part_record(local, part, &elsewhere)) return changed;
  for (int k = 0; k < kIndexSlots; ++k) {
    uint8_t* slot = local + record_offset(g, s, k);
    if (plat::get_i32(slot) == 0) {
      std::memcpy(slot, source, kPartRecordSize);
      return true;
    }
  }
  return changed;  // a full subgroup leaves the part unindexed
}

bool remove_record(uint8_t* local, int32_t part) {
  RecordPosition at;
  // Number 0 marks free slots, never a part.
  if (part == 0 || !find_part_record(local, part, &at)) return false;
  std::memset(local + record_offset(at.group, at.subgroup, at.slot), 0, kPartRecordSize);
  return true;
}

void begin_index_changes(PartsIndexStore* store) {
  if (store->depth++ == 0) store->downloaded_checked = false;
}

int end_index_changes(PartsIndexStore* store) {
  if (store->depth > 0) --store->depth;
  if (store->depth > 0) return 1;
  int result = 1;
  if (store->local_loaded && store->local_changed)
    result =
        write_parts_index(store->program_directory.c_str(), IndexCopy::Local, store->local.data())
            ? 1
            : 0;
  // The file may change between operations (a restore, another program of
  // the suite), so the next operation reads it afresh.
  store->local_loaded = false;
  store->local_changed = false;
  std::vector<uint8_t>().swap(store->local);
  return result;
}

int merge_part_record(PartsIndexStore* store, int32_t part) {
  begin_index_changes(store);
  bool loaded = load_local(store) && load_downloaded(store);
  // Another program (the unpacker, the suite) may hold an index for a
  // moment; a file that is not there at all is not waited for.
  for (int attempt = 1; attempt < kReadAttempts && !loaded; ++attempt) {
    if (!index_files_exist(store->program_directory.c_str())) break;
    plat::sleep_milliseconds(kReadPauseMs);
    loaded = load_local(store) && load_downloaded(store);
  }
  bool changed = false;
  if (loaded && part != 0) {
    const auto& records = store->downloaded_records;
    auto found = std::lower_bound(records.begin(), records.end(), std::make_pair(part, 0));
    if (found != records.end() && found->first == part)
      changed = merge_record_at(store->local.data(), store->downloaded.data(),
                                position_of(found->second));
  }
  if (changed) store->local_changed = true;
  // Outside a run the call is the whole operation, and a change that could
  // not be written is no change.
  return end_index_changes(store) == 1 && changed ? 1 : 0;
}

int remove_part_record(PartsIndexStore* store, int32_t part) {
  begin_index_changes(store);
  bool changed = load_local(store) && remove_record(store->local.data(), part);
  if (changed) store->local_changed = true;
  // Outside a run the call is the whole operation, and a change that could
  // not be written is no change.
  return end_index_changes(store) == 1 && changed ? 1 : 0;
}

}  // namespace store

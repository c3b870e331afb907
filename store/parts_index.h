// The parts index TRBHN.DAT: 40 groups x 60 subgroups x 100 part records at
// fixed positions, 6783440 bytes, no header. The local index lives in
// HDPARTS\, the server's current one (downloaded) in HDTMP\, and the copy
// taken when the main dialog opens in HDTMP\TRBHNBAK.DAT.
//
//   0      1040      40 groups, 26 bytes each
//   1040   62400     40 x 60 subgroups, 26 bytes each
//   63440  6720000   40 x 60 x 100 part records, 28 bytes each
//
// Group and subgroup: i16 code (0 = empty), 24 descriptive bytes.
// Part record: i32 part number (0 = empty slot), 24 bytes carried as a block.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace store {

extern const char kPartsIndexName[];        // "TRBHN.DAT"
extern const char kPartsIndexBackupName[];  // "TRBHNBAK.DAT"

constexpr int kIndexGroups = 40;
constexpr int kIndexSubgroups = 60;  // per group
constexpr int kIndexSlots = 100;     // per subgroup
constexpr uint32_t kPartsIndexSize = 6783440;
constexpr uint32_t kGroupEntrySize = 26;
constexpr uint32_t kPartRecordSize = 28;
constexpr uint32_t kSubgroupOffset = 1040;
constexpr uint32_t kRecordOffset = 63440;
constexpr uint32_t kDescriptiveBytes = 24;  // after the code of a (sub)group
constexpr int kIndexRecords = kIndexGroups * kIndexSubgroups * kIndexSlots;

inline uint32_t group_offset(int g) { return kGroupEntrySize * g; }
inline uint32_t subgroup_offset(int g, int s) {
  return kSubgroupOffset + kGroupEntrySize * (kIndexSubgroups * g + s);
}
inline uint32_t record_offset(int g, int s, int k) {
  return kRecordOffset + 168000u * g + 2800u * s + kPartRecordSize * k;
}

enum class IndexCopy { Local, Downloaded };
std::string parts_index_path(const char* program_directory, IndexCopy which);

// Reads a whole index into *index (kPartsIndexSize bytes): a shorter file
// reads as if padded with zeros, bytes past the size are ignored. False when
// the file cannot be opened or read.
bool read_parts_index(const char* program_directory, IndexCopy which, std::vector<uint8_t>* index);

// Writes kPartsIndexSize bytes as a whole-file rewrite: false with the
// previous index left as it was.
bool write_parts_index(const char* program_directory, IndexCopy which, const uint8_t* index);

struct RecordPosition {
  int group, subgroup, slot;
};

// The first record, in order of group, subgroup and slot, carrying part.
bool find_part_record(const uint8_t* index, int32_t part, RecordPosition* at);

// The first subgroup with code subgroup_code in a group with code group_code
// whose descriptive bytes equal descriptive; a group whose first such
// subgroup differs gives way to the next group.
bool find_matching_subgroup(const uint8_t* index, int16_t group_code, int16_t subgroup_code,
                            const uint8_t* descriptive, int* group, int* subgroup);

// Brings the record at `from` in the downloaded index into the local index:
// into the matching subgroup (or the same position, whose empty subgroup
// entry is then filled), at the same slot when that is free, otherwise into
// the first free slot unless the part is already indexed. True when local
// changed.
bool merge_record_at(uint8_t* local, const uint8_t* downloaded, RecordPosition from);
// Clears the part's first record. False when the part is not indexed.
bool remove_record(uint8_t* local, int32_t part);

// The two indexes as a run of operations sees them. The downloaded index is
// read-only while the program runs: it is read once and kept while its size
// and last-write time stay the same. The local index is read when an
// operation first needs it and written once when the operation ends, with
// the bytes that writing after every change would have left.
//
// Operations nest: a download report handled inside an add run's message
// box joins the add run, so the outer run never writes over the inner one's
// changes with a stale copy.
struct PartsIndexStore {
  std::string program_directory;

  std::vector<uint8_t> downloaded;
  bool downloaded_loaded = false;
  int64_t downloaded_size = -1;
  uint64_t downloaded_time = 0;
  // (part, record number) of every record, sorted: the first record of a
  // part is found without a scan.
  std::vector<std::pair<int32_t, int32_t>> downloaded_records;
  bool downloaded_checked = false;  // found unchanged in the operation running

  std::vector<uint8_t> local;
  bool local_loaded = false;
  bool local_changed = false;
  int depth = 0;  // operations open
};

void begin_index_changes(PartsIndexStore* store);
// Ends an operation; the outermost one writes the local index when it
// changed and lets go of it. 1 when the file holds the changes (or there
// were none), 0 when the write failed and the previous index stays.
int end_index_changes(PartsIndexStore* store);

// Merges one part's record from the downloaded index into the local one.
// Up to 50 attempts are made to read both; a missing index changes nothing.
// Outside begin/end the call is an operation of its own. 1 when the local
// index changed (outside a run: and was written), else 0.
int merge_part_record(PartsIndexStore* store, int32_t part);
// Clears a part's record; a part that is not indexed leaves the file as it
// is, not even rewritten. 1 when the local index changed, else 0, as for
// a merge.
int remove_part_record(PartsIndexStore* store, int32_t part);

}  // namespace store

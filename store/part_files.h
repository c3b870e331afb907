// Part files in the store (HDPARTS\PARTSnnn\Pnnnnnnn.BHN), the work files
// that accompany them in HDTMP\, and telling a file's kind by its header or,
// failing that, by its name.
#pragma once

#include <cstdint>
#include <string>

namespace store {

// Part numbers that the program downloads lie in this range.
constexpr int32_t kFirstPartNumber = 1001;
constexpr int32_t kLastPartNumber = 60000;

// 2000 parts to a store directory: 1001-3000 in PARTS000, 3001-5000 in
// PARTS001, ..., 59001-60000 in PARTS029.
int store_directory_number(int32_t part);

enum class PartFileVariant {
  Current,  // P%07d.BHN, the part's data
  Saved,    // RE%07d.BHN, kept while the preview puts a view file in its place
};
std::string part_file_path(const char* program_directory, PartFileVariant variant, int32_t part);

// Makes HDPARTS\ and the part's HDPARTS\PARTS%03d\ when the store lacks
// them: the store's own layout.
void create_part_folder(const char* program_directory, int32_t part);

enum class WorkFile {
  Downloaded,     // HDTMP\BH%07d.DAT, part data as received for registration
  View,           // HDTMP\VIEW%07d.DAT, the same data fetched for the preview
  SavedPrevious,  // HDTMP\DELBH%07d.DAT, a replaced or deleted part file
};
std::string work_file_path(const char* program_directory, WorkFile file, int32_t part);
// Deletes every part's work file in HDTMP\ (BH, VIEW and DELBH with seven
// digits), whichever run left it: the end of a run leaves none.
void delete_work_files(const char* program_directory);

// 1 when the file can be opened (no access, sharing read and write), else -1.
int part_file_exists(const char* path);
// 1 and *size when the file can be opened for reading and measured, else -1.
int part_file_size(const char* path, int64_t* size);

// File kind codes. Only kKindPartData is installed into the store.
constexpr int kKindUnknown = -1;
constexpr int kKindPartData = 13;
// How many leading bytes decide the kind.
constexpr size_t kKindHeadBytes = 40;

// The kind of a file whose first bytes are head (at most kKindHeadBytes of
// them are looked at; fewer when the file is shorter) and whose name is path.
int file_kind_of(const uint8_t* head, size_t head_size, const char* path);
// Opens the file without sharing and reads its head; -1 when it cannot be
// opened.
int detect_file_kind(const char* path);

// Version of a part data file by its first 20 bytes: 6 "PT-V01", 5 "GZK-V1",
// 4 "V4-1", 3 "V3-1", 2 when the 16-bit value at offset 12 is 830, else 1;
// -1 when the file cannot be opened.
int part_data_version_of(const uint8_t* head, size_t head_size);
int part_data_version(const char* path);

}  // namespace store

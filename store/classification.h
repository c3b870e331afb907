// Classification files: per destination, 12 major items x 40 classification
// items x 50 figure entries in one fixed-size table file (magic
// "PVN-VTZ-V02"). Older "PVN-VTZ-V01" files are converted on first open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace store {

constexpr int kMajorItems = 12;
constexpr int kClassItems = 40;   // per major item
constexpr int kFigureSlots = 50;  // per classification item
constexpr int kNameBytes = 24;    // Shift-JIS, NUL-padded

// Current layout.
constexpr uint32_t kClassFileSize = 834288;
constexpr uint32_t kHeaderSize = 512;
constexpr uint32_t kReservedOffset = 512;
constexpr uint32_t kReservedSize = 52000;
constexpr uint32_t kMajorOffset = 52512;
constexpr uint32_t kClassOffset = 52848;
constexpr uint32_t kFigureOffset = 66288;
constexpr uint32_t kFigureAreaSize = 768000;
constexpr uint32_t kCategoryEntrySize = 28;
constexpr uint32_t kFigureEntrySize = 32;

// Older layout, read only for conversion.
constexpr uint32_t kOldFileSize = 199550;

extern const char kMagicCurrent[];  // "PVN-VTZ-V02"
extern const char kMagicOld[];      // "PVN-VTZ-V01"

// Destination codes: 0 3DCAD, 2 roof plan, 3 2DCAD, 4 仕様書 (sheets),
// 10 other. Code + 100 names the backup copy in HDTMP\ instead of HDINI\.
std::string classification_file_path(const char* program_directory, int code);

inline uint32_t major_item_offset(int m) { return kMajorOffset + 28u * m; }
inline uint32_t class_item_offset(int m, int i) { return kClassOffset + 1120u * m + 28u * i; }
inline uint32_t figure_entry_offset(int m, int i, int f) {
  return kFigureOffset + 64000u * m + 1600u * i + 32u * f;
}

// Writes a complete empty current-layout file (beside the path, then put in
// place). False after telling the user "%s ファイルがオープンできませんでした。".
bool create_empty_classification_file(const char* path);

enum class OpenMode { Read, Write };
// Opens the file of a destination. Read: a missing file is created empty, an
// older-layout file is converted first, any other header fails (-1) and the
// file stays untouched. Write: exclusive, created when missing, magic not
// tested. 1 with *file set, or -1. The caller closes the file.
int open_classification_file(const char* program_directory, int destination_code, OpenMode mode,
                             plat::File** file);

// Converts an older-layout file: the complete new file is written beside it
// and put in its place only when whole, so a failure leaves it as it was.
bool upgrade_classification_file(const char* path);

// The rows of one category list, as the main dialog shows them:
// level 1 the 12 major items, level 2 the 40 classification items of major
// item a, level 3 the 50 figure names of classification item (a, b). An empty
// name shows as "   "; a name without NUL is its 24 bytes. 1 with the rows,
// -1 when the file cannot be opened, 0 for another level.
int read_category_rows(const char* program_directory, int destination_code, int level, int a, int b,
                       std::vector<std::string>* rows);

}  // namespace store

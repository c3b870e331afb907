// Classification files of both layouts with a recognisable name in every
// entry, written field by field, for the unit and the end-to-end tests.
#pragma once

#include <string>
#include <vector>

#include "store/classification.h"

constexpr size_t kCurrentSize = store::kClassFileSize, kOldSize = store::kOldFileSize;

// A current-layout file: every major item, classification item and figure
// named "<tag>...", part numbers set, a reserved block other than zeros, and
// figure (0, 0, 7) named with all 24 bytes and no terminator.
std::string current_file(const std::string& tag);
// An older-layout file (names "旧..." everywhere, a triple per figure, major
// item 9 named with all 23 bytes) and the current-layout file it becomes.
struct OldFile {
  std::string old, converted;
};
OldFile old_file();
// The rows the category lists show for a current-layout file: level 1 the
// 12 major items, level 2 the 40 items of major item a, level 3 the 50
// figures of item (a, b); an empty name shows as three spaces.
std::vector<std::string> rows_of(const std::string& image, int level, int a = 0, int b = 0);

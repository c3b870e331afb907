// Classification file images for the end-to-end cases: files of the current
// and the older layout with a recognisable name in every entry, the image an
// older file must become, and the list rows a file must show.
#pragma once

#include <string>
#include <vector>

namespace e2e {

constexpr size_t kCurrentFileSize = 834288;
constexpr size_t kOldFileSize = 199550;

// A current-layout file with every major item, classification item and
// figure named "<tag>..." (tag a few bytes of cp932), part numbers set, and
// a reserved block that differs from zeros. Figure (5, 0, 7) has a 24-byte
// name without terminator.
std::string current_file(const std::string& tag);

// An older-layout file: names "旧..." in every item and figure, each figure
// with its own triple, major item 9 named with all 23 bytes, and a
// recognisable reserved block.
std::string old_file();

// The current-layout image that old_file() converts to.
std::string converted_old_file();

// The rows the category lists show for a current-layout image: level 1 the
// 12 major items, level 2 the 40 classification items of major item a,
// level 3 the 50 figures of classification item (a, b).
std::vector<std::string> expected_rows(const std::string& image, int level, int a, int b);

// 12, 40 or 50 rows of three spaces.
std::vector<std::string> blank_rows(int count);

}  // namespace e2e

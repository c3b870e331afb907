#include "tests/support/classification_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// The current layout is the store's (store/classification.h): names at 4
// in major and classification items, part number at 2 and name at 8 in
// figures. Older layout: 10 major items, 100 items and 5,000 figure names of
// 23 bytes, then 5,000 triples of 6 bytes and the reserved block.

namespace {

using store::kReservedSize;
constexpr size_t kOldReserved = 147550;

size_t major_at(int m) { return store::major_item_offset(m) + 4; }
size_t item_at(int m, int i) { return store::class_item_offset(m, i) + 4; }
size_t figure_at(int m, int i, int f) { return store::figure_entry_offset(m, i, f); }

void put(std::string* image, size_t offset, const std::string& bytes, size_t field) {
  image->replace(offset, std::min(bytes.size(), field), bytes.substr(0, field));
}

std::string le16(unsigned value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string name(const char* pattern, const std::string& tag, int a, int b = 0, int c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, tag.c_str(), a, b, c);
  return text;
}

// A file of the layout with the magic and a recognisable reserved block.
std::string blank(size_t size, const char* magic, size_t reserved_at, unsigned char seed) {
  std::string image(size, '\0');
  image.replace(0, 11, magic);
  for (size_t k = 0; k < kReservedSize; ++k)
    image[reserved_at + k] = static_cast<char>((k * 7 + seed + (k >> 9)) & 0xFF);
  return image;
}

}  // namespace

std::string current_file(const std::string& tag) {
  std::string image = blank(kCurrentSize, store::kMagicCurrent, store::kReservedOffset,
                            static_cast<unsigned char>(tag[0]));
  for (int m = 0; m < 12; ++m) {
    put(&image, major_at(m), name("%s大%02d", tag, m), 24);
    for (int i = 0; i < 40; ++i) {
      put(&image, item_at(m, i), name("%s分%02d-%02d", tag, m, i), 24);
      for (int f = 0; f < 50; ++f) {
        put(&image, figure_at(m, i, f) + 2, le16(1001 + (m * 40 + i) * 50 + f), 2);
        put(&image, figure_at(m, i, f) + 8, name("%s図%02d%02d%02d", tag, m, i, f), 24);
      }
    }
  }
  put(&image, figure_at(0, 0, 7) + 8, "FULL-24-BYTES-NO-NUL-XYZ", 24);
  return image;
}

OldFile old_file() {
  OldFile file = {blank(kOldSize, store::kMagicOld, kOldReserved, 0x5A),
                  blank(kCurrentSize, store::kMagicCurrent, store::kReservedOffset, 0)};
  file.converted.replace(store::kReservedOffset, kReservedSize,
                         file.old.substr(kOldReserved, kReservedSize));
  // Each field written to the old file goes to its place in the converted one.
  auto both = [&](size_t old_at, size_t new_at, const std::string& bytes, size_t size) {
    put(&file.old, old_at, bytes, size);
    file.converted.replace(new_at, size, file.old.substr(old_at, size));
  };
  for (int m = 0; m < 10; ++m) {
    both(20 + 23 * m, major_at(m), m == 9 ? "MAJOR-NINE-23-BYTES-ABC" : name("%s旧大項目%d", "", m),
         23);
    for (int i = 0; i < 10; ++i) {
      int entry = 10 * m + i;
      both(250 + 23 * entry, item_at(m, i), name("%s旧分類%d-%d", "", m, i), 23);
      for (int f = 0; f < 50; ++f) {
        int figure = entry * 50 + f;
        both(2550 + 23 * figure, figure_at(m, i, f) + 8, name("%s旧図%d-%d-%02d", "", m, i, f), 23);
        both(117550 + 6 * figure, figure_at(m, i, f) + 2,
             le16(1001 + figure) + le16(0x5000 + figure) + le16(0xA000 + figure), 6);
      }
    }
  }
  return file;
}

std::vector<std::string> rows_of(const std::string& image, int level, int a, int b) {
  std::vector<std::string> rows;
  int count = level == 1 ? 12 : level == 2 ? 40 : 50;
  for (int k = 0; k < count; ++k) {
    size_t at = level == 1 ? major_at(k) : level == 2 ? item_at(a, k) : figure_at(a, b, k) + 8;
    std::string row(&image[at], strnlen(&image[at], 24));
    rows.push_back(row.empty() ? "   " : row);
  }
  return rows;
}

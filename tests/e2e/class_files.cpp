#include "tests/e2e/class_files.h"

#include <cstdio>
#include <cstring>

namespace e2e {
namespace {

constexpr size_t kReserved = 512;
constexpr size_t kMajors = 52512;
constexpr size_t kItems = 52848;
constexpr size_t kFigures = 66288;

constexpr size_t kOldMajors = 20;
constexpr size_t kOldItems = 250;
constexpr size_t kOldNames = 2550;
constexpr size_t kOldTriples = 117550;
constexpr size_t kOldReserved = 147550;
constexpr size_t kReservedSize = 52000;

size_t major_at(int m) { return kMajors + 28 * m; }
size_t item_at(int m, int i) { return kItems + 1120 * m + 28 * i; }
size_t figure_at(int m, int i, int f) { return kFigures + 64000 * m + 1600 * i + 32 * f; }

void put(std::string* image, size_t offset, const std::string& bytes, size_t field) {
  image->replace(offset, bytes.size() < field ? bytes.size() : field, bytes.substr(0, field));
}

void put16(std::string* image, size_t offset, unsigned value) {
  (*image)[offset] = static_cast<char>(value & 0xFF);
  (*image)[offset + 1] = static_cast<char>(value >> 8);
}

std::string format(const char* pattern, const std::string& tag, int a, int b = 0, int c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, tag.c_str(), a, b, c);
  return text;
}

// A block no conversion or creation would produce by itself.
std::string reserved_pattern(unsigned char seed) {
  std::string block(kReservedSize, '\0');
  for (size_t k = 0; k < block.size(); ++k)
    block[k] = static_cast<char>((k * 7 + seed + (k >> 9)) & 0xFF);
  return block;
}

std::string field_text(const std::string& image, size_t offset) {
  std::string name = image.substr(offset, 24);
  size_t end = name.find('\0');
  if (end != std::string::npos) name.resize(end);
  return name.empty() ? "   " : name;
}

}  // namespace

std::string current_file(const std::string& tag) {
  std::string image(kCurrentFileSize, '\0');
  image.replace(0, 11, "PVN-VTZ-V02");
  image.replace(kReserved, kReservedSize, reserved_pattern(static_cast<unsigned char>(tag[0])));
  for (int m = 0; m < 12; ++m) {
    put(&image, major_at(m) + 4, format("%s大%02d", tag, m), 24);
    for (int i = 0; i < 40; ++i) {
      put(&image, item_at(m, i) + 4, format("%s分%02d-%02d", tag, m, i), 24);
      for (int f = 0; f < 50; ++f) {
        size_t at = figure_at(m, i, f);
        put16(&image, at + 2, 1001 + (m * 40 + i) * 50 + f);
        put(&image, at + 8, format("%s図%02d%02d%02d", tag, m, i, f), 24);
      }
    }
  }
  put(&image, figure_at(5, 0, 7) + 8, "FULL-24-BYTES-NO-NUL-XYZ", 24);
  return image;
}

std::string old_file() {
  std::string image(kOldFileSize, '\0');
  image.replace(0, 11, "PVN-VTZ-V01");
  image.replace(kOldReserved, kReservedSize, reserved_pattern(0x5A));
  for (int m = 0; m < 10; ++m) {
    put(&image, kOldMajors + 23 * m, format("%s旧大項目%d", "", m), 23);
    for (int i = 0; i < 10; ++i) {
      int entry = 10 * m + i;
      put(&image, kOldItems + 23 * entry, format("%s旧分類%d-%d", "", m, i), 23);
      for (int f = 0; f < 50; ++f) {
        int figure = entry * 50 + f;
        put(&image, kOldNames + 23 * figure, format("%s旧図%d-%d-%02d", "", m, i, f), 23);
        put16(&image, kOldTriples + 6 * figure, 1001 + figure);
        put16(&image, kOldTriples + 6 * figure + 2, 0xA000 + figure);
        put16(&image, kOldTriples + 6 * figure + 4, 0x5000 + figure);
      }
    }
  }
  put(&image, kOldMajors + 23 * 9, "MAJOR-NINE-23-BYTES-ABC", 23);
  return image;
}

std::string converted_old_file() {
  std::string old = old_file();
  std::string image(kCurrentFileSize, '\0');
  image.replace(0, 11, "PVN-VTZ-V02");
  image.replace(kReserved, kReservedSize, old.substr(kOldReserved, kReservedSize));
  for (int m = 0; m < 10; ++m) {
    image.replace(major_at(m) + 4, 23, old.substr(kOldMajors + 23 * m, 23));
    for (int i = 0; i < 10; ++i) {
      int entry = 10 * m + i;
      image.replace(item_at(m, i) + 4, 23, old.substr(kOldItems + 23 * entry, 23));
      for (int f = 0; f < 50; ++f) {
        int figure = entry * 50 + f;
        size_t at = figure_at(m, i, f);
        image.replace(at + 2, 6, old.substr(kOldTriples + 6 * figure, 6));
        image.replace(at + 8, 23, old.substr(kOldNames + 23 * figure, 23));
      }
    }
  }
  return image;
}

std::vector<std::string> expected_rows(const std::string& image, int level, int a, int b) {
  std::vector<std::string> rows;
  if (level == 1)
    for (int m = 0; m < 12; ++m) rows.push_back(field_text(image, major_at(m) + 4));
  if (level == 2)
    for (int i = 0; i < 40; ++i) rows.push_back(field_text(image, item_at(a, i) + 4));
  if (level == 3)
    for (int f = 0; f < 50; ++f) rows.push_back(field_text(image, figure_at(a, b, f) + 8));
  return rows;
}

std::vector<std::string> blank_rows(int count) { return std::vector<std::string>(count, "   "); }

}  // namespace e2e

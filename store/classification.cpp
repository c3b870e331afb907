#include "store/classification.h"

#include <cstring>

#include "platform/notice.h"
#include "platform/byte_fields.h"

namespace store {

const char kMagicCurrent[] = "PVN-VTZ-V02";
const char kMagicOld[] = "PVN-VTZ-V01";

namespace {

constexpr size_t kMagicLength = 11;
constexpr uint32_t kCategoryNameOffset = 4;
constexpr uint32_t kFigureNumberOffset = 2;
constexpr uint32_t kFigureValuesOffset = 4;
constexpr uint32_t kFigureNameOffset = 8;

// Older layout: 10 x 10 items of 23-byte names, and the figures' numbers in
// a table of their own.
constexpr int kOldItems = 10;
constexpr uint32_t kOldNameBytes = 23;
constexpr uint32_t kOldMajorOffset = 20;
constexpr uint32_t kOldClassOffset = 250;
constexpr uint32_t kOldFigureOffset = 2550;
constexpr uint32_t kOldTripleOffset = 117550;
constexpr uint32_t kOldTripleSize = 6;
constexpr uint32_t kOldReservedOffset = 147550;

bool has_magic(const uint8_t* bytes, int64_t count, const char* magic) {
  return count >= static_cast<int64_t>(kMagicLength) &&
         std::memcmp(bytes, magic, kMagicLength) == 0;
}

void tell_cannot_open(const char* path) {
  std::string text = std::string(path) + " ファイルがオープンできませんでした。";
  plat::error_box(text.c_str());
}

plat::File* open_for_reading(const char* path) {
  return plat::open_file(path, plat::kRead, plat::kShareRead, plat::Disposition::OpenExisting);
}

// Same file contents that an in-place conversion of the old image would
// leave; everything not carried over stays zero.
void convert_old_image(const uint8_t* old, std::vector<uint8_t>* image) {
  image->assign(kClassFileSize, 0);
  uint8_t* out = image->data();
  std::memcpy(out, kMagicCurrent, kMagicLength);
  std::memcpy(out + kReservedOffset, old + kOldReservedOffset, kReservedSize);
  for (int m = 0; m < kOldItems; ++m) {
    std::memcpy(out + major_item_offset(m) + kCategoryNameOffset,
                old + kOldMajorOffset + kOldNameBytes * m, kOldNameBytes);
    for (int i = 0; i < kOldItems; ++i) {
      int item = kOldItems * m + i;
      std::memcpy(out + class_item_offset(m, i) + kCategoryNameOffset,
                  old + kOldClassOffset + kOldNameBytes * item, kOldNameBytes);
      for (int f = 0; f < kFigureSlots; ++f) {
        int figure = item * kFigureSlots + f;
        uint8_t* entry = out + figure_entry_offset(m, i, f);
        const uint8_t* triple = old + kOldTripleOffset + kOldTripleSize * figure;
        plat::put_u16(entry + kFigureNumberOffset, plat::get_u16(triple));
        plat::put_u16(entry + kFigureValuesOffset, plat::get_u16(triple + 2));
        plat::put_u16(entry + kFigureValuesOffset + 2, plat::get_u16(triple + 4));
        std::memcpy(entry + kFigureNameOffset, old + kOldFigureOffset + kOldNameBytes * figure,
                    kOldNameBytes);
      }
    }
  }
}

std::string row_text(const uint8_t* name) {
  std::string text = plat::field_text(name, kNameBytes);
  return text.empty() ? "   " : text;  // keeps the row, so rows stay at their entries' indices
}

}  // namespace

std::string classification_file_path(const char* program_directory, int code) {
  std::string path = program_directory;
  path += code / 100 == 0 ? "HDINI\\" : "HDTMP\\";
  int kind = code % 100;
  if (kind == 10) {
    path += "GLZSLCT.INI";
  } else {
    int digit = kind % 10;
    if (digit < 0) digit = -digit;
    path += "VGZLST";
    path += static_cast<char>('0' + digit);
    path += ".INI";
  }
  return path;
}

// Made only where no file is: an open that failed for another reason must
// never cost the user's file.
bool create_empty_classification_file(const char* path) {
  std::vector<uint8_t> image(kClassFileSize, 0);
  std::memcpy(image.data(), kMagicCurrent, kMagicLength);
  if (plat::create_whole_file(path, image.data(), image.size())) return true;
  tell_cannot_open(path);
  return false;
}

bool upgrade_classification_file(const char* path) {
  std::vector<uint8_t> old(kOldFileSize);
  plat::File* file = open_for_reading(path);
  if (!file) return false;
  int64_t got = plat::read_at(file, 0, old.data(), old.size());
  plat::close_file(file);
  if (got != static_cast<int64_t>(kOldFileSize) || !has_magic(old.data(), got, kMagicOld))
    return false;

  // Another program of the suite holding the file must make the conversion
  // fail before anything is written.
  file = plat::open_file(path, plat::kWrite, plat::kShareNone, plat::Disposition::OpenExisting);
  if (!file) return false;
  plat::close_file(file);

  std::vector<uint8_t> image;
  convert_old_image(old.data(), &image);

  return plat::replace_whole_file(path, image.data(), image.size());
}

int open_classification_file(const char* program_directory, int destination_code, OpenMode mode,
                             plat::File** file) {
  *file = nullptr;
  std::string path = classification_file_path(program_directory, destination_code);

  if (mode == OpenMode::Write) {
    *file = plat::open_file(path.c_str(), plat::kWrite, plat::kShareNone,
                            plat::Disposition::OpenAlways);
    return *file ? 1 : -1;
  }

  plat::File* opened = open_for_reading(path.c_str());
  if (!opened) {
    if (!create_empty_classification_file(path.c_str())) return -1;
    *file = open_for_reading(path.c_str());
    return *file ? 1 : -1;
  }

  uint8_t header[24];
  int64_t got = plat::read_at(opened, 0, header, sizeof header);
  if (has_magic(header, got, kMagicCurrent)) {
    *file = opened;
    return 1;
  }
  plat::close_file(opened);
  // Any other header belongs to something this program does not know; it is
  // neither recreated nor changed.
  if (!has_magic(header, got, kMagicOld)) return -1;
  if (!upgrade_classification_file(path.c_str())) return -1;
  *file = open_for_reading(path.c_str());
  return *file ? 1 : -1;
}

int read_category_rows(const char* program_directory, int destination_code, int level, int a, int b,
                       std::vector<std::string>* rows) {
  uint32_t offset, entry_size;
  int count;
  if (level == 1) {
    offset = kMajorOffset;
    entry_size = kCategoryEntrySize;
    count = kMajorItems;
  } else if (level == 2 && a >= 0 && a < kMajorItems) {
    offset = class_item_offset(a, 0);
    entry_size = kCategoryEntrySize;
    count = kClassItems;
  } else if (level == 3 && a >= 0 && a < kMajorItems && b >= 0 && b < kClassItems) {
    offset = figure_entry_offset(a, b, 0);
    entry_size = kFigureEntrySize;
    count = kFigureSlots;
  } else {
    // Another level, or no item chosen in the list above (row -1).
    return 0;
  }

  plat::File* file;
  if (open_classification_file(program_directory, destination_code, OpenMode::Read, &file) != 1)
    return -1;
  std::vector<uint8_t> area(entry_size * count, 0);
  int64_t got = plat::read_at(file, offset, area.data(), area.size());
  plat::close_file(file);
  if (got < 0) return -1;

  uint32_t name_offset = level == 3 ? kFigureNameOffset : kCategoryNameOffset;
  rows->clear();
  for (int n = 0; n < count; ++n) rows->push_back(row_text(&area[entry_size * n + name_offset]));
  return 1;
}

}  // namespace store

#include "catalogue/list_file.h"

#include <cstdio>
#include <cstring>

#include "catalogue/list_entry.h"
#include "catalogue/section_values.h"
#include "platform/profile.h"
#include "platform/shift_jis.h"

namespace catalogue {
namespace {

const char kInfoSection[] = "INFO";
const char kCaptionFormat[] = "部品テーブルダウンロード [%s]";

// A name list filled to its last two bytes may have been cut inside its
// last name; that half name is dropped rather than shown or looked up.
size_t whole_names_length(const char* list, uint32_t length, uint32_t size) {
  if (length + 2 < size) return length;
  while (length > 0 && list[length - 1] != '\0') --length;
  return length;
}

}  // namespace

void read_maker_names(const char* list_file, std::vector<std::string>* makers) {
  makers->clear();
  std::vector<char> names(kSectionNamesSize);
  uint32_t length =
      plat::profile_read(nullptr, nullptr, "", names.data(), kSectionNamesSize, list_file);
  size_t usable = whole_names_length(names.data(), length, kSectionNamesSize);
  for (size_t at = 0; at < usable;) {
    const char* name = names.data() + at;
    size_t name_length = strnlen(name, usable - at);
    if (std::strcmp(name, kInfoSection) != 0) makers->push_back(std::string(name, name_length));
    at += name_length + 1;
  }
}

void read_list_part_numbers(const char* list_file, std::vector<int32_t>* parts) {
  parts->clear();
  std::vector<std::string> makers;
  read_maker_names(list_file, &makers);
  std::vector<char> keys(kKeyListSize);
  for (const std::string& maker : makers) {
    if (maker.empty()) continue;
    // A list that fills the buffer to its last two bytes may be cut: ask
    // again with twice the room until it is whole.
    uint32_t length;
    while ((length = plat::profile_read(maker.c_str(), nullptr, "", keys.data(),
                                        static_cast<uint32_t>(keys.size()), list_file)) +
                   2 >=
               keys.size() &&
           keys.size() < (64u << 20))
      keys.resize(keys.size() * 2);
    size_t usable = whole_names_length(keys.data(), length, static_cast<uint32_t>(keys.size()));
    for (size_t at = 0; at < usable;) {
      const char* key = keys.data() + at;
      size_t key_length = strnlen(key, usable - at);
      parts->push_back(leading_number(key, key + key_length));
      at += key_length + 1;
    }
  }
}

std::string numbered_row(int part_number, const char* figure_name) {
  char row[16 + kFigureNameSize];
  std::snprintf(row, sizeof row, "%6d  %s", part_number, figure_name);
  return row;
}

void read_maker_entries(const char* list_file, const char* maker, std::vector<ListEntry>* entries) {
  entries->clear();
  // No maker, no parts: the reader would answer for "" with the lines
  // before the first section header.
  if (!maker[0]) return;
  std::vector<char> keys(kKeyListSize);
  uint32_t length = plat::profile_read(maker, nullptr, "", keys.data(), kKeyListSize, list_file);
  std::vector<int32_t> numbers(kMaxEntries);
  std::vector<int16_t> flags(kMaxEntries);
  int count = split_list_keys(keys.data(), whole_names_length(keys.data(), length, kKeyListSize),
                              numbers.data(), flags.data());

  // Each key is formed anew, so a key written otherwise (leading zeros,
  // blanks) finds no value and shows an empty name.
  std::vector<std::string> canonical(count);
  char key[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(key, sizeof key, "%d,%d", numbers[i], flags[i]);
    canonical[i] = key;
  }
  // One pass over the file gives every value the reader would give key by
  // key; a section of 2000 entries would otherwise cost 2000 reads of it.
  SectionValues section;
  read_section_values(list_file, maker, canonical, &section);
  char value[kValueSize];
  entries->resize(count);
  for (int i = 0; i < count; ++i) {
    ListEntry& entry = (*entries)[i];
    entry = ListEntry();
    entry.part_number = numbers[i];
    entry.flag = flags[i];
    section_value(section, canonical[i].c_str(), value, kValueSize);
    parse_list_value(value, &entry);
  }
}

void read_part_rows(const char* list_file, const char* maker, bool with_numbers, PartRows* rows) {
  rows->added.clear();
  rows->deleted.clear();
  std::vector<ListEntry> entries;
  read_maker_entries(list_file, maker, &entries);
  for (const ListEntry& entry : entries) {
    std::string row = with_numbers ? numbered_row(entry.part_number, entry.figure_name)
                                   : std::string(entry.figure_name);
    (entry.flag == kAdded ? rows->added : rows->deleted).push_back(row);
  }
}

std::string list_caption(const char* list_file) {
  char title[kTitleSize];
  uint32_t length = plat::profile_read(kInfoSection, "TITLE", "", title, kTitleSize, list_file);
  // A title cut at its byte limit must not leave a lead byte to swallow the
  // closing bracket.
  title[plat::whole_characters(title, length < kTitleSize ? length : kTitleSize - 1)] = '\0';
  char caption[sizeof kCaptionFormat + kTitleSize];
  std::snprintf(caption, sizeof caption, kCaptionFormat, title);
  return caption;
}

}  // namespace catalogue

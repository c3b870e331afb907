// What the main dialog and the preview show of a list file: its title, its
// makers (the sections other than "INFO", in file order) and, per maker, the
// rows of the added and the deleted parts. Every call reads the file anew,
// nothing is kept between calls; a missing file, section or key reads as
// empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/list_entry.h"

namespace catalogue {

// Reader buffers, as the lists have always been read.
constexpr unsigned kSectionNamesSize = 10000;
constexpr unsigned kKeyListSize = 20000;
constexpr unsigned kValueSize = 400;
constexpr unsigned kTitleSize = 80;

// The maker sections' names in file order. The section "INFO" (exactly so,
// case and all) is the list's own and is left out.
void read_maker_names(const char* list_file, std::vector<std::string>* makers);

struct PartRows {
  std::vector<std::string> added;    // entry flag 0
  std::vector<std::string> deleted;  // any other flag
};

// One maker's entries in key order (at most kMaxEntries), each with its
// figure name and kind code from its value.
void read_maker_entries(const char* list_file, const char* maker, std::vector<ListEntry>* entries);

// The rows of one maker's entries in key order: the figure name alone, or
// with_numbers the "%6d  %s" text of part number and figure name.
void read_part_rows(const char* list_file, const char* maker, bool with_numbers, PartRows* rows);

// The part number of every key of every maker section, sections in file
// order and keys in section order, however many keys a section holds: the
// number at the start of each "%d,%d" key.
void read_list_part_numbers(const char* list_file, std::vector<int32_t>* parts);

// One row as the preview dialog shows it.
std::string numbered_row(int part_number, const char* figure_name);

// The main dialog's caption for this list file: the dialog title with the
// list's TITLE in square brackets (empty brackets without one).
std::string list_caption(const char* list_file);

}  // namespace catalogue

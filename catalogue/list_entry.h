// One entry of a maker section of a list file, and the two pieces of text it
// is made from: the key "%d,%d" (part number, entry flag) and the value
// "figure name,kind code,...". Both come from the network, so every byte
// sequence must give some entry without reading past the text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace catalogue {

// A maker section shows at most this many entries; keys beyond are not seen.
constexpr int kMaxEntries = 2000;
// Stored names are 24-byte fields: 23 bytes and a NUL.
constexpr int kFigureNameSize = 24;

enum EntryFlag : int16_t { kAdded = 0, kDeleted = 1, kDeletedWithData = 2 };

struct ListEntry {
  int32_t part_number;
  int16_t flag;  // 0 added; any other value is a deletion
  char figure_name[kFigureNameSize];
  uint8_t kind;
};

// Walks a key list (each key ended by a NUL) up to `length` bytes and stores
// each key's part number and entry flag, in key order, at most kMaxEntries.
// The part number is the decimal number at the key's start (0 when there is
// none), the flag the value of the key's last character when it is a digit.
// Gives the number of keys stored.
int split_list_keys(const char* keys, size_t length, int32_t* part_numbers, int16_t* flags);

// The decimal number at the start of text[0..end), as atoi reads it
// (blanks, a sign, digits), but held to the 32-bit range instead of
// overflowing on a long run of digits. Part numbers of keys and the dates
// of the maintenance state file are read with it.
int32_t leading_number(const char* text, const char* end);

// Fills the figure name and kind code of *entry from a value text (ended by
// its first NUL or carriage return). The other fields are left alone.
void parse_list_value(const char* value, ListEntry* entry);

// Copies at most 23 bytes of text[0..length) into a NUL-padded 24-byte
// field, ending before a double-byte character that would not fit whole, so
// no stray lead byte can join whatever is shown or stored after the name.
void cut_figure_name(const char* text, size_t length, char field[kFigureNameSize]);

}  // namespace catalogue

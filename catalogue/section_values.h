// One section of a list file read in a single pass, so that a maker's 2000
// values cost one read of the file rather than one call of the keyed reader
// each (under Wine 350 ms for 2000). Lookups answer as the reader
// (plat::profile_read with a section and a key) does, on the text rules it
// shares (platform/profile_text.h): the text is read as through Unicode,
// names match with letter case folded, blanks around names and values go,
// a pair of enclosing quotes goes, the first line of a key answers, only
// the first section of a name counts, and keys before any section header
// make up a section without a name. A file in UTF-8 (with its byte-order
// mark) is answered by the reader key by key.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace catalogue {

struct SectionValues {
  std::string list_file, section;
  bool by_reader;    // UTF-8: every lookup asks the reader
  std::string text;  // the whole file as the platform reads it; values point into it
  // Folded key: offset and length of its value in text, or (0, npos)
  // while the key is wanted but not yet found.
  std::unordered_map<std::u32string, std::pair<size_t, size_t>> values;
};

// Reads the file and indexes those of `keys` that the section named
// `section` holds; only they can be looked up. Reading stops once all are
// found, and a section of a million keys costs no more memory than its
// first 2000. A missing file gives no values.
void read_section_values(const char* list_file, const char* section,
                         const std::vector<std::string>& keys, SectionValues* out);

// The same over the text of that file, which *out keeps.
void index_section_values(std::string text, const char* list_file, const char* section,
                          const std::vector<std::string>& keys, SectionValues* out);

// The value of `key`, cut to size - 1 bytes, or "" when there is none.
// Gives the number of bytes placed before the NUL.
unsigned section_value(const SectionValues& section, const char* key, char* buffer, unsigned size);

}  // namespace catalogue

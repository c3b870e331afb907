// One section of a list file read in a single pass, so that a maker's 2000
// values cost one read of the file rather than one each. Lookups answer as
// the keyed reader (plat::profile_read with a section and a key) does:
// names match without regard to ASCII case, blanks around a value go, a
// pair of enclosing quotes goes, the first matching key wins, only the
// first section of a name counts, and keys before any section header make
// up a section without a name.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace catalogue {

struct SectionValues {
  std::string text;  // the whole file; values point into it
  // Folded key: offset and length of its value in text, or (0, npos)
  // while the key is wanted but not yet found.
  std::unordered_map<std::string, std::pair<size_t, size_t>> values;
};

// Reads the file and indexes those of `keys` that the section named
// `section` holds; only they can be looked up. Reading stops once all are
// found, and a section of a million keys costs no more memory than its
// first 2000. A missing file gives no values.
void read_section_values(const char* list_file, const char* section,
                         const std::vector<std::string>& keys, SectionValues* out);

// The same over a file's text, which *out keeps.
void index_section_values(std::string text, const char* section,
                          const std::vector<std::string>& keys, SectionValues* out);

// The value of `key`, cut to size - 1 bytes, or "" when there is none.
// Gives the number of bytes placed before the NUL.
unsigned section_value(const SectionValues& section, const char* key, char* buffer, unsigned size);

}  // namespace catalogue

#include "catalogue/section_values.h"

#include <cstring>
#include <utility>

#include "platform/byte_fields.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_text.h"
#include "platform/shift_jis.h"

namespace catalogue {
namespace {

constexpr size_t kNotFound = std::string::npos;

// A file that starts with the UTF-8 byte-order mark is read as UTF-8 by the
// platform; such a file is left to the reader itself.
bool is_utf8_file(const std::string& text) { return text.compare(0, 3, "\xEF\xBB\xBF") == 0; }

// The form in which names compare, character by character with letter case
// folded as the keyed reader folds it, as far as the platform's strings go:
// up to a NUL.
std::u32string folded(const char* begin, size_t length) {
  std::u32string name;
  for (const char* end = begin + plat::text_length(begin, length); begin < end;) {
    size_t step;
    name += (char32_t)plat::folded_char(begin, end, &step);
    begin += step;
  }
  return name;
}

// An asked name as the reader compares it: through Unicode as the file is,
// without the blanks around it, letter case folded.
std::u32string asked_name(const char* name) {
  std::string as_read = name, fixed;
  if (plat::profile_name_text(as_read, &fixed)) as_read.swap(fixed);
  const char* begin = as_read.c_str();
  size_t length = std::strlen(begin);
  plat::trim_blanks(&begin, &length);
  return folded(begin, length);
}

}  // namespace

void read_section_values(const char* list_file, const char* section,
                         const std::vector<std::string>& keys, SectionValues* out) {
  std::string text;
  if (!plat::read_file(list_file, &text)) text.clear();
  index_section_values(std::move(text), list_file, section, keys, out);
}

void index_section_values(std::string text, const char* list_file, const char* section,
                          const std::vector<std::string>& keys, SectionValues* out) {
  out->values.clear();
  out->list_file = list_file;
  out->section = section;
  out->by_reader = is_utf8_file(text);
  if (out->by_reader) {
    out->text.clear();
    return;
  }
  if (!plat::profile_file_text(text, &out->text)) out->text.swap(text);
  for (const std::string& key : keys)
    out->values.emplace(asked_name(key.c_str()), std::make_pair(size_t(0), kNotFound));
  size_t missing = out->values.size();
  const std::u32string wanted = asked_name(section);

  const char* base = out->text.data();
  const char* p = base;
  const char* stop = base + out->text.size();
  // Keys before the first section header form a section without a name.
  bool inside = wanted.empty();
  while (p < stop && missing) {
    const char* begin = p;
    const char* end = p;
    while (end < stop && *end != '\r' && *end != '\n') ++end;
    p = end;
    while (p < stop && (*p == '\r' || *p == '\n')) ++p;
    size_t length = (size_t)(end - begin);
    plat::trim_blanks(&begin, &length);
    end = begin + length;
    if (begin == end) continue;

    if (*begin == '[') {
      // The name runs to the last ']' that is a character of its own; a
      // line without one is a key line.
      const char* close = begin + plat::last_char_of(begin, (size_t)(end - begin), "]");
      if (close < end) {
        // Only the first section of a name counts, as on the platform.
        if (inside) break;
        const char* name = begin + 1;
        size_t name_length = (size_t)(close - name);
        plat::trim_blanks(&name, &name_length);
        inside = folded(name, name_length) == wanted;
        continue;
      }
    }
    // A comment line is never a key, not even when asked for by its text.
    if (!inside || *begin == ';') continue;

    const char* equals = static_cast<const char*>(std::memchr(begin, '=', (size_t)(end - begin)));
    const char* name_end = equals ? equals : end;
    while (name_end > begin && plat::is_profile_blank((unsigned char)name_end[-1])) --name_end;
    auto found = out->values.find(folded(begin, (size_t)(name_end - begin)));
    if (found == out->values.end() || found->second.second != kNotFound) continue;
    --missing;
    // The first line of a key answers, also one without '=' (no value).
    found->second = std::make_pair(size_t(0), size_t(0));
    if (!equals) continue;
    const char* value = equals + 1;
    while (value < end && plat::is_profile_blank((unsigned char)*value)) ++value;
    length = plat::text_length(value, (size_t)(end - value));
    plat::drop_quotes(&value, &length);
    found->second = std::make_pair((size_t)(value - base), length);
  }
}

unsigned section_value(const SectionValues& section, const char* key, char* buffer, unsigned size) {
  if (section.by_reader)
    return plat::profile_read(section.section.c_str(), key, "", buffer, size,
                              section.list_file.c_str());
  auto found = section.values.find(asked_name(key));
  if (found == section.values.end() || found->second.second == kNotFound)
    return plat::put_profile_value("", 0, buffer, size);
  return plat::put_profile_value(section.text.data() + found->second.first, found->second.second,
                                 buffer, size);
}

}  // namespace catalogue

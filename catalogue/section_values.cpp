#include "catalogue/section_values.h"

#include <cstring>
#include <utility>

#include "platform/files.h"
#include "platform/shift_jis.h"

namespace catalogue {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

void trim(const char** begin, const char** end) {
  while (*begin < *end && is_blank(**begin)) ++*begin;
  while (*end > *begin && is_blank((*end)[-1])) --*end;
}

// The form in which names compare: ASCII letters in upper case, the second
// byte of a double-byte character as it is. A name that ends in half a
// character matches nothing, not even itself, as in the keyed reader.
bool folded(const char* begin, const char* end, std::string* name) {
  trim(&begin, &end);
  name->assign(begin, end);
  for (size_t i = 0; i < name->size(); ++i) {
    unsigned char c = (unsigned char)(*name)[i];
    if (plat::is_lead_byte(c)) {
      if (++i >= name->size()) return false;
    } else if (c >= 'a' && c <= 'z') {
      (*name)[i] = (char)(c - 'a' + 'A');
    }
  }
  return true;
}

constexpr size_t kNotFound = std::string::npos;

}  // namespace

void read_section_values(const char* list_file, const char* section,
                         const std::vector<std::string>& keys, SectionValues* out) {
  std::string text;
  if (!plat::read_file(list_file, &text)) text.clear();
  index_section_values(std::move(text), section, keys, out);
}

void index_section_values(std::string text, const char* section,
                          const std::vector<std::string>& keys, SectionValues* out) {
  out->values.clear();
  out->text = std::move(text);
  std::string wanted, name;
  for (const std::string& key : keys)
    if (folded(key.data(), key.data() + key.size(), &name))
      out->values.emplace(name, std::make_pair(size_t(0), kNotFound));
  size_t missing = out->values.size();
  if (!missing || !folded(section, section + std::strlen(section), &wanted)) return;
  const char* base = out->text.data();
  const char* p = base;
  const char* stop = base + out->text.size();
  // Keys before the first section header form a section without a name.
  bool inside = wanted.empty();
  while (p < stop && missing) {
    const char* end = p;
    while (end < stop && *end != '\r' && *end != '\n') ++end;
    const char* next = end;
    if (next < stop && *next == '\r') ++next;
    if (next < stop && *next == '\n') ++next;

    const char* begin = p;
    trim(&begin, &end);
    p = next;
    if (begin == end || *begin == ';') continue;
    if (*begin == '[') {
      const char* close = end;
      while (close > begin && close[-1] != ']') --close;
      const char* name_end = close > begin + 1 ? close - 1 : end;
      // Only the first section of a name is read, as the platform does.
      if (inside) break;
      inside = folded(begin + 1, name_end, &name) && name == wanted;
      continue;
    }
    if (!inside) continue;
    const char* equals = (const char*)std::memchr(begin, '=', (size_t)(end - begin));
    if (!equals) continue;
    const char* value = equals + 1;
    const char* value_end = end;
    trim(&value, &value_end);
    if (value_end - value >= 2 && (*value == '"' || *value == '\'') && value_end[-1] == *value) {
      ++value;
      --value_end;
    }
    if (!folded(begin, equals, &name)) continue;
    auto found = out->values.find(name);
    if (found == out->values.end() || found->second.second != kNotFound) continue;
    found->second = std::make_pair((size_t)(value - base), (size_t)(value_end - value));
    --missing;
  }
}

unsigned section_value(const SectionValues& section, const char* key, char* buffer, unsigned size) {
  if (size == 0) return 0;
  std::string name;
  size_t length = 0;
  auto found = section.values.end();
  if (folded(key, key + std::strlen(key), &name)) found = section.values.find(name);
  if (found != section.values.end() && found->second.second != kNotFound) {
    length = found->second.second < size - 1 ? found->second.second : size - 1;
    std::memcpy(buffer, section.text.data() + found->second.first, length);
  }
  buffer[length] = '\0';
  return (unsigned)length;
}

}  // namespace catalogue

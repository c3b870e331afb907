#include "catalogue/file_chooser.h"

#include <cstring>

#include "platform/shift_jis.h"

namespace catalogue {

std::string filter_from_text(const std::string& text) {
  std::string filter = text;
  if (filter.empty()) return filter;
  const char separator = filter.back();
  for (char& c : filter)
    if (c == separator) c = '\0';
  return filter;
}

std::string directory_part(const char* path) {
  size_t length = std::strlen(path);
  size_t last = plat::last_char_of(path, length, "\\");
  return last == length ? std::string() : std::string(path, last);
}

}  // namespace catalogue

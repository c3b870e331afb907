#include "catalogue/file_chooser.h"

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
  size_t last = std::string::npos;
  for (size_t at = 0; path[at];) {
    unsigned char c = (unsigned char)path[at];
    if (c == '\\') last = at;
    at += plat::is_lead_byte(c) && path[at + 1] ? 2 : 1;
  }
  return last == std::string::npos ? std::string() : std::string(path, last);
}

}  // namespace catalogue

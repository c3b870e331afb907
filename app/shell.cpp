#include "app/shell.h"

#include <cstring>

#include "platform/shift_jis.h"

namespace app {

bool program_directory_from_module_path(const char* module_path, char* directory,
                                        size_t directory_size) {
  if (directory_size > 0) directory[0] = '\0';
  size_t length = std::strlen(module_path);
  size_t cut = length;  // no separator: the text stays whole
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(module_path[i]);
    if (plat::is_lead_byte(c) && i + 1 < length) {
      ++i;
      continue;
    }
    if (c == '\\' || c == ':') cut = i + 1;
  }
  // Cutting a longer path short would root every data path somewhere else;
  // refusing to start is the only safe answer.
  if (cut > kProgramDirectoryMax || cut + 1 > directory_size) return false;
  std::memcpy(directory, module_path, cut);
  directory[cut] = '\0';
  return true;
}

void strip_argument_quotes(const char* text, char* destination) {
  size_t length = std::strlen(text);
  const char* start = text;
  if (length >= 2 && text[0] == '"' && text[length - 1] == '"') {
    start = text + 1;
    length -= 2;
  }
  if (length > kArgumentBuffer - 1) length = kArgumentBuffer - 1;
  std::memcpy(destination, start, length);
  destination[length] = '\0';
}

}  // namespace app

#include "suite/data_path.h"

#include <cstring>

namespace suite {

bool join_data_path(const char* program_directory, const char* subdirectory, const char* file_name,
                    char* destination, size_t destination_size) {
  size_t d = std::strlen(program_directory);
  size_t s = std::strlen(subdirectory);
  size_t f = std::strlen(file_name);
  if (d + s + f + 1 > destination_size) {
    if (destination_size > 0) destination[0] = '\0';
    return false;
  }
  std::memmove(destination, program_directory, d);
  std::memcpy(destination + d, subdirectory, s);
  std::memcpy(destination + d + s, file_name, f);
  destination[d + s + f] = '\0';
  return true;
}

std::string data_path(const char* program_directory, const char* subdirectory,
                      const char* file_name) {
  char path[512];
  join_data_path(program_directory, subdirectory, file_name, path, sizeof path);
  return path;
}

}  // namespace suite

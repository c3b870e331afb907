#include "platform/profile.h"

#include <windows.h>

namespace plat {

uint32_t profile_read(const char* section, const char* key, const char* def, char* buffer,
                      uint32_t size, const char* path) {
  uint32_t got = GetPrivateProfileStringA(section, key, def, buffer, size, path);
  // Wine's ANSI call leaves the last byte of a cut list unwritten. Callers
  // walk a list to its empty name, so that byte is made the second NUL
  // (also when a list of exactly size - 2 bytes fits, which looks the same).
  if ((!section || !key) && buffer && size >= 2 && got == size - 2) buffer[size - 1] = 0;
  return got;
}

bool profile_write(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path) != 0;
}

}  // namespace plat

#include "platform/profile.h"

#include <windows.h>

namespace plat {

uint32_t profile_read(const char* section, const char* key, const char* def, char* buffer,
                      uint32_t size, const char* path) {
  return GetPrivateProfileStringA(section, key, def, buffer, size, path);
}

bool profile_write(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path) != 0;
}

}  // namespace plat

#include "platform/profile.h"

namespace plat {

uint32_t profile_read(const char*, const char*, const char* def, char* buffer, uint32_t size,
                      const char*) {
  if (!size) return 0;
  buffer[0] = 0;
  (void)def;
  return 0;
}

bool profile_write(const char*, const char*, const char*, const char*) { return false; }

}  // namespace plat

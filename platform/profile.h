// Keyed text files of the Windows initialization-file layout, read and
// written as GetPrivateProfileStringA and WritePrivateProfileStringA do.
#pragma once

#include <cstdint>

namespace plat {

// section == nullptr: all section names; key == nullptr: all keys of the
// section. Each name ends with a NUL and the list with a further NUL, cut to
// the buffer. With both given: the value (blanks around it removed, enclosing
// quotes dropped), cut to size - 1 bytes, or def when missing. The result is
// the number of bytes placed before the final NUL, as Windows returns it.
uint32_t profile_read(const char* section, const char* key, const char* def,
                      char* buffer, uint32_t size, const char* path);

// Writes key = value into section, creating the file and the section when
// needed. value == nullptr deletes the key; key == nullptr the section.
bool profile_write(const char* section, const char* key, const char* value,
                   const char* path);

}  // namespace plat

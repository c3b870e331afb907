// Keyed text files of the Windows initialization-file layout, read and
// written as GetPrivateProfileStringA and WritePrivateProfileStringA do.
// The native emulation and the Windows wrapper give the same answers
// (tests/seam/profile_corpus_test.cpp holds both to one table).
#pragma once

#include <cstdint>

namespace plat {

// section == nullptr: the names of all sections in file order; key ==
// nullptr: the keys of the first section of that name, in file order. Each
// name ends with a NUL and the list with a further NUL; a list that does
// not fit in size - 1 bytes is cut to size - 2 bytes and ends with two NULs.
// With both given: the value of the first key of that name in the first
// section of that name, blanks around it and one pair of enclosing quotes
// removed, cut to size - 1 bytes; def when there is none (an empty key list
// also gives def). The result is the number of bytes placed before the
// final NUL, as Windows returns it.
//
// Names match without regard to case, full-width, Greek and Cyrillic
// letters included; Shift-JIS is read by character, so a second byte 0x5B,
// 0x5C or 0x5D is never a bracket. A missing or unreadable file reads as
// empty.
uint32_t profile_read(const char* section, const char* key, const char* def, char* buffer,
                      uint32_t size, const char* path);

// Writes key = value into section, creating the file and the section when
// needed. value == nullptr deletes the key; key == nullptr the section.
bool profile_write(const char* section, const char* key, const char* value, const char* path);

}  // namespace plat

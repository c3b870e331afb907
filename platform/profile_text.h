// The text rules that both implementations of the keyed reader share: how
// names compare, which bytes are blanks, and how answers are put into the
// caller's buffer. Windows compares names in Unicode; these functions do the
// same over Shift-JIS, character by character, so that the second byte of a
// double-byte character (0x5B, 0x5C, 0x5D in ー, 表, ‐) is never taken for a
// bracket, a backslash or a letter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// Tab, line feed, vertical tab, form feed, carriage return, space and ^Z.
// All lie below 0x40, so none can be the second byte of a character.
inline bool is_profile_blank(unsigned char c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

// The character at p (one or two bytes, *step gets which) as a number with
// letter case folded: ASCII, full-width Latin, Greek, Cyrillic and the Roman
// numerals, whose code page 932 forms are the letters that have a case.
unsigned folded_char(const char* p, const char* end, size_t* step);

// Names equal without regard to case, compared by character.
bool same_profile_name(const char* a, size_t a_length, const char* b, size_t b_length);

// True when a name holds a double-byte letter that has another case.
bool has_wide_letter_case(const char* name);

// A keyed file's bytes as the reader sees them: read through Unicode as
// the platform reads them, so a double-byte code that is no character
// comes back as ・ and one that code page 932 holds twice comes back in one
// form. Returns false when the text needs no change. A file that starts
// with the UTF-8 byte-order mark is converted from UTF-8.
bool profile_file_text(const std::string& raw, std::string* fixed);
// The same for an asked section or key name, which has no byte-order mark.
bool profile_name_text(const std::string& name, std::string* fixed);

// Drops the blanks at both ends.
void trim_blanks(const char** text, size_t* length);
// Drops one pair of enclosing quotes, double or single.
void drop_quotes(const char** text, size_t* length);

// A value cut to size - 1 bytes and ended by a NUL. The result is the number
// of bytes before the NUL. Nothing is written when size is 0.
uint32_t put_profile_value(const char* text, size_t length, char* buffer, uint32_t size);

// A list of names, each ended by a NUL (`length` bytes in all), followed by
// a further NUL. When it does not fit in size - 1 bytes, or `more` says that
// names follow beyond `length`, the list is cut to size - 2 bytes, the last
// two bytes of the buffer are NULs and the result is size - 2. Otherwise the
// result is `length` (and a list of size - 2 bytes also ends with two NULs).
uint32_t put_profile_list(const char* names, size_t length, bool more, char* buffer, uint32_t size);

// The default given with a key: trailing spaces go (but never its first
// character), then enclosing quotes, then it is cut as a value. The default
// of an empty key list keeps its spaces.
uint32_t put_profile_default(const char* def, bool for_key, char* buffer, uint32_t size);

}  // namespace plat

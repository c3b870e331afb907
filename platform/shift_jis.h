// Reading code page 932 text by character rather than by byte.
#pragma once

#include <cstddef>
#include <cstring>

namespace plat {

// A lead byte takes the next byte into the same character, even when that
// byte is 0x5C, the backslash (表, ソ, 能).
inline bool is_lead_byte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// A byte that code page 932 defines after a lead byte. Text that need not be
// Shift-JIS at all (names from archives) pairs a lead byte only with one.
inline bool is_trail_byte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes of the character at text[at] in a text of `length` bytes: 2 for a
// lead byte with a byte after it, otherwise 1.
inline size_t char_width(const char* text, size_t at, size_t length) {
  return is_lead_byte(static_cast<unsigned char>(text[at])) && at + 1 < length ? 2 : 1;
}

// How much of text[0, length) is whole characters: a text cut at a byte
// count loses a last lead byte whose second byte was cut off, so that no
// stray lead byte joins whatever is shown or stored after it.
inline size_t whole_characters(const char* text, size_t length) {
  size_t at = 0;
  while (at < length && !(is_lead_byte(static_cast<unsigned char>(text[at])) && at + 1 == length))
    at += char_width(text, at, length);
  return at;
}

// Offset of the last character of text[0, length) that is one of the
// single-byte characters in `set` (never the second byte of a double-byte
// character), or `length` when there is none.
inline size_t last_char_of(const char* text, size_t length, const char* set) {
  size_t last = length;
  for (size_t at = 0; at < length; at += char_width(text, at, length))
    if (text[at] != '\0' && std::strchr(set, text[at])) last = at;
  return last;
}

}  // namespace plat

#include "platform/profile_text.h"

#include <cstring>

#include "platform/shift_jis.h"

namespace plat {

namespace {

// Double-byte letters with a case, folded to one of their forms.
unsigned fold_wide(unsigned code) {
  if (code >= 0x8260 && code <= 0x8279) return code + 0x21;  // Ａ-Ｚ to ａ-ｚ
  if (code >= 0x839F && code <= 0x83B6) return code + 0x20;  // Α-Ω to α-ω
  if (code >= 0x8440 && code <= 0x844E) return code + 0x30;  // А-Н to а-н
  if (code >= 0x844F && code <= 0x8460) return code + 0x31;  // О-Я to о-я, past the gap at 0x847F
  // Ⅰ-Ⅹ stand at 0x8754 and again at 0xFA4A; ⅰ-ⅹ at 0xEEEF and 0xFA40.
  // Windows reads each pair as one character, so all four fold together.
  if (code >= 0x8754 && code <= 0x875D) return 0xEEEF + (code - 0x8754);
  if (code >= 0xFA4A && code <= 0xFA53) return 0xEEEF + (code - 0xFA4A);
  if (code >= 0xFA40 && code <= 0xFA49) return 0xEEEF + (code - 0xFA40);
  return code;
}

}  // namespace

unsigned folded_char(const char* p, const char* end, size_t* step) {
  unsigned char c = (unsigned char)p[0];
  if (is_lead_byte(c) && end - p >= 2) {
    *step = 2;
    return fold_wide((unsigned)c << 8 | (unsigned char)p[1]);
  }
  *step = 1;
  return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

bool same_profile_name(const char* a, size_t a_length, const char* b, size_t b_length) {
  const char* a_end = a + a_length;
  const char* b_end = b + b_length;
  while (a < a_end && b < b_end) {
    size_t a_step, b_step;
    if (folded_char(a, a_end, &a_step) != folded_char(b, b_end, &b_step)) return false;
    a += a_step;
    b += b_step;
  }
  return a == a_end && b == b_end;
}

bool has_wide_letter_case(const char* name) {
  const char* end = name + std::strlen(name);
  while (name < end) {
    size_t step;
    unsigned folded = folded_char(name, end, &step);
    if (step == 2) {
      unsigned code = (unsigned)(unsigned char)name[0] << 8 | (unsigned char)name[1];
      // A letter folds to another code, or is the form others fold to.
      if (folded != code || (code >= 0x8281 && code <= 0x829A) ||
          (code >= 0x83BF && code <= 0x83D6) || (code >= 0x8470 && code <= 0x8491) ||
          (code >= 0xEEEF && code <= 0xEEF8))
        return true;
    }
    name += step;
  }
  return false;
}

void trim_blanks(const char** text, size_t* length) {
  const char* b = *text;
  const char* e = b + *length;
  while (b < e && is_profile_blank((unsigned char)*b)) ++b;
  while (e > b && is_profile_blank((unsigned char)e[-1])) --e;
  *text = b;
  *length = (size_t)(e - b);
}

void drop_quotes(const char** text, size_t* length) {
  const char* t = *text;
  if (*length >= 2 && (t[0] == '"' || t[0] == '\'') && t[*length - 1] == t[0]) {
    *text = t + 1;
    *length -= 2;
  }
}

uint32_t put_profile_value(const char* text, size_t length, char* buffer, uint32_t size) {
  if (size == 0) return 0;
  size_t take = length < size - 1 ? length : size - 1;
  std::memcpy(buffer, text, take);
  buffer[take] = 0;
  return (uint32_t)take;
}

uint32_t put_profile_list(const char* names, size_t length, bool more, char* buffer,
                          uint32_t size) {
  if (size == 0) return 0;
  if (size == 1) {
    buffer[0] = 0;
    return 0;
  }
  size_t room = size - 2;
  if (!more && length <= room) {
    std::memcpy(buffer, names, length);
    buffer[length] = 0;
    // A result of size - 2 cannot tell a list that just fits from a cut one,
    // so both end with two NULs.
    if (length == room) buffer[length + 1] = 0;
    return (uint32_t)length;
  }
  // Callers walk a list to its empty name: a cut list ends with two NULs.
  std::memcpy(buffer, names, room < length ? room : length);
  if (length < room) std::memset(buffer + length, 0, room - length);
  buffer[room] = 0;
  buffer[room + 1] = 0;
  return (uint32_t)room;
}

uint32_t put_profile_default(const char* def, bool for_key, char* buffer, uint32_t size) {
  if (!def) def = "";
  size_t length = std::strlen(def);
  if (for_key)
    while (length > 1 && def[length - 1] == ' ') --length;
  drop_quotes(&def, &length);
  return put_profile_value(def, length, buffer, size);
}

}  // namespace plat

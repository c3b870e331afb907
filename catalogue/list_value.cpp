// Parsing a list entry's value and cutting names to their stored width.
// Fuzzed: no Japanese literals here.
#include <cstring>

#include "catalogue/list_entry.h"
#include "platform/shift_jis.h"

namespace catalogue {
namespace {

// Each field is used up to this many bytes.
constexpr size_t kFieldMax = 79;

// Decimal value of a field as atoi reads it; only its low 8 bits are kept,
// so the digits are summed modulo 2^32 and a long field cannot overflow.
uint8_t kind_code(const char* p, const char* end) {
  while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  uint32_t value = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) value = value * 10u + (uint32_t)(*p - '0');
  if (negative) value = 0u - value;
  return (uint8_t)(value & 0xFF);
}

}  // namespace

void cut_figure_name(const char* text, size_t length, char field[kFigureNameSize]) {
  size_t take =
      plat::whole_characters(text, length < kFigureNameSize - 1 ? length : kFigureNameSize - 1);
  std::memset(field, 0, kFigureNameSize);
  std::memcpy(field, text, take);
}

void parse_list_value(const char* value, ListEntry* entry) {
  const char* end = value;
  while (*end && *end != '\r') ++end;

  const char* field_end[2] = {end, end};
  const char* field_start[2] = {value, end};
  const char* comma = value;
  while (comma < end && *comma != ',') ++comma;
  field_end[0] = comma;
  if (comma < end) {
    field_start[1] = comma + 1;
    const char* next = field_start[1];
    while (next < end && *next != ',') ++next;
    field_end[1] = next;
  }
  for (int i = 0; i < 2; ++i)
    if ((size_t)(field_end[i] - field_start[i]) > kFieldMax)
      field_end[i] = field_start[i] + kFieldMax;

  cut_figure_name(field_start[0], (size_t)(field_end[0] - field_start[0]), entry->figure_name);
  entry->kind = kind_code(field_start[1], field_end[1]);
}

}  // namespace catalogue

// Splitting a maker section's key list. Fuzzed: no Japanese literals here.
#include "catalogue/list_entry.h"

namespace catalogue {
namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t leading_number(const char* p, const char* end) {
  while (p < end && is_space(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  int64_t value = 0;
  for (; p < end && is_digit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) value = 2147483647LL;
  return (int32_t)value;
}

int split_list_keys(const char* keys, size_t length, int32_t* part_numbers, int16_t* flags) {
  int count = 0;
  size_t at = 0;
  while (at < length && count < kMaxEntries) {
    size_t end = at;
    while (end < length && keys[end] != '\0') ++end;
    const char last = end > at ? keys[end - 1] : '\0';
    part_numbers[count] = leading_number(keys + at, keys + end);
    flags[count] = (int16_t)(is_digit(last) ? last - '0' : 0);
    ++count;
    at = end + 1;
  }
  return count;
}

}  // namespace catalogue

// A list entry's value as read from a list file: any bytes up to the
// reader's 400-byte buffer. The name must stay within its 24-byte field,
// end with a NUL and never end in half a double-byte character.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "catalogue/list_entry.h"
#include "platform/shift_jis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 399) size = 399;
  std::vector<char> value(data, data + size);
  value.push_back('\0');
  catalogue::ListEntry entry;
  std::memset(&entry, 0xA5, sizeof entry);
  catalogue::parse_list_value(value.data(), &entry);

  size_t length = strnlen(entry.figure_name, catalogue::kFigureNameSize);
  if (length > catalogue::kFigureNameSize - 1) std::abort();
  for (size_t i = length; i < catalogue::kFigureNameSize; ++i)
    if (entry.figure_name[i] != 0) std::abort();
  for (size_t i = 0; i < length; ++i) {
    if (!plat::is_lead_byte((unsigned char)entry.figure_name[i])) continue;
    if (i + 1 >= length) std::abort();  // a lead byte without its second byte
    ++i;
  }
  // The name is the value's first bytes, up to a comma or carriage return.
  if (std::memcmp(entry.figure_name, value.data(), length) != 0) std::abort();
  return 0;
}

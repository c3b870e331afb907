#include "archive/names.h"

#include <cstring>

#include "platform/shift_jis.h"

namespace lzh {
namespace {

bool is_separator(unsigned char c) { return c == '\\' || c == '/' || c == 0xFF; }

// A lead byte makes a character only with a valid second byte: in a name
// that is not Shift-JIS at all, a lead byte must not hide the '/' after it.
bool is_pair(const std::string& text, size_t i) {
  return plat::is_lead_byte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
         plat::is_trail_byte(static_cast<unsigned char>(text[i + 1]));
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool is_device(const std::string& name) {
  // Windows ignores what follows the first dot, and blanks before it.
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = upper(c);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices)
    if (stem == device) return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string last_path_element(const std::string& stored) {
  size_t start = 0;
  for (size_t i = 0; i < stored.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(stored[i]);
    if (is_pair(stored, i)) {
      ++i;
    } else if (is_separator(c)) {
      start = i + 1;
    }
  }
  return stored.substr(start);
}

const char* unsafe_name_reason(const std::string& name) {
  if (name.empty()) return "empty name";
  if (name == "." || name == "..") return "name leaves the folder";
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (is_pair(name, i)) {
      ++i;
      continue;
    }
    if (c < 0x20 || c == 0x7F) return "control character in name";
    if (c == ':') return "drive or stream in name";
    if (is_separator(c) || std::strchr("<>\"|?*", c)) return "character not allowed in names";
  }
  char last = name.back();
  if (last == '.' || last == ' ') return "name ends in a dot or blank";
  if (is_device(name)) return "device name";
  return nullptr;
}

}  // namespace lzh

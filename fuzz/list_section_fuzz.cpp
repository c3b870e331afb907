// A list file's text from the network, indexed for one maker section as a
// maker click does. The first line of the input names the section, the
// keys asked for are taken from the text's lines; every value found must
// lie inside the text, and lookups must stay within the value buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/section_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t line_end = input.find('\n');
  std::string section = input.substr(0, line_end == std::string::npos ? 0 : line_end);
  section = section.substr(0, section.find('\0'));
  std::string text = line_end == std::string::npos ? input : input.substr(line_end + 1);

  // The keys asked for: every line's text before its first '=' (up to 64).
  std::vector<std::string> keys;
  for (size_t at = 0; at < text.size() && keys.size() < 64;) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    keys.push_back(line.substr(0, line.find('=')).c_str());
    at = end + 1;
  }
  catalogue::SectionValues values;
  catalogue::index_section_values(text, section.c_str(), keys, &values);
  if (values.text != text) std::abort();
  char buffer[400];
  for (const auto& entry : values.values) {
    if (entry.second.second != std::string::npos &&
        (entry.second.first > text.size() || entry.second.second > text.size() - entry.second.first))
      std::abort();
    std::string key = entry.first.substr(0, entry.first.find('\0'));
    unsigned length = catalogue::section_value(values, key.c_str(), buffer, sizeof buffer);
    if (length >= sizeof buffer || buffer[length] != '\0') std::abort();
  }
  catalogue::section_value(values, "1001,0", buffer, 1);
  if (buffer[0] != '\0') std::abort();
  return 0;
}

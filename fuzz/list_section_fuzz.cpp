// A list file's text from the network, indexed for one maker section as a
// maker click does. The first line of the input names the section, the
// keys asked for are taken from the text's lines; every value found must
// lie inside the text, and every answer must be the one the keyed reader
// gives for that key.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/section_values.h"
#include "fuzz/file_fuzz.h"
#include "platform/profile.h"

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
  const std::string path = fuzzing::scratch_file("LIST.DAT", text);
  catalogue::SectionValues values;
  catalogue::index_section_values(text, path.c_str(), section.c_str(), keys, &values);
  fuzzing::expect(values.values.size() <= keys.size());
  const size_t text_size = values.text.size();
  for (const auto& [name, span] : values.values)
    fuzzing::expect(span.second == std::string::npos ||
                    (span.first <= text_size && span.second <= text_size - span.first));
  // Every answer must be the keyed reader's own, asked key by key.
  char buffer[400], reader[400];
  for (const std::string& key : keys) {
    unsigned length = catalogue::section_value(values, key.c_str(), buffer, sizeof buffer);
    fuzzing::expect(length < sizeof buffer && buffer[length] == '\0');
    unsigned want =
        plat::profile_read(section.c_str(), key.c_str(), "", reader, sizeof reader, path.c_str());
    fuzzing::expect(want == length && std::memcmp(reader, buffer, length) == 0);
  }
  catalogue::section_value(values, "1001,0", buffer, 1);
  fuzzing::expect(buffer[0] == '\0');
  return 0;
}

// A list file's text from the network, indexed for one maker section as a
// maker click does. The first line of the input names the section, the
// keys asked for are taken from the text's lines; every value found must
// lie inside the text, and every answer must be the one the keyed reader
// gives for that key.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "catalogue/section_values.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace {

// The reader reads files: each input is written to one scratch file of this
// process, removed when the process ends.
struct ScratchFile {
  std::string path = "/tmp/list_section_fuzz." + std::to_string(getpid()) + ".dat";
  ~ScratchFile() { plat::delete_file(path.c_str()); }
};

}  // namespace

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
  static ScratchFile scratch;
  const std::string& path = scratch.path;
  if (!plat::write_file(path.c_str(), text.data(), text.size())) return 0;
  catalogue::SectionValues values;
  catalogue::index_section_values(text, path.c_str(), section.c_str(), keys, &values);
  if (values.values.size() > keys.size()) std::abort();
  const size_t text_size = values.text.size();
  char buffer[400];
  for (const auto& entry : values.values) {
    if (entry.second.second != std::string::npos &&
        (entry.second.first > text_size || entry.second.second > text_size - entry.second.first))
      std::abort();
  }
  // Every answer must be the keyed reader's own, asked key by key.
  char reader[400];
  for (const std::string& key : keys) {
    unsigned length = catalogue::section_value(values, key.c_str(), buffer, sizeof buffer);
    if (length >= sizeof buffer || buffer[length] != '\0') std::abort();
    unsigned want =
        plat::profile_read(section.c_str(), key.c_str(), "", reader, sizeof reader, path.c_str());
    if (want != length || std::memcmp(reader, buffer, length) != 0) std::abort();
  }
  catalogue::section_value(values, "1001,0", buffer, 1);
  if (buffer[0] != '\0') std::abort();
  return 0;
}

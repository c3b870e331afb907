// Archive members written byte by byte for the tests, each field at its
// offset, so a test can say exactly what a hostile or unusual archive holds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lzhtest {

struct Member {
  explicit Member(std::string stored_name = "", std::string packed = "",
                  std::string method_id = "-lh0-")
      : method(method_id), name(stored_name), data(packed) {}
  std::string method;
  std::string name;            // stored as given, path and all; levels 2-3: none when empty
  std::string directory;       // levels 1-3: directory header (0xFF separators); none when empty
  std::string data;            // the packed bytes
  uint32_t original_size = 0;  // 0: data.size()
  int64_t packed_size = -1;    // -1: data.size() (level 1: plus its extended headers)
  int crc = -1;                // CRC-16 to store; -1: the CRC of `data`
  std::vector<std::string> extra;  // further extended headers: type byte, then data
  char os = 'U';                   // levels 1-3: the writer's system letter
  int size_error = 0;              // level 2: added to the header size field
};

std::string le32(uint32_t value);
uint16_t crc_of(const std::string& bytes);

// The member's header of `level` (0 to 3) followed by its data.
std::string member(int level, const Member& m);

inline std::string end_mark() { return std::string(1, '\0'); }  // of an archive

}  // namespace lzhtest

// Archive members written byte by byte for the tests, each field at its
// offset, so a test can say exactly what a hostile or unusual archive holds.
#pragma once
#include <cstdint>
#include <string>

namespace lzhtest {

struct Member {
  std::string method = "-lh0-";
  std::string name;            // stored as given, path and all
  std::string directory;       // level 1-3 directory header (0xFF separators); none when empty
  std::string data;            // the packed bytes
  uint32_t original_size = 0;  // defaults to data.size() when 0 and data is not empty
  int crc = -1;                // CRC-16 to store; -1: the CRC of `data`
  std::string extra;           // further extended headers, already framed, placed before the end
  uint8_t os = 'U';
};

std::string le16(uint32_t value);
std::string le32(uint32_t value);

uint16_t crc_of(const std::string& bytes);

// Headers of each level followed by the member's data.
std::string level0(const Member& m);
std::string level1(const Member& m);
std::string level2(const Member& m);
std::string level3(const Member& m);

// One extended header of level 1 or 2 (type, data, and a size field that
// the writer fills in when chaining).
std::string extended(uint8_t type, const std::string& data);

// The end mark of an archive.
inline std::string end_mark() { return std::string(1, '\0'); }

}  // namespace lzhtest

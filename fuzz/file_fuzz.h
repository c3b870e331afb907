// Shared by the fuzz targets that read files: each input is written to a
// file in a scratch folder of the process, removed when the process ends, so
// the targets go through the same file reads as the program.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzzing {

inline void expect(bool condition) {
  if (!condition) __builtin_trap();
}

// Writes `bytes` to the scratch file `name` and returns its path.
inline std::string scratch_file(const char* name, const std::string& bytes) {
  static std::string folder;
  if (folder.empty()) {
    char pattern[] = "/tmp/partsdl-fuzz-XXXXXX";
    expect(mkdtemp(pattern) != nullptr);
    folder = pattern;
    atexit([] { std::filesystem::remove_all(folder); });
  }
  const std::string path = folder + "/" + name;
  std::ofstream out(path, std::ios::binary);
  expect(static_cast<bool>(out << bytes << std::flush));
  return path;
}

// A part data file's first 2168 bytes: magic area and a header with the
// given stream length, section gate and header size.
inline std::string part_head(int32_t stream_length, int32_t gate, uint16_t header_size) {
  std::string bytes(2168, '\0');
  bytes.replace(0, 6, "PT-V01");
  for (int n = 0; n < 4; ++n) {
    bytes[12 + n] = static_cast<char>(static_cast<uint32_t>(stream_length) >> (8 * n));
    bytes[16 + n] = static_cast<char>(static_cast<uint32_t>(gate) >> (8 * n));
  }
  bytes[24] = static_cast<char>(header_size & 0xFF);
  bytes[25] = static_cast<char>(header_size >> 8);
  return bytes;
}

}  // namespace fuzzing

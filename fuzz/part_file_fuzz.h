// Shared by the part file fuzz targets: a scratch file per process that each
// input is written to, so the targets go through the same file reads as the
// program.
#pragma once

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzzing {

inline std::string& scratch_folder() {
  static std::string folder;
  return folder;
}

inline void remove_scratch_folder() {
  const std::string& folder = scratch_folder();
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') unlink((folder + "/" + entry->d_name).c_str());
    closedir(dir);
  }
  rmdir(folder.c_str());
}

inline std::string scratch_file(const char* name) {
  std::string& folder = scratch_folder();
  if (folder.empty()) {
    char pattern[] = "/tmp/partsdl-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) abort();
    folder = pattern;
    atexit(remove_scratch_folder);
  }
  return folder + "/" + name;
}

inline void put_file(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) abort();
  std::fclose(f);
}

inline void put32(std::string* bytes, size_t at, uint32_t value) {
  for (int n = 0; n < 4; ++n) (*bytes)[at + n] = static_cast<char>(value >> (8 * n));
}

// A part data file's first 2168 bytes: magic area and a header with the
// given stream length, section gate and header size.
inline std::string part_head(int32_t stream_length, int32_t gate, uint16_t header_size) {
  std::string bytes(2168, '\0');
  bytes.replace(0, 6, "PT-V01");
  put32(&bytes, 8 + 4, static_cast<uint32_t>(stream_length));
  put32(&bytes, 8 + 8, static_cast<uint32_t>(gate));
  bytes[8 + 16] = static_cast<char>(header_size & 0xFF);
  bytes[8 + 17] = static_cast<char>(header_size >> 8);
  return bytes;
}

inline void expect(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace fuzzing

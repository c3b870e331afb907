// The list file both fill-part-lists benchmarks read: three makers, the
// middle one with `entries` entries, the others with 300 each.
#pragma once

#include <string>

#include "platform/files.h"

inline std::string write_bench_list_file(const std::string& path, int entries) {
  std::string text = "[INFO]\r\nTITLE=bench\r\n";
  auto section = [&](const char* maker, int count) {
    text += std::string("[") + maker + "]\r\n";
    for (int i = 0; i < count; ++i)
      text += std::to_string(1001 + i) + "," + std::to_string(i % 3 ? 0 : 1) + "=PART" +
              std::to_string(i) + ",8,5\r\n";
  };
  section("MAKER-A", 300);
  section("MAKER-B", entries);
  section("MAKER-C", 300);
  plat::write_file(path.c_str(), text.data(), text.size());
  return path;
}

// Writes the inputs of the extraction benchmark (bench/lzh_extract.sh): the
// 6.8 MB parts index, mostly zeros, and 64 MB of mixed text, noise, zeros
// and far repeats. Deterministic, so every run measures the same bytes.
#include <cstdio>
#include <string>

#include "tests/archive/roundtrip_data.h"

static bool write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: lzh_bench_data <folder>\n", stderr);
    return 2;
  }
  std::string folder = std::string(argv[1]) + "/";
  if (!write(folder + "TRBHN.DAT", roundtrip::parts_index_shape()) ||
      !write(folder + "MIXED.BIN", roundtrip::mixed(64 << 20))) {
    std::perror("lzh_bench_data");
    return 1;
  }
  return 0;
}

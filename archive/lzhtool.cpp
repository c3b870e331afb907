// lzhtool: the archive library on the command line, for tests, benchmarks
// and trying archives by hand.
//   lzhtool e <archive> <folder>     extract as UNLHA32.DLL does
//   lzhtool l <archive>              list the members
//   lzhtool a <archive> <files...>   create an archive
#include <cstdio>
#include <cstring>
#include <string>

#include "archive/create_command.h"
#include "archive/extract.h"

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "e") == 0 && argc == 4) {
    std::string report;
    int result = lzh::extract_archive(argv[2], argv[3], &report);
    std::fputs(report.c_str(), stdout);
    return result == 0 ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "l") == 0) {
    std::string listing;
    int result = lzh::list_archive(argv[2], &listing);
    std::fputs(listing.c_str(), stdout);
    if (result != 0)
      std::fprintf(stderr, "lzhtool: archive not readable to the end (0x%X)\n", result);
    return result == 0 ? 0 : 1;
  }
  if (argc >= 2 && std::strcmp(argv[1], "a") == 0) return run_create_command(argc - 1, argv + 1);
  std::fputs("usage: lzhtool e <archive> <folder> | l <archive> | a <archive> <files...>\n",
             stderr);
  return 2;
}

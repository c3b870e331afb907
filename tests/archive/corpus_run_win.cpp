// Extracts archives through UNLHA32.DLL for the corpus comparison: each
// archive named on the command line into its own folder (numbered from 0) under the
// first argument, with the command the program uses. Prints one line per
// archive: its number, the result, and the report's closing line.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/archive/load_unlha32.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: corpus_run <output folder\\> <archives...>\n");
    return 2;
  }
  UnlhaFn unlha = load_unlha32();
  if (!unlha) {
    std::fprintf(stderr, "corpus_run: UNLHA32.DLL not loaded\n");
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    char out[MAX_PATH];
    wsprintfA(out, "%s%d\\", argv[1], i - 2);
    CreateDirectoryA(out, nullptr);
    char command[1000];
    wsprintfA(command, "e -n \"%s\" \"%s\"", argv[i], out);
    char report[1000];
    int result = unlha(nullptr, command, report, sizeof report);
    std::printf("%d %#x %s", i - 1, result, report);
  }
  return 0;
}

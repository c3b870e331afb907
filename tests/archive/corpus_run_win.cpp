// Extracts archives through UNLHA32.DLL for the corpus comparison: each
// archive named on the command line into its own folder (numbered from 0)
// under the first argument, with the command the program uses. Prints one
// line per archive: its number, the result, and the report's closing line.
#include <windows.h>

#include <cstdio>

#include "tests/archive/load_unlha32_win.h"

int main(int argc, char** argv) {
  UnlhaFn unlha = load_unlha32();
  if (argc < 3 || !unlha) {
    std::fprintf(
        stderr, "usage: corpus_run <output folder\\> <archives...>, with UNLHA32.DLL in ..\\bin\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    char out[MAX_PATH], command[1000], report[1000];
    wsprintfA(out, "%s%d\\", argv[1], i - 2);
    CreateDirectoryA(out, nullptr);
    wsprintfA(command, "e -n \"%s\" \"%s\"", argv[i], out);
    int result = unlha(nullptr, command, report, sizeof report);
    std::printf("%d %#x %s", i - 1, result, report);
  }
  return 0;
}

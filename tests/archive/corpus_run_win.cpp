// Extracts archives through UNLHA32.DLL for the corpus comparison: each
// archive named on the command line into its own folder (numbered from 0) under the
// first argument, with the command the program uses. Prints one line per
// archive: its number, the result, and the report's closing line.
#include <windows.h>

#include <cstdio>
#include <string>

typedef int(WINAPI* UnlhaFn)(HWND, LPCSTR, LPSTR, DWORD);

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: corpus_run <output folder\\> <archives...>\n");
    return 2;
  }
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, n);
  folder.resize(folder.find_last_of('\\'));
  folder.resize(folder.find_last_of('\\') + 1);
  HMODULE dll = LoadLibraryA((folder + "bin\\UNLHA32.DLL").c_str());
  UnlhaFn unlha = dll ? reinterpret_cast<UnlhaFn>(reinterpret_cast<void*>(GetProcAddress(dll, "Unlha"))) : nullptr;
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

// UNLHA32.DLL as the program loads it, for the Windows test programs: they
// run from <build>\tests\, the library sits in <build>\bin\.
#pragma once

#include <windows.h>

#include <string>

typedef int(WINAPI* UnlhaFn)(HWND, LPCSTR, LPSTR, DWORD);

// The entry "Unlha", or nullptr when the library or its entry is missing.
inline UnlhaFn load_unlha32() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, n);
  folder.resize(folder.find_last_of('\\'));
  folder.resize(folder.find_last_of('\\') + 1);
  HMODULE dll = LoadLibraryA((folder + "bin\\UNLHA32.DLL").c_str());
  return dll ? reinterpret_cast<UnlhaFn>(reinterpret_cast<void*>(GetProcAddress(dll, "Unlha")))
             : nullptr;
}

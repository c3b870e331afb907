// FIGDRAW.dll's entries as its callers look them up by name (figdraw.h says
// what each does).
#pragma once

#include <windows.h>

#include <cstdint>

namespace figure {

typedef int(WINAPI* Oglini)(HWND area, unsigned part, int background, int32_t* settings);
typedef int(WINAPI* Zkimset)(HWND area, unsigned part, int background);
typedef int(WINAPI* Zkidrw)(HWND area, int angle, int background);
typedef int(WINAPI* Oglend)(HWND area);
typedef int(WINAPI* Lstdll)(int destination, HWND owner, int32_t* settings, void* work);

// The entry `name` of a loaded library, or null (also for no library).
template <typename Entry>
Entry figdraw_entry(HMODULE library, const char* name) {
  return library ? reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

}  // namespace figure

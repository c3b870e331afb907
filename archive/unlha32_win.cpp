// UNLHA32.DLL's one entry. Everything behind it is the portable core.
#include <windows.h>

#include <string>

#include "archive/command.h"

extern "C" __declspec(dllexport) int WINAPI Unlha(HWND, LPCSTR command, LPSTR output, DWORD size) {
  std::string report;
  int result = lzh::run_command(command, &report);
  lzh::copy_report(report, output, size);
  return result;
}

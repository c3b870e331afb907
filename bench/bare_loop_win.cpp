#include "bench/bare_loop_win.h"

#include <wininet.h>

#include <cstdio>

#include "download/worker.h"

namespace bench {

std::vector<std::string> part_urls(int first, int count) {
  std::vector<std::string> urls;
  char path[96];
  for (int part = first; part < first + count; ++part) {
    std::snprintf(path, sizeof path, "/k-val/HDPARTS/PARTS%03d/P%07d.BHN", (part - 1001) / 2000,
                  part);
    urls.push_back(PARTSDL_BASE_URL + std::string(path));
  }
  return urls;
}

DWORD bare_loop(const std::vector<std::string>& urls, const std::string& folder) {
  HINTERNET root = InternetOpenA("TarvelBhBhB", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  static char buffer[65536];
  CreateDirectoryA(folder.c_str(), nullptr);
  DWORD start = GetTickCount();
  for (const std::string& url : urls) {
    HINTERNET request = InternetOpenUrlA(root, url.c_str(), "Accept: */*\r\n\r\n", (DWORD)-1,
                                         INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    DWORD status = 0, size = sizeof status, got, put;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (request &&
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                       nullptr) &&
        status == 200)
      file = CreateFileA((folder + url.substr(url.rfind('/') + 1)).c_str(), GENERIC_WRITE, 0,
                         nullptr, CREATE_ALWAYS, 0, nullptr);
    while (request && InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0)
      if (file != INVALID_HANDLE_VALUE) WriteFile(file, buffer, got, &put, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (request) InternetCloseHandle(request);
  }
  DWORD spent = GetTickCount() - start;
  InternetCloseHandle(root);
  return spent;
}

HWND window_titled(const gui::Program& program, const char* title) {
  for (HWND window : gui::process_windows(program.pid(), "#32770"))
    if (gui::text(window) == title && IsWindowVisible(window) && window != program.dialog)
      return window;
  return nullptr;
}

}  // namespace bench

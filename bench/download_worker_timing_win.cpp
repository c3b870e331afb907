// Timing of the download worker under Wine, against the stand-in server
// that bench/download_worker.sh starts behind the proxy setting:
//   walk  500 requests in a row (a list walk: mostly 404, some small files)
//   loop  the same 500 requests as a bare loop of the same WinINet calls
//   big   one 64 MB file, with the process's peak working set
// Each is run several times; the best time is printed.
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "download/maker_host.h"
#include "download/worker.h"

namespace {

const char kBase[] = "http://" PARTSDL_MAKER_HOST "/newdownload";
const int kWalk = 500;
unsigned outcomes, done;

LRESULT CALLBACK count_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DL_DONE || message == WM_DL_FAILED) {
    ++outcomes;
    if (message == WM_DL_DONE) ++done;
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

HWND counting_window() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = count_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DlBench";
  RegisterClassA(&wc);
  return CreateWindowA("DlBench", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

double now_ms() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * (double)t.QuadPart / (double)f.QuadPart;
}

// Looks at the reports every few milliseconds rather than waking for each:
// the figure is the worker's, not the cost of a busy receiver sharing the
// two processors with it.
bool wait_outcomes(unsigned count) {
  DWORD start = GetTickCount();
  MSG msg;
  while (outcomes < count) {
    if (GetTickCount() - start > 600000) return false;
    Sleep(5);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return true;
}

std::string walk_path(int i) { return "/K-VAL/pvnbhn_lst" + std::to_string(i) + ".dat"; }

// Worker: from the first request to the last report.
double worker_run(HWND window, const std::string& dir, int count, const char* (*path)(int)) {
  DownloadWorker* worker = download_worker_create(kBase);
  download_worker_set_window(worker, window);
  outcomes = done = 0;
  double start = now_ms();
  for (int i = 1; i <= count; ++i) {
    char remote[256];
    std::snprintf(remote, sizeof remote, "%s", path(i));
    std::string local = dir + (std::strrchr(remote, '/') + 1);
    download_worker_request(worker, remote, local.c_str(), 1, i);
  }
  bool all = wait_outcomes((unsigned)count);
  double spent = now_ms() - start;
  download_worker_destroy(worker);
  return all ? spent : -1;
}

const char* walk_remote(int i) {
  static std::string s;
  s = walk_path(i);
  return s.c_str();
}

const char* big_remote(int) { return "/K-VAL/HDPARTS/TRBHN.LZH"; }

// The floor: the same WinINet calls per request, nothing else.
double bare_loop(int count) {
  static char buffer[65536];
  double start = now_ms();
  HINTERNET root = InternetOpenA("TarvelBhBhB", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  for (int i = 1; i <= count; ++i) {
    std::string path = "/newdownload" + walk_path(i);
    HINTERNET connection = InternetConnectA(root, PARTSDL_MAKER_HOST, 80, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, "GET", path.c_str(), nullptr, nullptr, nullptr,
                                         INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    DWORD ms = 12000;
    InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
    if (HttpSendRequestA(request, "Accept: */*\r\n\r\n", 15, nullptr, 0)) {
      DWORD status = 0, size = sizeof status, got = 0;
      HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                     nullptr);
      if (status == 200)
        while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
        }
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
  }
  InternetCloseHandle(root);
  return now_ms() - start;
}

size_t peak_working_set() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

}  // namespace

int main(int argc, char** argv) {
  char dir[MAX_PATH];
  if (!GetEnvironmentVariableA("DLBENCH_DIR", dir, sizeof dir)) {
    std::printf("download_worker_bench: needs the stand-in server; run bench/download_worker.sh\n");
    return 0;
  }
  int rounds = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 5;
  HWND window = counting_window();
  double walk = 1e30, loop = 1e30, big = 1e30;
  // Worker and loop run back to back in each round, so that the ratio of a
  // round sees the same load on the machine; the median ratio is printed.
  std::vector<double> ratios;
  for (int r = 0; r < rounds; ++r) {
    double w = worker_run(window, dir, kWalk, walk_remote);
    double l = bare_loop(kWalk);
    ratios.push_back(w / l);
    if (w < 0 || done != kWalk / 10) {
      std::printf("walk: not every request was reported as expected\n");
      return 1;
    }
    if (w < walk) walk = w;
    if (l < loop) loop = l;
  }
  size_t before = peak_working_set();
  for (int r = 0; r < rounds; ++r) {
    double b = worker_run(window, dir, 1, big_remote);
    if (b < 0 || done != 1) {
      std::printf("big: the 64 MB file was not received\n");
      return 1;
    }
    if (b < big) big = b;
  }
  size_t after = peak_working_set();
  std::printf("walk_worker_ms %.1f\n", walk);
  std::printf("walk_loop_ms %.1f\n", loop);
  std::sort(ratios.begin(), ratios.end());
  std::printf("walk_median_ratio %.2f\n", ratios[ratios.size() / 2]);
  std::printf("big_worker_ms %.1f\n", big);
  std::printf("peak_working_set_before_kb %u\n", (unsigned)(before / 1024));
  std::printf("peak_working_set_after_kb %u\n", (unsigned)(after / 1024));
  return 0;
}

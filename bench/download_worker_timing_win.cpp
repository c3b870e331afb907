// Timing of the download worker under Wine, against the stand-in server
// that bench/download_worker.sh starts behind the proxy setting:
//   walk  7,850 list requests (one in thirty on the server, the rest 404)
//         and 2,000 part files of 16 KB, as the program walks a catalogue
//   loop  the same requests as a bare sequential loop of the same WinINet
//         calls, run in the same round
//   big   one 64 MB file (unless "nobig" is given)
// with the process's working set at the start, and before and after the
// first walk. Each is run
// the given number of rounds; the best time is printed.
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
const int kLists = 7850, kParts = 2000;
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
void pump() {
  MSG msg;
  Sleep(5);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The walk's remote paths, under the base URL; the script lays out the same.
std::vector<std::string> walk_paths() {
  std::vector<std::string> paths;
  char path[64];
  for (int i = 0; i < kLists; ++i) {
    std::snprintf(path, sizeof path, "/K-VAL/pvnbhn_lst%06d.dat", i);
    paths.push_back(path);
  }
  for (int i = 0; i < kParts; ++i) {
    std::snprintf(path, sizeof path, "/k-val/HDPARTS/PARTS%03d/P%07d.BHN", i / 100, i);
    paths.push_back(path);
  }
  return paths;
}

// Worker: from the first request to the last report. The queue holds some
// hundreds of requests; the rest are queued as it makes room, as the
// program does.
double worker_run(HWND window, const std::string& dir, const std::vector<std::string>& paths) {
  DownloadWorker* worker = download_worker_create(kBase);
  download_worker_set_window(worker, window);
  outcomes = done = 0;
  double start = now_ms();
  DWORD give_up = GetTickCount() + 1200000;
  for (const std::string& path : paths) {
    char remote[256];
    std::snprintf(remote, sizeof remote, "%s", path.c_str());
    std::string local = dir + (std::strrchr(remote, '/') + 1);
    while (!download_worker_request(worker, remote, local.c_str(), 1, 0) &&
           GetTickCount() < give_up)
      pump();
  }
  while (outcomes < paths.size() && GetTickCount() < give_up) pump();
  double spent = now_ms() - start;
  download_worker_destroy(worker);
  return outcomes == paths.size() ? spent : -1;
}

// The floor: the same WinINet calls per request, one after another.
double bare_loop(const std::vector<std::string>& paths) {
  static char buffer[65536];
  double start = now_ms();
  HINTERNET root = InternetOpenA("TarvelBhBhB", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  for (const std::string& remote : paths) {
    std::string path = "/newdownload" + remote;
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
        while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {}
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
  }
  InternetCloseHandle(root);
  return now_ms() - start;
}

PROCESS_MEMORY_COUNTERS memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

}  // namespace

int main(int argc, char** argv) {
  char dir[MAX_PATH];
  if (!GetEnvironmentVariableA("DLBENCH_DIR", dir, sizeof dir)) {
    std::printf("download_worker_bench: needs the stand-in server; run bench/download_worker.sh\n");
    return 0;
  }
  int rounds = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 1;
  bool big_file = !(argc > 2 && std::strcmp(argv[2], "nobig") == 0);
  HWND window = counting_window();
  std::vector<std::string> paths = walk_paths();
  const unsigned expected_done = (kLists + 29) / 30 + kParts;
  double walk = 1e30, loop = 1e30;
  // Worker and loop run back to back in each round, so that the ratio of a
  // round sees the same load on the machine; the median ratio is printed.
  std::vector<double> ratios;
  // The worker's threads and WinINet's first connections are made by a
  // first short walk; the working set is measured across the full walk.
  PROCESS_MEMORY_COUNTERS at_start = memory();
  worker_run(window, dir, std::vector<std::string>(paths.end() - 50, paths.end()));
  PROCESS_MEMORY_COUNTERS before = memory(), after = before;
  for (int r = 0; r < rounds; ++r) {
    double w = worker_run(window, dir, paths);
    if (w < 0 || done != expected_done) {
      std::printf("walk: %u reports, %u done, %u expected\n", outcomes, done, expected_done);
      return 1;
    }
    if (r == 0) after = memory();
    double l = bare_loop(paths);
    ratios.push_back(w / l);
    walk = std::min(walk, w);
    loop = std::min(loop, l);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("walk_worker_ms %.0f\n", walk);
  std::printf("walk_loop_ms %.0f\n", loop);
  std::printf("walk_median_ratio %.2f\n", ratios[ratios.size() / 2]);
  std::printf("working_set_start_kb %u\n", (unsigned)(at_start.WorkingSetSize / 1024));
  std::printf("working_set_before_kb %u\n", (unsigned)(before.WorkingSetSize / 1024));
  std::printf("working_set_after_kb %u\n", (unsigned)(after.WorkingSetSize / 1024));
  std::printf("peak_working_set_after_kb %u\n", (unsigned)(after.PeakWorkingSetSize / 1024));
  if (!big_file) return 0;
  double big = 1e30;
  std::vector<std::string> one(1, "/K-VAL/HDPARTS/TRBHN.LZH");
  for (int r = 0; r < rounds; ++r) {
    double b = worker_run(window, dir, one);
    if (b < 0 || done != 1) {
      std::printf("big: the 64 MB file was not received\n");
      return 1;
    }
    big = std::min(big, b);
  }
  std::printf("big_worker_ms %.1f\n", big);
  std::printf("peak_working_set_big_kb %u\n", (unsigned)(memory().PeakWorkingSetSize / 1024));
  return 0;
}

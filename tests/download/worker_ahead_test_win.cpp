// The download worker fetching ahead, and facing a server it cannot reach,
// under Wine against the stand-in server (tests/download/with_server.sh).
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "download/maker_host.h"
#include "download/worker.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

const DownloadTiming kQuick = {{100, 200, 400}, 1000};
std::vector<MSG> reports;  // message, wParam, lParam

LRESULT CALLBACK report_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_DL_DONE && message != WM_DL_FAILED && message != WM_DL_PENDING)
    return DefWindowProcA(window, message, w, l);
  MSG m = {};
  m.message = message;
  m.wParam = w;
  m.lParam = l;
  reports.push_back(m);
  return 0;
}

HWND report_window() {
  static HWND window;
  if (window) return window;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = report_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DlAheadReports";
  RegisterClassA(&wc);
  window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                         nullptr);
  return window;
}

bool wait_reports(size_t count, DWORD ms) {
  DWORD start = GetTickCount();
  while (reports.size() < count && GetTickCount() - start < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return reports.size() >= count;
}

std::string env(const char* name) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n && n < sizeof value ? std::string(value, n) : std::string();
}

// Files under /newdownload/K-VAL/ on the server.
void serve(const std::string& name, const std::string& bytes) {
  std::string dir = env("DLTEST_ROOT") + "\\newdownload";
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\K-VAL").c_str(), nullptr);
  oktest::put_file(dir + "\\K-VAL\\" + name, bytes);
}

void rules(const std::string& json) { oktest::put_file(env("DLTEST_RULES"), json); }

// Positions in the server's log of the lines for /newdownload/K-VAL/<name>.
std::vector<size_t> logged(const std::string& name) {
  std::string log, key = "\"path\": \"/newdownload/K-VAL/" + name + "\"";
  oktest::get_file(env("DLTEST_LOG"), &log);
  std::vector<size_t> at;
  for (size_t p = log.find(key); p != std::string::npos; p = log.find(key, p + 1)) at.push_back(p);
  return at;
}

std::string content(const std::string& path) {
  std::string bytes;
  return oktest::get_file(path, &bytes) ? bytes : "<missing>";
}

struct Rig {
  DownloadWorker* worker = download_worker_create("http://" PARTSDL_MAKER_HOST "/newdownload");
  std::string dir;
  explicit Rig(const char* name, const DownloadTiming& timing = kQuick)
      : dir(oktest::scratch_folder(name)) {
    download_worker_set_window(worker, report_window());
    download_worker_set_timing(worker, timing);
    reports.clear();
  }
  ~Rig() { download_worker_destroy(worker); }
  int request(const std::string& name, const std::string& local, int32_t tag, int32_t value) {
    char remote[256];
    std::snprintf(remote, sizeof remote, "/K-VAL/%s", name.c_str());
    return download_worker_request(worker, remote, (dir + local).c_str(), tag, value);
  }
  // The worker fetches ahead once a first transfer has ended.
  void warm_up() {
    rules("{}");
    serve("warm.dat", "w");
    request("warm.dat", "warm.dat", 9, 9);
    wait_reports(2, 5000);
    reports.clear();
  }
};

// Outcomes (DONE 'D', FAILED 'F', unreachable 'U') with their values, and
// whether each is followed by the right count still queued.
std::string outcomes(size_t queued) {
  std::string text;
  for (size_t i = 0; i < reports.size(); i += 2) {
    const MSG& r = reports[i];
    char one[32];
    std::snprintf(one, sizeof one, "%c%d ",
                  r.message == WM_DL_DONE ? 'D' : r.wParam & DL_FAILED_UNREACHABLE ? 'U' : 'F',
                  (int)r.lParam);
    text += one;
    if (r.message == WM_DL_PENDING || (r.wParam & 0xFFFF) != 1) text += "<bad tag> ";
    if (i + 1 >= reports.size() || reports[i + 1].message != WM_DL_PENDING ||
        reports[i + 1].wParam != queued - i / 2 - 1)
      text += "<bad pending> ";
  }
  return text;
}

// WinINet reads the proxy setting once per process, so a test with a proxy
// of its own runs again in a child process, started with that setting.
// True in the child, which goes on with the test.
bool in_child_with_proxy(const char* test, int port) {
  if (!env("DLTEST_CHILD").empty()) return true;
  std::string saved = env("http_proxy");
  SetEnvironmentVariableA("http_proxy", ("http://127.0.0.1:" + std::to_string(port)).c_str());
  SetEnvironmentVariableA("DLTEST_CHILD", "1");
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string line = std::string("child ") + test;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  DWORD status = 1;
  if (CreateProcessA(exe, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  SetEnvironmentVariableA("DLTEST_CHILD", nullptr);
  SetEnvironmentVariableA("http_proxy", saved.c_str());
  ok(status == 0, "%s passed in its own process\n", test);
  return false;
}

// A socket that listens and never accepts: connections are made by the
// system and never answered. `listening` false: a port closed again.
SOCKET listener(bool listening, int* port) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  bind(s, (sockaddr*)&address, size);
  getsockname(s, (sockaddr*)&address, &size);
  *port = ntohs(address.sin_port);
  if (listening) return listen(s, 16) == 0 ? s : INVALID_SOCKET;
  closesocket(s);
  return INVALID_SOCKET;
}

}  // namespace

TEST(reports_stay_in_queue_order_while_later_requests_finish_first) {
  Rig rig("ahead");
  rig.warm_up();
  serve("slow.dat", "slow!");
  serve("one.dat", "111");
  serve("two.dat", "22");
  serve("three.dat", "3");
  // The head answers slowly. Two requests for one local path: the first is
  // the slower, and the second's file must end up in place.
  rules(R"({"/newdownload/K-VAL/slow.dat": {"chunk_size": 2, "pause_ms": 300},
            "/newdownload/K-VAL/one.dat": {"chunk_size": 1, "pause_ms": 100}})");
  rig.request("slow.dat", "slow.dat", 1, 1);
  rig.request("one.dat", "same.dat", 1, 2);
  rig.request("none.dat", "none.dat", 1, 3);
  rig.request("two.dat", "same.dat", 1, 4);
  rig.request("three.dat", "three.dat", 1, 5);
  ok(wait_reports(10, 5000), "reported: %s\n", outcomes(5).c_str());
  ok(outcomes(5) == "D1 D2 F3 D4 D5 ", "in queue order: %s\n", outcomes(5).c_str());
  std::vector<size_t> slow = logged("slow.dat"), three = logged("three.dat");
  ok(slow.size() == 1 && three.size() == 1 && three[0] < slow[0],
     "a later request was fetched while the head was slow\n");
  ok(content(rig.dir + "same.dat") == "22" && content(rig.dir + "slow.dat") == "slow!",
     "files whole, the later request's file in place\n");
}

TEST(duplicates_of_requests_in_flight_or_finished_ahead_are_dropped) {
  Rig rig("ahead_dups");
  rig.warm_up();
  for (const char* name : {"d1.dat", "d2.dat", "d3.dat"}) serve(name, name);
  rules(R"({"/newdownload/K-VAL/d1.dat": {"chunk_size": 2, "pause_ms": 200}})");
  rig.request("d1.dat", "d1.dat", 1, 1);
  rig.request("d2.dat", "d2.dat", 1, 2);
  rig.request("d3.dat", "d3.dat", 1, 3);
  for (int i = 0; i < 100 && logged("d3.dat").empty(); ++i) Sleep(10);
  ok(rig.request("d3.dat", "other.dat", 1, 30) == 1 && rig.request("d1.dat", "x.dat", 1, 10) == 1,
     "duplicates accepted\n");
  ok(wait_reports(6, 5000) && outcomes(3) == "D1 D2 D3 ", "one report each: %s\n",
     outcomes(3).c_str());
  ok(rig.request("d2.dat", "again.dat", 1, 20) == 1, "a recent path accepted\n");
  wait_reports(7, 400);
  ok(reports.size() == 6, "and dropped: %s\n", outcomes(3).c_str());
  ok(logged("d1.dat").size() == 1 && logged("d2.dat").size() == 1 && logged("d3.dat").size() == 1,
     "each fetched once\n");
}

TEST(shutdown_finishes_the_transfers_in_progress_and_drops_the_rest) {
  DownloadTiming long_pauses = {{30000, 30000, 30000}, 1000};
  Rig rig("ahead_stop", long_pauses);
  rig.warm_up();
  rules(R"({"/newdownload/K-VAL/s*.dat": {"chunk_size": 5, "pause_ms": 150},
            "/newdownload/K-VAL/cut.dat": {"cut_after": 10}})");
  serve("cut.dat", std::string(1000, 'c'));
  rig.request("cut.dat", "cut.dat", 1, 0);
  for (int i = 1; i <= 9; ++i) {
    serve("s" + std::to_string(i) + ".dat", std::string(20, 'a' + i));
    rig.request("s" + std::to_string(i) + ".dat", "s" + std::to_string(i), 1, i);
  }
  for (int i = 0; i < 200 && logged("cut.dat").empty(); ++i) Sleep(10);
  Sleep(200);
  DWORD start = GetTickCount();
  download_worker_shutdown(rig.worker);
  DWORD spent = GetTickCount() - start;
  ok(spent < 2000, "no retry pause waited out: %lu ms\n", (unsigned long)spent);
  wait_reports(100, 300);
  ok(outcomes(10) == "F0 D1 D2 D3 D4 D5 ", "six transfers reported: %s\n", outcomes(10).c_str());
  ok(content(rig.dir + "s5") == std::string(20, 'f'), "written whole\n");
  ok(logged("s6.dat").empty() && content(rig.dir + "s6") == "<missing>",
     "requests not started are not fetched\n");
}

TEST(a_closed_proxy_port_fails_every_request_at_once_with_the_flag) {
  int port;
  listener(false, &port);
  if (!in_child_with_proxy("a_closed_proxy_port_fails_every_request_at_once_with_the_flag", port))
    return;
  Rig rig("closed", {{100, 200, 400}, 12000});
  DWORD start = GetTickCount();
  for (int i = 0; i < 50; ++i) rig.request("c" + std::to_string(i) + ".dat", "c", 1, i);
  ok(wait_reports(100, 8000), "reported\n");
  DWORD spent = GetTickCount() - start;
  std::string expected;
  for (int i = 0; i < 50; ++i) expected += "U" + std::to_string(i) + " ";
  ok(outcomes(50) == expected, "all unreachable, in order: %s\n", outcomes(50).c_str());
  ok(spent < 4000, "50 requests took %lu ms\n", (unsigned long)spent);
}

TEST(a_silent_server_costs_one_time_out_per_cool_down) {
  int port;
  SOCKET silent = listener(true, &port);
  ok(silent != INVALID_SOCKET, "listening\n");
  if (!in_child_with_proxy("a_silent_server_costs_one_time_out_per_cool_down", port)) {
    closesocket(silent);
    return;
  }
  Rig rig("silent");
  DWORD start = GetTickCount();
  for (int i = 0; i < 8; ++i) rig.request("q" + std::to_string(i) + ".dat", "q", 1, i);
  ok(wait_reports(16, 6000), "reported\n");
  DWORD spent = GetTickCount() - start;
  ok(outcomes(8) == "U0 U1 U2 U3 U4 U5 U6 U7 ", "all unreachable: %s\n", outcomes(8).c_str());
  ok(spent >= 900 && spent < 2500, "one time-out: %lu ms\n", (unsigned long)spent);

  Sleep(3200);  // the cool-down
  reports.clear();
  start = GetTickCount();
  rig.request("later.dat", "later", 1, 8);
  ok(wait_reports(2, 5000), "reported\n");
  spent = GetTickCount() - start;
  ok(outcomes(1) == "U8 " && spent >= 900, "a real attempt again: %lu ms\n", (unsigned long)spent);
}

// The download worker fetching ahead, and facing a server it cannot reach,
// under Wine against the stand-in server (tests/download/with_server.sh).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "download/maker_host.h"
#include "download/worker.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

const DownloadTiming kQuick = {{100, 200, 400}, 1000};
// Each outcome as DONE 'D', FAILED 'F' or unreachable 'U', '!' for a tag
// other than 1, the value, and after '/' the count still queued.
std::string reports;
size_t outcomes;

LRESULT CALLBACK report_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DL_PENDING) {
    reports += "/" + std::to_string(w) + " ";
    ++outcomes;
  } else if (message == WM_DL_DONE || message == WM_DL_FAILED) {
    reports += message == WM_DL_DONE ? 'D' : w & DL_FAILED_UNREACHABLE ? 'U' : 'F';
    reports += ((w & 0xFFFF) != 1 ? "!" : "") + std::to_string(l);
  }
  return DefWindowProcA(window, message, w, l);
}

bool wait_reports(size_t count, DWORD ms) {
  MSG msg;
  for (DWORD start = GetTickCount(); outcomes < count && GetTickCount() - start < ms;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return outcomes >= count;
}

std::string env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

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
    static HWND window;
    WNDCLASSA wc = {0, report_proc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "DlAhead"};
    if (!window && RegisterClassA(&wc))
      window = CreateWindowA("DlAhead", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    download_worker_set_window(worker, window);
    download_worker_set_timing(worker, timing);
    clear();
  }
  ~Rig() { download_worker_destroy(worker); }
  void clear() {
    reports.clear();
    outcomes = 0;
  }
  int request(const std::string& name, const std::string& local, int32_t value) {
    char remote[256];
    std::snprintf(remote, sizeof remote, "/K-VAL/%s", name.c_str());
    return download_worker_request(worker, remote, (dir + local).c_str(), 1, value);
  }
  // The worker fetches ahead once a first transfer has ended.
  void warm_up() {
    serve("warm.dat", "w");
    request("warm.dat", "warm.dat", 0);
    wait_reports(1, 5000);
    clear();
  }
};

// WinINet reads the proxy setting once per process, so a test with a proxy
// of its own runs again in a child process, started with that setting.
// True in the child, which goes on with the test.
bool in_child_with_proxy(const char* test, int port) {
  if (!env("DLTEST_CHILD").empty()) return true;
  std::string saved = env("http_proxy"), line = std::string("child ") + test;
  SetEnvironmentVariableA("http_proxy", ("http://127.0.0.1:" + std::to_string(port)).c_str());
  SetEnvironmentVariableA("DLTEST_CHILD", "1");
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
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
  rig.request("slow.dat", "slow.dat", 1);
  rig.request("one.dat", "same.dat", 2);
  rig.request("none.dat", "none.dat", 3);
  rig.request("two.dat", "same.dat", 4);
  rig.request("three.dat", "three.dat", 5);
  // Duplicates of a request under way and of one finished ahead of the
  // head, then of one reported: all dropped.
  for (int i = 0; i < 100 && logged("three.dat").empty(); ++i) Sleep(10);
  ok(rig.request("slow.dat", "x", 6) == 1 && rig.request("three.dat", "x", 7) == 1,
     "duplicates accepted\n");
  wait_reports(5, 5000);
  ok(rig.request("two.dat", "x", 8) == 1, "a recent path accepted\n");
  wait_reports(6, 400);
  ok(reports == "D1/4 D2/3 F3/2 D4/1 D5/0 ", "in queue order, once each: %s\n", reports.c_str());
  std::vector<size_t> slow = logged("slow.dat"), three = logged("three.dat");
  ok(slow.size() == 1 && three.size() == 1 && three[0] < slow[0] && logged("two.dat").size() == 1,
     "fetched once each, a later request while the head was slow\n");
  ok(content(rig.dir + "same.dat") == "22" && content(rig.dir + "slow.dat") == "slow!",
     "files whole, the later request's file in place\n");
}

TEST(shutdown_finishes_the_transfers_in_progress_and_drops_the_rest) {
  Rig rig("ahead_stop", {{30000, 30000, 30000}, 1000});
  rig.warm_up();
  rules(R"({"/newdownload/K-VAL/s*.dat": {"chunk_size": 5, "pause_ms": 150},
            "/newdownload/K-VAL/cut.dat": {"cut_after": 10}})");
  serve("cut.dat", std::string(1000, 'c'));
  rig.request("cut.dat", "cut.dat", 0);
  for (int i = 1; i <= 9; ++i) {
    serve("s" + std::to_string(i) + ".dat", std::string(20, 'a' + i));
    rig.request("s" + std::to_string(i) + ".dat", "s" + std::to_string(i), i);
  }
  for (int i = 0; i < 200 && logged("cut.dat").empty(); ++i) Sleep(10);
  Sleep(200);
  DWORD start = GetTickCount();
  download_worker_shutdown(rig.worker);
  DWORD spent = GetTickCount() - start;
  ok(spent < 2000, "no retry pause waited out: %lu ms\n", (unsigned long)spent);
  wait_reports(7, 300);
  ok(reports == "F0/9 D1/8 D2/7 D3/6 D4/5 D5/4 ", "six transfers reported: %s\n", reports.c_str());
  ok(content(rig.dir + "s5") == std::string(20, 'f'), "written whole\n");
  ok(logged("s6.dat").empty() && content(rig.dir + "s6") == "<missing>",
     "requests not started are not fetched\n");
}

TEST(a_closed_proxy_port_fails_every_request_at_once_with_the_flag) {
  // Nothing listens on port 1 of this machine.
  if (!in_child_with_proxy("a_closed_proxy_port_fails_every_request_at_once_with_the_flag", 1))
    return;
  Rig rig("closed", {{100, 200, 400}, 12000});
  DWORD start = GetTickCount();
  std::string expected;
  for (int i = 0; i < 50; ++i) {
    rig.request("c" + std::to_string(i) + ".dat", "c", i);
    expected += "U" + std::to_string(i) + "/" + std::to_string(49 - i) + " ";
  }
  wait_reports(50, 8000);
  DWORD spent = GetTickCount() - start;
  ok(reports == expected, "all unreachable, in order: %s\n", reports.c_str());
  ok(spent < 4000, "50 requests took %lu ms\n", (unsigned long)spent);
}

TEST(a_silent_server_costs_one_time_out_per_cool_down) {
  Rig rig("silent");
  rules(R"({"/newdownload/K-VAL/q*.dat": {"silent": true}})");
  DWORD start = GetTickCount();
  for (int i = 0; i < 4; ++i) rig.request("q" + std::to_string(i) + ".dat", "q", i);
  wait_reports(4, 6000);
  DWORD spent = GetTickCount() - start;
  ok(reports == "U0/3 U1/2 U2/1 U3/0 ", "all unreachable: %s\n", reports.c_str());
  ok(spent >= 900 && spent < 2500, "one time-out: %lu ms\n", (unsigned long)spent);

  Sleep(3200);  // the cool-down
  start = GetTickCount();
  rig.request("q4.dat", "q", 4);
  wait_reports(5, 5000);
  spent = GetTickCount() - start;
  ok(reports.substr(20) == "U4/0 " && spent >= 900, "a real attempt again: %lu ms\n",
     (unsigned long)spent);
}

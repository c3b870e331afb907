// The download worker under Wine, against the stand-in server reached
// through the proxy setting (tests/download/with_server.sh). A message-only
// window receives the reports as the main dialog would.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "download/maker_host.h"
#include "download/worker.h"
#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using namespace oktest;

namespace {

const char kBase[] = "http://" PARTSDL_MAKER_HOST "/newdownload";
// Short pauses and time-outs keep the fault cases quick.
const DownloadTiming kQuick = {{100, 200, 400}, 1500};

std::vector<MSG> reports;

LRESULT CALLBACK report_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_DL_DONE && message != WM_DL_FAILED && message != WM_DL_PENDING)
    return DefWindowProcA(window, message, w, l);
  reports.push_back({window, message, w, l, 0, {0, 0}});
  return 0;
}

HWND report_window() {
  static HWND window;
  if (window) return window;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = report_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DlReports";
  RegisterClassA(&wc);
  return window = CreateWindowA("DlReports", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                nullptr);
}

// Handles messages until `count` reports arrived or `ms` passed.
bool wait_reports(size_t count, DWORD ms) {
  DWORD start = GetTickCount();
  while (reports.size() < count && GetTickCount() - start < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - (GetTickCount() - start), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return reports.size() >= count;
}

// Handles messages for `ms`, to catch reports that should not come.
void settle(DWORD ms) { wait_reports((size_t)-1, ms); }

std::string env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

// Puts a file into the server's catalogue under /newdownload/K-VAL/.
void serve(const std::string& name, const std::string& bytes) {
  std::string path = env("DLTEST_ROOT") + "\\newdownload";
  CreateDirectoryA(path.c_str(), nullptr);
  CreateDirectoryA((path += "\\K-VAL").c_str(), nullptr);
  put_file(path + "\\" + name, bytes);
}

// The server reloads its rules when the file changes.
void rules(const std::string& json) { put_file(env("DLTEST_RULES"), json); }

// The server's log lines for a URL path; it logs a request once its answer
// has ended, which may be a moment after the worker has the bytes.
std::vector<std::string> logged(const std::string& path, size_t at_least = 0) {
  std::vector<std::string> lines;
  for (int i = 0; i == 0 || (i < 200 && lines.size() < at_least); ++i) {
    std::string log, line;
    get_file(env("DLTEST_LOG"), &log);
    std::istringstream in(log);
    for (lines.clear(); std::getline(in, line);)
      if (line.find("\"path\": \"" + path + "\"") != std::string::npos) lines.push_back(line);
    if (lines.size() < at_least) Sleep(25);
  }
  return lines;
}

std::string content(const std::string& path) {
  std::string bytes;
  return get_file(path, &bytes) ? bytes : "<missing>";
}

bool exists(const std::string& path) { return plat::file_exists(path.c_str()); }

struct Rig {
  DownloadWorker* worker;
  std::string dir;
  explicit Rig(const char* name, const DownloadTiming& timing = kQuick)
      : worker(download_worker_create(kBase)), dir(oktest::scratch_folder(name)) {
    download_worker_set_window(worker, report_window());
    download_worker_set_timing(worker, timing);
    reports.clear();
    rules("{}");
  }
  ~Rig() { download_worker_destroy(worker); }
  // Sends `remote` with backslashes, which the worker turns into slashes in
  // the caller's string.
  int request(std::string remote, const std::string& local, int32_t tag, int32_t value) {
    for (char& c : remote) c = c == '/' ? '\\' : c;
    int queued = download_worker_request(worker, &remote[0], local.c_str(), tag, value);
    ok(!queued || remote.find('\\') == std::string::npos, "caller's string: %s\n", remote.c_str());
    return queued;
  }
};

bool is(size_t i, UINT message, WPARAM tag, LPARAM value) {
  return i < reports.size() && reports[i].message == message && reports[i].wParam == tag &&
         reports[i].lParam == value;
}

// The reports so far: D(tag,value) done, F failed, P(count) pending.
std::string describe() {
  std::string text;
  for (const MSG& r : reports)
    text += r.message == WM_DL_PENDING
                ? " P(" + std::to_string(r.wParam) + ")"
                : std::string(r.message == WM_DL_DONE ? " D(" : " F(") + std::to_string(r.wParam) +
                      "," + std::to_string(r.lParam) + ")";
  return text.substr(0, 300);
}

}  // namespace

TEST(a_full_queue_refuses_and_keeps_every_earlier_request) {
  Rig rig("full");
  serve("slow.dat", "slow");
  // The head stalls for a while so that the queue fills behind it with
  // requests of 460 bytes, none of them on the server.
  rules(R"({"/newdownload/K-VAL/slow.dat": {"chunk_size": 1, "pause_ms": 300}})");
  rig.request("/K-VAL/slow.dat", rig.dir + "slow.dat", 0, 1000);
  const std::string local = rig.dir + std::string(250 - rig.dir.size(), 'L');
  int queued = 0;
  for (char remote[256]; queued < 200; ++queued) {
    std::snprintf(remote, sizeof remote, "/K-VAL/fill%04d/%s", queued,
                  std::string(188, 'f').c_str());
    if (rig.request(remote, local, 100 + queued, queued) == 0) break;
  }
  ok(queued > 100 && queued < 200, "the queue refused at %d\n", queued);
  const size_t expected = 2 * (1 + queued);
  ok(wait_reports(expected, 60000), "%u of %u reports\n", (unsigned)reports.size(),
     (unsigned)expected);
  settle(200);
  bool in_order = reports.size() == expected && is(0, WM_DL_DONE, 0, 1000);
  for (size_t i = 0; i < reports.size(); i += 2)
    in_order = in_order && is(i + 1, WM_DL_PENDING, reports.size() / 2 - i / 2 - 1, 0) &&
               (i == 0 || is(i, WM_DL_FAILED, 100 + i / 2 - 1, (LPARAM)(i / 2 - 1)));
  ok(in_order, "not each request in queue order, followed by the count still queued:%s\n",
     describe().c_str());
}

TEST(each_fault_is_reported_leaves_no_partial_file_and_the_worker_goes_on) {
  Rig rig("faults");
  // Name, the server's rule (none when null), whether it is done, and the
  // requests the server sees (0: not counted).
  const struct Fetch {
    const char *name, *rule;
    bool done;
    int attempts;
  } fetches[] = {
      {"missing.dat", nullptr, false, 1},  // not on the server
      {"moved.dat", R"({"status": 304})", false, 1},
      {"cut.dat", R"({"cut_after": 50000})", false, 4},
      {"reset.dat", R"({"reset": true})", false, 0},
      {"stall.dat", R"({"stall": true, "stall_after": 100})", false, 0},
      {"flaky.dat", R"({"fail_first": 2, "fail_rule": {"cut_after": 1000}})", true, 3},
      {"held.dat", nullptr, false, 0},      // the local file is open in another program
      {"nofolder.dat", nullptr, false, 0},  // the local folder does not exist
      {"empty.dat", R"({"empty_body": true})", true, 1},
      {"timed.dat", R"({"last_modified": "Wed, 29 Nov 2006 12:00:01 GMT"})", true, 1},
      {"untimed.dat", R"({"last_modified": null})", true, 1},
  };
  const int n = sizeof fetches / sizeof fetches[0];
  const std::string body(100000, 'b');
  std::string json = "{";
  for (const Fetch& f : fetches) {
    if (std::strcmp(f.name, "missing.dat") != 0) serve(f.name, body);
    if (f.rule)
      json += std::string(json.size() > 1 ? "," : "") + "\"/newdownload/K-VAL/" + f.name +
              "\": " + f.rule;
    put_file(rig.dir + f.name, "previous");
  }
  rules(json + "}");
  HANDLE held = CreateFileA((rig.dir + "held.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  FILETIME before;
  GetSystemTimeAsFileTime(&before);
  for (int i = 0; i < n; ++i) {
    const char* name = fetches[i].name;
    rig.request(std::string("/K-VAL/") + name,
                rig.dir + (std::strcmp(name, "nofolder.dat") ? "" : "NOFOLDER\\") + name, 7, i);
  }
  // A duplicate is taken and dropped, the queued one keeps its tag and value;
  // so is a path that finished a moment ago.
  ok(rig.request("/K-VAL/empty.dat", rig.dir + "second.dat", 8, 88) == 1, "a duplicate refused\n");
  DWORD start = GetTickCount();
  ok(wait_reports(2 * n, 30000), "reports:%s\n", describe().c_str());
  DWORD spent = GetTickCount() - start;
  CloseHandle(held);
  ok(rig.request("/K-VAL/untimed.dat", rig.dir + "again.dat", 9, 99) == 1,
     "a recent path refused\n");
  settle(400);
  ok(reports.size() == 2 * (size_t)n && !exists(rig.dir + "second.dat") &&
         !exists(rig.dir + "again.dat"),
     "a duplicate or recent path fetched or reported:%s\n", describe().c_str());
  for (int i = 0; i < n; ++i) {
    const Fetch& f = fetches[i];
    const std::string local = rig.dir + f.name;
    const std::string want = !f.done ? "previous" : std::strcmp(f.name, "empty.dat") ? body : "";
    ok(is(2 * i, f.done ? WM_DL_DONE : WM_DL_FAILED, 7, i) &&
           is(2 * i + 1, WM_DL_PENDING, n - 1 - i, 0),
       "%s: reports:%s\n", f.name, describe().c_str());
    ok(content(local) == want && !exists(rig.dir + "~partsdl\\" + f.name + ".new"),
       "%s: %u bytes, or a partial file left\n", f.name, (unsigned)content(local).size());
    if (f.attempts)
      ok(logged("/newdownload/K-VAL/" + std::string(f.name), f.attempts).size() ==
             (size_t)f.attempts,
         "%s: not %d attempts\n", f.name, f.attempts);
  }
  // Four stalls of a time-out each, and the pauses before retries.
  ok(spent < 4 * 1500 + 4 * 700 + 5000, "faults took %lu ms\n", (unsigned long)spent);
  // As the program's requests reach the server, through the proxy setting.
  const std::vector<std::string> lines = logged("/newdownload/K-VAL/empty.dat");
  const std::string line = lines.empty() ? "none" : lines[0];
  ok(line.find("\"target\": \"http://" PARTSDL_MAKER_HOST) != std::string::npos &&
         line.find("/newdownload/K-VAL/empty.dat\"") != std::string::npos &&
         line.find("\"user_agent\": \"TarvelBhBhB\"") != std::string::npos &&
         line.find("\"accept\": \"*/*\"") != std::string::npos,
     "request: %s\n", line.c_str());
  // 12:00:01 gives 2006-11-29 12:00:00 UTC, as a Windows file time.
  uint64_t written = 0, now = (uint64_t)before.dwHighDateTime << 32 | before.dwLowDateTime;
  ok(plat::file_write_time((rig.dir + "timed.dat").c_str(), &written) &&
         written == 128092752000000000ull,
     "server time: %llu\n", (unsigned long long)written);
  ok(plat::file_write_time((rig.dir + "untimed.dat").c_str(), &written) &&
         written + 20000000 >= now,
     "without Last-Modified the file does not keep the time it was written\n");
}

TEST(shutdown_finishes_the_transfer_drops_the_rest_and_does_not_wait_out_pauses) {
  {
    Rig rig("busy");
    serve("long.dat", std::string(20, 'x'));
    serve("next.dat", "next");
    rules(R"({"/newdownload/K-VAL/long.dat": {"chunk_size": 4, "pause_ms": 100}})");
    rig.request("/K-VAL/long.dat", rig.dir + "long.dat", 2, 0);
    rig.request("/K-VAL/next.dat", rig.dir + "next.dat", 1, 1);
    for (int i = 0; i < 200 && !exists(rig.dir + "~partsdl\\long.dat.new"); ++i) Sleep(10);
    download_worker_shutdown(rig.worker);
    settle(300);
    ok(reports.size() == 2 && is(0, WM_DL_DONE, 2, 0) && is(1, WM_DL_PENDING, 1, 0),
       "the transfer in progress is reported, the rest dropped:%s\n", describe().c_str());
    ok(content(rig.dir + "long.dat") == std::string(20, 'x'), "not written whole\n");
    ok(logged("/newdownload/K-VAL/next.dat").empty(), "a queued request was fetched\n");
    ok(rig.request("/K-VAL/late.dat", rig.dir + "late.dat", 1, 2) == 0,
       "a stopped worker takes requests\n");
  }
  // A retry pause of 30 s is cut short; so is the wait of a worker never used.
  const DownloadTiming slow = {{30000, 30000, 30000}, 1500};
  Rig rig("pauses", slow), unused("unused");
  serve("cut.dat", std::string(10000, 'c'));
  rules(R"({"/newdownload/K-VAL/cut.dat": {"cut_after": 10}})");
  rig.request("/K-VAL/cut.dat", rig.dir + "cut.dat", 1, 9);
  logged("/newdownload/K-VAL/cut.dat", 1);
  Sleep(100);
  DWORD start = GetTickCount();
  download_worker_shutdown(rig.worker);
  download_worker_shutdown(unused.worker);
  ok(GetTickCount() - start < 2000, "shutdown took %lu ms\n",
     (unsigned long)(GetTickCount() - start));
  settle(100);
  ok(reports.size() == 2 && is(0, WM_DL_FAILED, 1, 9), "the broken request is not failed:%s\n",
     describe().c_str());
}

TEST(a_mutex_named_after_the_worker_holds_nothing_up) {
  // Named objects are shared by every process; a mutex named from the
  // worker's address, held elsewhere, must not stop the worker.
  Rig rig("lock_name");
  char name[32];
  std::snprintf(name, sizeof name, "DWN:%08x", (unsigned)(uintptr_t)rig.worker);
  HANDLE other = CreateMutexA(nullptr, TRUE, name);
  serve("free.dat", "free");
  rig.request("/K-VAL/free.dat", rig.dir + "free.dat", 1, 7);
  ok(wait_reports(2, 5000) && is(0, WM_DL_DONE, 1, 7), "the worker waited on that mutex:%s\n",
     describe().c_str());
  ReleaseMutex(other);
  CloseHandle(other);
}

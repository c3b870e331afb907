// The download worker under Wine, against the stand-in server reached
// through the proxy setting (tests/download/with_server.sh), one case per
// rule: a full queue, faults and retries, report order while fetching ahead
// with duplicates and recent paths dropped, and shutdown. A server that
// cannot be reached or does not answer is met by the program's own walk
// (tests/e2e/list_walk_test.cpp). A message-only window receives the
// reports as the main dialog would.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "download/maker_host.h"
#include "download/worker.h"
#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using namespace oktest;

namespace {

// Short pauses and time-outs keep the fault cases quick.
const DownloadTiming kQuick = {{100, 200, 400}, 1500};

// Each outcome as DONE 'D', FAILED 'F' or unreachable 'U', the tag and ':'
// unless it is 1, the value, and after '/' the count still queued.
std::string reports;
size_t outcomes;

LRESULT CALLBACK report_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DL_PENDING) {
    reports += "/" + std::to_string(w) + " ";
    ++outcomes;
  } else if (message == WM_DL_DONE || message == WM_DL_FAILED) {
    reports += message == WM_DL_DONE ? 'D' : w & DL_FAILED_UNREACHABLE ? 'U' : 'F';
    reports += ((w & 0xFFFF) != 1 ? std::to_string(w & 0xFFFF) + ":" : "") + std::to_string(l);
  }
  return DefWindowProcA(window, message, w, l);
}

// Handles messages until `count` outcomes were reported or `ms` passed.
bool wait_reports(size_t count, DWORD ms) {
  MSG msg;
  for (DWORD start = GetTickCount(); outcomes < count && GetTickCount() - start < ms;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return outcomes >= count;
}

// Handles messages for `ms`, to catch reports that should not come.
void settle(DWORD ms) { wait_reports((size_t)-1, ms); }

std::string env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

// Files under /newdownload/K-VAL/ on the server.
void serve(const std::string& name, const std::string& bytes) {
  std::string dir = env("DLTEST_ROOT") + "\\newdownload";
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\K-VAL").c_str(), nullptr);
  put_file(dir + "\\K-VAL\\" + name, bytes);
}

// The server reloads its rules when the file changes.
void rules(const std::string& json) { put_file(env("DLTEST_RULES"), json); }

std::string server_log() {
  std::string log;
  get_file(env("DLTEST_LOG"), &log);
  return log;
}

// Positions in the server's log of the lines for /newdownload/K-VAL/<name>.
// The server logs a request once its answer has ended, which may be a moment
// after the worker has the bytes: up to 5 s are given for `at_least` lines.
std::vector<size_t> logged(const std::string& name, size_t at_least = 0) {
  const std::string key = "\"path\": \"/newdownload/K-VAL/" + name + "\"";
  std::vector<size_t> at;
  for (int i = 0; i == 0 || (i < 200 && at.size() < at_least); ++i) {
    if (i) Sleep(25);
    const std::string log = server_log();
    at.clear();
    for (size_t p = log.find(key); p != std::string::npos; p = log.find(key, p + 1))
      at.push_back(p);
  }
  return at;
}

bool exists(const std::string& path) { return plat::file_exists(path.c_str()); }

struct Rig {
  DownloadWorker* worker = download_worker_create("http://" PARTSDL_MAKER_HOST "/newdownload");
  std::string dir;
  explicit Rig(const char* name, const DownloadTiming& timing = kQuick)
      : dir(scratch_folder(name)) {
    static HWND window;
    WNDCLASSA wc = {0, report_proc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "DlReports"};
    if (!window && RegisterClassA(&wc))
      window =
          CreateWindowA("DlReports", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    download_worker_set_window(worker, window);
    download_worker_set_timing(worker, timing);
    clear();
    rules("{}");
  }
  ~Rig() { download_worker_destroy(worker); }
  void clear() {
    reports.clear();
    outcomes = 0;
  }
  // /K-VAL/<name> into <dir><local>, sent with backslashes, which the worker
  // turns into slashes in the caller's string.
  int request(const std::string& name, const std::string& local, int32_t value, int32_t tag = 1) {
    std::string remote = "\\K-VAL\\" + name;
    for (char& c : remote) c = c == '/' ? '\\' : c;
    int queued = download_worker_request(worker, &remote[0], (dir + local).c_str(), tag, value);
    ok(!queued || remote.find('\\') == std::string::npos, "caller's string: %s\n", remote.c_str());
    return queued;
  }
  // The worker fetches ahead once a first transfer has ended.
  void warm_up() {
    serve("warm.dat", "w");
    request("warm.dat", "warm.dat", 0);
    wait_reports(1, 5000);
    clear();
  }
};

}  // namespace

TEST(a_full_queue_refuses_and_keeps_every_earlier_request) {
  Rig rig("full");
  serve("slow.dat", "slow");
  // The head stalls for a while so that the queue fills behind it with
  // requests of 460 bytes, none of them on the server.
  rules(R"({"/newdownload/K-VAL/slow.dat": {"chunk_size": 1, "pause_ms": 300}})");
  rig.request("slow.dat", "slow.dat", 1000, 0);
  const std::string local(250 - rig.dir.size(), 'L');
  int queued = 0;
  for (char name[256]; queued < 200; ++queued) {
    std::snprintf(name, sizeof name, "fill%04d/%s", queued, std::string(188, 'f').c_str());
    if (rig.request(name, local, queued, 100 + queued) == 0) break;
  }
  ok(queued > 100 && queued < 200, "the queue refused at %d\n", queued);
  std::string expected = "D0:1000/" + std::to_string(queued) + " ";
  for (int k = 0; k < queued; ++k)
    expected += "F" + std::to_string(100 + k) + ":" + std::to_string(k) + "/" +
                std::to_string(queued - 1 - k) + " ";
  ok(wait_reports(1 + queued, 60000), "%u of %d outcomes\n", (unsigned)outcomes, 1 + queued);
  settle(200);
  ok(reports == expected,
     "not each request in queue order, followed by the count still queued: %.300s\n",
     reports.c_str());
}

TEST(each_fault_is_reported_leaves_no_partial_file_and_the_worker_goes_on) {
  Rig rig("faults");
  // Name, the server's rule (none when null), whether it is done, and the
  // requests the server sees (0: not counted).
  const struct Fetch {
    const char *name, *rule;
    bool done;
    size_t attempts;
  } fetches[] = {
      {"missing.dat", nullptr, false, 1},  // not on the server: not retried
      {"cut.dat", R"({"cut_after": 50000})", false, 4},
      {"stall.dat", R"({"stall": true, "stall_after": 100})", false, 0},
      {"flaky.dat", R"({"fail_first": 2, "fail_rule": {"cut_after": 1000}})", true, 3},
      {"held.dat", nullptr, false, 0},  // the local file is open in another program
      {"timed.dat", R"({"last_modified": "Wed, 29 Nov 2006 12:00:01 GMT"})", true, 1},
  };
  const int n = sizeof fetches / sizeof fetches[0];
  const std::string body(100000, 'b');
  std::string json = "{", expected;
  for (int i = 0; i < n; ++i) {
    const Fetch& f = fetches[i];
    if (std::string(f.name) != "missing.dat") serve(f.name, body);
    if (f.rule)
      json += std::string(json.size() > 1 ? "," : "") + "\"/newdownload/K-VAL/" + f.name +
              "\": " + f.rule;
    put_file(rig.dir + f.name, "previous");
    expected +=
        (f.done ? "D7:" : "F7:") + std::to_string(i) + "/" + std::to_string(n - 1 - i) + " ";
  }
  rules(json + "}");
  HANDLE held = CreateFileA((rig.dir + "held.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  for (int i = 0; i < n; ++i) rig.request(fetches[i].name, fetches[i].name, i, 7);
  DWORD start = GetTickCount();
  ok(wait_reports(n, 30000), "reports: %s\n", reports.c_str());
  DWORD spent = GetTickCount() - start;
  CloseHandle(held);
  settle(200);
  ok(reports == expected, "not each fetch reported once, in order: %s\n", reports.c_str());
  for (const Fetch& f : fetches) {
    ok(file_text(rig.dir + f.name) == (f.done ? body : "previous") &&
           !exists(rig.dir + "~partsdl\\" + f.name + ".new"),
       "%s: %u bytes, or a partial file left\n", f.name,
       (unsigned)file_text(rig.dir + f.name).size());
    ok(!f.attempts || logged(f.name, f.attempts).size() == f.attempts, "%s: not %u attempts\n",
       f.name, (unsigned)f.attempts);
  }
  // A stall of a time-out, and the pauses before retries.
  ok(spent < 1500 + 4 * 700 + 5000, "faults took %lu ms\n", (unsigned long)spent);
  // As the program's requests reach the server, through the proxy setting.
  const std::string log = server_log();
  const std::vector<size_t> at = logged("timed.dat");
  const size_t from = at.empty() ? 0 : log.rfind('\n', at[0]) + 1;
  const std::string line = at.empty() ? "none" : log.substr(from, log.find('\n', at[0]) - from);
  ok(line.find("\"target\": \"http://" PARTSDL_MAKER_HOST) != std::string::npos &&
         line.find("/newdownload/K-VAL/timed.dat\"") != std::string::npos &&
         line.find("\"user_agent\": \"TarvelBhBhB\"") != std::string::npos &&
         line.find("\"accept\": \"*/*\"") != std::string::npos,
     "request: %s\n", line.c_str());
  // 12:00:01 gives 2006-11-29 12:00:00 UTC, as a Windows file time.
  uint64_t written = 0;
  ok(plat::file_write_time((rig.dir + "timed.dat").c_str(), &written) &&
         written == 128092752000000000ull,
     "server time: %llu\n", (unsigned long long)written);
}

TEST(reports_stay_in_queue_order_while_later_requests_finish_first) {
  Rig rig("ahead");
  rig.warm_up();
  serve("head.dat", "slow!");
  serve("one.dat", "111");
  serve("two.dat", "22");
  serve("three.dat", "3");
  // The head answers slowly. Two requests for one local path: the first is
  // the slower, and the second's file must end up in place.
  rules(R"({"/newdownload/K-VAL/head.dat": {"chunk_size": 2, "pause_ms": 300},
            "/newdownload/K-VAL/one.dat": {"chunk_size": 1, "pause_ms": 100}})");
  rig.request("head.dat", "head.dat", 1);
  rig.request("one.dat", "same.dat", 2);
  rig.request("none.dat", "none.dat", 3);
  rig.request("two.dat", "same.dat", 4);
  rig.request("three.dat", "three.dat", 5);
  // Duplicates of a request under way and of one finished ahead of the
  // head, then of one reported: all dropped.
  logged("three.dat", 1);
  ok(rig.request("head.dat", "x", 6) == 1 && rig.request("three.dat", "x", 7) == 1,
     "duplicates accepted\n");
  wait_reports(5, 5000);
  ok(rig.request("two.dat", "x", 8) == 1, "a recent path accepted\n");
  wait_reports(6, 400);
  ok(reports == "D1/4 D2/3 F3/2 D4/1 D5/0 ", "in queue order, once each: %s\n", reports.c_str());
  std::vector<size_t> head = logged("head.dat"), three = logged("three.dat");
  ok(head.size() == 1 && three.size() == 1 && three[0] < head[0] && logged("two.dat").size() == 1,
     "fetched once each, a later request while the head was slow\n");
  ok(file_text(rig.dir + "same.dat") == "22" && file_text(rig.dir + "head.dat") == "slow!",
     "files whole, the later request's file in place\n");
}

TEST(shutdown_finishes_the_transfers_in_progress_and_drops_the_rest) {
  // Fetching ahead, with a retry pause of 30 s under way: the pause is cut
  // short, and so is the wait of a worker never used.
  Rig unused("unused"), rig("ahead_stop", {{30000, 30000, 30000}, 1000});
  rig.warm_up();
  rules(R"({"/newdownload/K-VAL/s*.dat": {"chunk_size": 5, "pause_ms": 150},
            "/newdownload/K-VAL/broken.dat": {"cut_after": 10}})");
  serve("broken.dat", std::string(1000, 'c'));
  rig.request("broken.dat", "broken.dat", 0);
  for (int i = 1; i <= 9; ++i) {
    serve("s" + std::to_string(i) + ".dat", std::string(20, 'a' + i));
    rig.request("s" + std::to_string(i) + ".dat", "s" + std::to_string(i), i);
  }
  logged("broken.dat", 1);
  Sleep(200);
  DWORD start = GetTickCount();
  download_worker_shutdown(rig.worker);
  download_worker_shutdown(unused.worker);
  DWORD spent = GetTickCount() - start;
  ok(spent < 2000, "no retry pause waited out: %lu ms\n", (unsigned long)spent);
  wait_reports(7, 300);
  ok(reports == "F0/9 D1/8 D2/7 D3/6 D4/5 D5/4 ", "six transfers reported: %s\n", reports.c_str());
  ok(file_text(rig.dir + "s5") == std::string(20, 'f'), "written whole\n");
  ok(logged("s6.dat").empty() && file_text(rig.dir + "s6") == "<missing>",
     "requests not started are not fetched\n");
  ok(rig.request("late.dat", "late.dat", 10) == 0, "a stopped worker takes requests\n");
}

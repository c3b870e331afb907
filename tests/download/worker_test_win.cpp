// The download worker under Wine, against the stand-in server reached
// through the proxy setting (tests/download/with_server.sh). A message-only
// window receives the reports as the main dialog would.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "download/maker_host.h"
#include "download/worker.h"
#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::get_file;
using oktest::put_file;

namespace {

const char kBase[] = "http://" PARTSDL_MAKER_HOST "/newdownload";
// Short pauses and time-outs keep the fault cases quick.
const DownloadTiming kQuick = {{100, 200, 400}, 1500};

struct Report {
  UINT message;
  WPARAM tag;
  LPARAM value;
};
std::vector<Report> reports;

LRESULT CALLBACK report_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DL_DONE || message == WM_DL_FAILED || message == WM_DL_PENDING) {
    reports.push_back({message, w, l});
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

HWND report_window() {
  static HWND window;
  if (window) return window;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = report_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DlReports";
  RegisterClassA(&wc);
  window = CreateWindowA("DlReports", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                         nullptr);
  return window;
}

// Handles messages until `count` reports arrived or `ms` passed.
bool wait_reports(size_t count, DWORD ms) {
  DWORD start = GetTickCount();
  while (reports.size() < count) {
    DWORD spent = GetTickCount() - start;
    if (spent >= ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return true;
}

// Handles messages for `ms`, to catch reports that should not come.
void settle(DWORD ms) { wait_reports((size_t)-1, ms); }

std::string env(const char* name) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n && n < sizeof value ? std::string(value, n) : std::string();
}

// Puts a file into the server's catalogue at a URL path ("/newdownload/...").
void serve(const std::string& url_path, const std::string& bytes) {
  std::string path = env("DLTEST_ROOT");
  for (char c : url_path) {
    if (c == '/') {
      CreateDirectoryA(path.c_str(), nullptr);
      path += '\\';
    } else {
      path += c;
    }
  }
  put_file(path, bytes);
}

// The server reloads its rules when the file changes.
void rules(const std::string& json) { put_file(env("DLTEST_RULES"), json); }

std::vector<std::string> log_lines(const std::string& path) {
  std::string log;
  get_file(env("DLTEST_LOG"), &log);
  std::vector<std::string> lines;
  std::string key = "\"path\": \"" + path + "\"";
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(start, end - start);
    if (path.empty() || line.find(key) != std::string::npos) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The server logs a request once its answer has ended, which may be a
// moment after the worker has the bytes.
size_t logged(const std::string& path, size_t at_least) {
  for (int i = 0; i < 200 && log_lines(path).size() < at_least; ++i) Sleep(25);
  return log_lines(path).size();
}

// The worker writes beside the target from the first byte received: a
// sure sign that a transfer is under way.
bool transfer_started(const std::string& target) {
  for (int i = 0; i < 200; ++i) {
    if (plat::file_exists((target + ".new").c_str())) return true;
    Sleep(10);
  }
  return false;
}

std::string content(const std::string& path) {
  std::string bytes;
  return get_file(path, &bytes) ? bytes : std::string("<missing>");
}

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
  int request(const std::string& remote, const std::string& local, int32_t tag, int32_t value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%s", remote.c_str());
    return download_worker_request(worker, buffer, local.c_str(), tag, value);
  }
};

bool is(const Report& r, UINT message, WPARAM tag, LPARAM value) {
  return r.message == message && r.tag == tag && r.value == value;
}

const char* name(UINT message) {
  return message == WM_DL_DONE ? "DONE" : message == WM_DL_FAILED ? "FAILED" : "PENDING";
}

std::string describe() {
  std::string text;
  for (const Report& r : reports) {
    char one[64];
    std::snprintf(one, sizeof one, " %s(%d,%d)", name(r.message), (int)r.tag, (int)r.value);
    text += one;
  }
  return text;
}

}  // namespace

TEST(backslashes_become_slashes_and_the_server_sees_agent_and_accept) {
  Rig rig("slashes");
  serve("/newdownload/K-VAL/HDPARTS/TRBHN.LZH", "archive bytes");
  char remote[] = "/K-VAL/HDPARTS\\TRBHN.LZH";
  ok(download_worker_request(rig.worker, remote, (rig.dir + "TRBHN.LZH").c_str(), 2, 0) == 1,
     "queued\n");
  ok(std::strcmp(remote, "/K-VAL/HDPARTS/TRBHN.LZH") == 0, "caller's string rewritten: %s\n",
     remote);
  ok(wait_reports(2, 5000) && is(reports[0], WM_DL_DONE, 2, 0) &&
         is(reports[1], WM_DL_PENDING, 0, 0),
     "done then pending 0:%s\n", describe().c_str());
  ok(content(rig.dir + "TRBHN.LZH") == "archive bytes", "file written\n");
  ok(logged("/newdownload/K-VAL/HDPARTS/TRBHN.LZH", 1) == 1, "one request\n");
  std::string line = log_lines("/newdownload/K-VAL/HDPARTS/TRBHN.LZH")[0];
  ok(line.find("\"user_agent\": \"TarvelBhBhB\"") != std::string::npos, "agent: %s\n",
     line.c_str());
  ok(line.find("\"accept\": \"*/*\"") != std::string::npos, "accept: %s\n", line.c_str());
  ok(line.find("\"target\": \"http://" PARTSDL_MAKER_HOST) != std::string::npos &&
         line.find("/newdownload/K-VAL/HDPARTS/TRBHN.LZH\"") != std::string::npos,
     "built-in base URL: %s\n", line.c_str());
}

TEST(duplicate_and_recent_paths_are_fetched_and_reported_once) {
  Rig rig("duplicates");
  serve("/newdownload/K-VAL/dup.dat", "0123456789");
  // A slow answer keeps the first request queued while the second comes.
  rules(R"({"/newdownload/K-VAL/dup.dat": {"chunk_size": 2, "pause_ms": 40}})");
  ok(rig.request("/K-VAL/dup.dat", rig.dir + "first.dat", 1, 11) == 1, "first queued\n");
  ok(rig.request("/K-VAL/dup.dat", rig.dir + "second.dat", 3, 33) == 1, "duplicate returns 1\n");
  ok(wait_reports(2, 5000), "reported\n");
  settle(300);
  ok(reports.size() == 2 && is(reports[0], WM_DL_DONE, 1, 11) &&
         is(reports[1], WM_DL_PENDING, 0, 0),
     "one report with the first tag and value:%s\n", describe().c_str());
  ok(content(rig.dir + "first.dat") == "0123456789", "first local path written\n");
  ok(!plat::file_exists((rig.dir + "second.dat").c_str()), "second local path untouched\n");

  ok(rig.request("/K-VAL/dup.dat", rig.dir + "again.dat", 1, 12) == 1, "recent path returns 1\n");
  settle(400);
  ok(reports.size() == 2, "no report for a recent path:%s\n", describe().c_str());
  ok(logged("/newdownload/K-VAL/dup.dat", 2) == 1, "downloaded once\n");
}

TEST(reports_come_in_queue_order_and_a_full_queue_refuses) {
  Rig rig("order");
  serve("/newdownload/K-VAL/slow.dat", "slow");
  serve("/newdownload/K-VAL/a.dat", "a");
  serve("/newdownload/K-VAL/c.dat", "c");
  // The head stalls for a while so that the queue fills behind it.
  rules(R"({"/newdownload/K-VAL/slow.dat": {"chunk_size": 1, "pause_ms": 300}})");
  rig.request("/K-VAL/slow.dat", rig.dir + "slow.dat", 0, 1000);
  rig.request("/K-VAL/a.dat", rig.dir + "a.dat", 1, 61201);
  rig.request("/K-VAL/b.dat", rig.dir + "b.dat", 1, 61130);  // not on the server
  rig.request("/K-VAL/c.dat", rig.dir + "c.dat", 3, 61129);
  // Fill the rest with requests of 460 bytes until the queue refuses.
  std::string local = rig.dir + std::string(250 - rig.dir.size(), 'L');
  int queued = 0, refused_at = -1;
  for (int i = 0; i < 200; ++i) {
    char remote[256];
    std::snprintf(remote, sizeof remote, "/K-VAL/fill%04d/%s", i, std::string(188, 'f').c_str());
    if (rig.request(remote, local, 100 + i, i) == 0) {
      refused_at = i;
      break;
    }
    ++queued;
  }
  ok(refused_at > 100, "the queue refused only when nearly full (at %d)\n", refused_at);
  size_t expected = 2 * (4 + queued);
  ok(wait_reports(expected, 60000), "all %u reports arrived, got %u\n", (unsigned)expected,
     (unsigned)reports.size());
  settle(200);
  ok(reports.size() == expected, "nothing reported for the refused request\n");
  if (reports.size() < 8) return;
  ok(is(reports[0], WM_DL_DONE, 0, 1000) && is(reports[2], WM_DL_DONE, 1, 61201) &&
         is(reports[4], WM_DL_FAILED, 1, 61130) && is(reports[6], WM_DL_DONE, 3, 61129),
     "the first four in queue order:%s\n", describe().substr(0, 200).c_str());
  bool in_order = true, pending_counts = true;
  for (size_t i = 0; i + 1 < reports.size(); i += 2) {
    int left = (int)(reports.size() / 2 - i / 2 - 1);
    if (!is(reports[i + 1], WM_DL_PENDING, (WPARAM)left, 0)) pending_counts = false;
    if (i >= 8 && !is(reports[i], WM_DL_FAILED, 100 + (i - 8) / 2, (LPARAM)(i - 8) / 2))
      in_order = false;
  }
  ok(pending_counts, "each outcome followed by the count still queued\n");
  ok(in_order, "every earlier request kept and reported in order\n");
  ok(content(rig.dir + "c.dat") == "c", "a request behind the full queue was fetched\n");
}

TEST(three_requests_report_pending_two_one_zero) {
  Rig rig("three");
  serve("/newdownload/K-VAL/t1.dat", "1");
  serve("/newdownload/K-VAL/t2.dat", "2");
  serve("/newdownload/K-VAL/t3.dat", "3");
  rules(R"({"/newdownload/K-VAL/t1.dat": {"chunk_size": 1, "pause_ms": 200}})");
  rig.request("/K-VAL/t1.dat", rig.dir + "t1", 1, 1);
  rig.request("/K-VAL/t2.dat", rig.dir + "t2", 1, 2);
  rig.request("/K-VAL/t3.dat", rig.dir + "t3", 1, 3);
  ok(wait_reports(6, 10000), "six reports:%s\n", describe().c_str());
  ok(reports.size() == 6 && is(reports[0], WM_DL_DONE, 1, 1) &&
         is(reports[1], WM_DL_PENDING, 2, 0) && is(reports[2], WM_DL_DONE, 1, 2) &&
         is(reports[3], WM_DL_PENDING, 1, 0) && is(reports[4], WM_DL_DONE, 1, 3) &&
         is(reports[5], WM_DL_PENDING, 0, 0),
     "in queue order with 2, 1, 0 pending:%s\n", describe().c_str());
}

TEST(complete_urls_are_used_as_written) {
  Rig rig("urls");
  rig.request("HTTP://upper.example/x.dat", rig.dir + "upper.dat", 1, 1);
  rig.request("https://secure.example/y.dat", rig.dir + "secure.dat", 1, 2);
  ok(wait_reports(4, 10000), "both reported:%s\n", describe().c_str());
  ok(reports.size() == 4 && reports[0].message == WM_DL_FAILED &&
         reports[2].message == WM_DL_FAILED,
     "neither exists:%s\n", describe().c_str());
  logged("/newdownloadHTTP://upper.example/x.dat", 1);
  std::vector<std::string> all = log_lines("");
  bool upper_based = false, secure_based = false, secure_tunnel = false;
  for (const std::string& line : all) {
    if (line.find("\"target\": \"http://" PARTSDL_MAKER_HOST) != std::string::npos &&
        line.find("/newdownloadHTTP://upper.example/x.dat\"") != std::string::npos)
      upper_based = true;
    if (line.find("secure.example") != std::string::npos &&
        line.find("newdownload") != std::string::npos)
      secure_based = true;
    // Through a proxy an https URL becomes a tunnel to its own host.
    if (line.find("\"CONNECT\"") != std::string::npos &&
        line.find("\"secure.example:443\"") != std::string::npos)
      secure_tunnel = true;
  }
  ok(upper_based, "a capital scheme gets the base URL in front\n");
  if (!upper_based)
    for (const std::string& line : all) std::printf("  logged: %s\n", line.c_str());
  ok(!secure_based && secure_tunnel, "an https URL goes to its own host, with no base URL\n");
}

TEST(status_other_than_200_keeps_the_local_file) {
  Rig rig("status");
  put_file(rig.dir + "kept.dat", "previous");
  rig.request("/K-VAL/missing.dat", rig.dir + "kept.dat", 1, 61231);
  serve("/newdownload/K-VAL/moved.dat", "moved");
  rules(R"({"/newdownload/K-VAL/moved.dat": {"status": 304}})");
  rig.request("/K-VAL/moved.dat", rig.dir + "moved.dat", 0, 5);
  ok(wait_reports(4, 5000), "reported:%s\n", describe().c_str());
  ok(reports.size() == 4 && is(reports[0], WM_DL_FAILED, 1, 61231) &&
         is(reports[1], WM_DL_PENDING, 1, 0) && is(reports[2], WM_DL_FAILED, 0, 5),
     "404 and 304 fail, each followed by pending:%s\n", describe().c_str());
  ok(content(rig.dir + "kept.dat") == "previous", "existing file unchanged\n");
  ok(!plat::file_exists((rig.dir + "moved.dat").c_str()), "no file for a 304\n");
  ok(!plat::file_exists((rig.dir + "kept.dat.new").c_str()), "nothing left beside it\n");
}

TEST(empty_body_and_server_time) {
  Rig rig("empty");
  serve("/newdownload/K-VAL/empty.dat", "ignored");
  serve("/newdownload/K-VAL/timed.dat", "timed");
  serve("/newdownload/K-VAL/untimed.dat", "untimed");
  rules(R"({"/newdownload/K-VAL/empty.dat": {"empty_body": true},
            "/newdownload/K-VAL/timed.dat": {"last_modified": "Wed, 29 Nov 2006 12:00:01 GMT"},
            "/newdownload/K-VAL/untimed.dat": {"last_modified": null}})");
  put_file(rig.dir + "empty.dat", "old");
  FILETIME before;
  GetSystemTimeAsFileTime(&before);
  rig.request("/K-VAL/empty.dat", rig.dir + "empty.dat", 1, 1);
  rig.request("/K-VAL/timed.dat", rig.dir + "timed.dat", 1, 2);
  rig.request("/K-VAL/untimed.dat", rig.dir + "untimed.dat", 1, 3);
  ok(wait_reports(6, 5000), "reported:%s\n", describe().c_str());
  ok(reports.size() == 6 && reports[0].message == WM_DL_DONE && reports[2].message == WM_DL_DONE &&
         reports[4].message == WM_DL_DONE,
     "all done:%s\n", describe().c_str());
  ok(plat::file_exists((rig.dir + "empty.dat").c_str()) && content(rig.dir + "empty.dat").empty(),
     "an empty 200 writes an empty file\n");

  uint64_t written = 0;
  SYSTEMTIME noon = {2006, 11, 3, 29, 12, 0, 0, 0};
  FILETIME expected;
  SystemTimeToFileTime(&noon, &expected);
  ok(plat::file_write_time((rig.dir + "timed.dat").c_str(), &written) &&
         written == ((uint64_t)expected.dwHighDateTime << 32 | expected.dwLowDateTime),
     "12:00:01 gives 12:00:00\n");
  uint64_t now = (uint64_t)before.dwHighDateTime << 32 | before.dwLowDateTime;
  ok(plat::file_write_time((rig.dir + "untimed.dat").c_str(), &written) &&
         written + 20000000 >= now,
     "without Last-Modified the file keeps the time it was written\n");
}

TEST(shutdown_while_idle_ends_at_once) {
  Rig rig("idle");
  rig.request("/K-VAL/none.dat", rig.dir + "none.dat", 1, 1);
  wait_reports(2, 5000);
  DWORD start = GetTickCount();
  download_worker_shutdown(rig.worker);
  DWORD spent = GetTickCount() - start;
  ok(spent < 2000, "shutdown took %lu ms\n", (unsigned long)spent);
  ok(rig.request("/K-VAL/late.dat", rig.dir + "late.dat", 1, 2) == 0,
     "a stopped worker takes no requests\n");

  Rig unstarted("unstarted");
  start = GetTickCount();
  download_worker_shutdown(unstarted.worker);
  ok(GetTickCount() - start < 1000, "a worker never started shuts down at once\n");
}

TEST(shutdown_during_a_transfer_finishes_it_and_drops_the_rest) {
  Rig rig("busy");
  serve("/newdownload/K-VAL/long.dat", std::string(20, 'x'));
  serve("/newdownload/K-VAL/next.dat", "next");
  rules(R"({"/newdownload/K-VAL/long.dat": {"chunk_size": 4, "pause_ms": 100}})");
  rig.request("/K-VAL/long.dat", rig.dir + "long.dat", 2, 0);
  rig.request("/K-VAL/next.dat", rig.dir + "next.dat", 1, 1);
  rig.request("/K-VAL/after.dat", rig.dir + "after.dat", 1, 2);
  ok(transfer_started(rig.dir + "long.dat"), "transfer under way\n");
  download_worker_shutdown(rig.worker);
  settle(300);
  ok(reports.size() == 2 && is(reports[0], WM_DL_DONE, 2, 0) &&
         is(reports[1], WM_DL_PENDING, 2, 0),
     "the transfer in progress is reported, the rest dropped:%s\n", describe().c_str());
  ok(content(rig.dir + "long.dat") == std::string(20, 'x'), "and written whole\n");
  ok(logged("/newdownload/K-VAL/next.dat", 0) == 0, "queued requests are not fetched\n");

  // Finishing the last request empties the queue just after shutdown has
  // woken the worker: it must still see the stop.
  Rig last("busylast");
  rules(R"({"/newdownload/K-VAL/long.dat": {"chunk_size": 4, "pause_ms": 100}})");
  last.request("/K-VAL/long.dat", last.dir + "long.dat", 2, 1);
  ok(transfer_started(last.dir + "long.dat"), "last transfer under way\n");
  DWORD start = GetTickCount();
  download_worker_shutdown(last.worker);
  ok(GetTickCount() - start < 3000, "shutdown ends after the last transfer\n");
  settle(100);
  ok(reports.size() == 2 && is(reports[0], WM_DL_DONE, 2, 1) &&
         is(reports[1], WM_DL_PENDING, 0, 0),
     "the last transfer reported:%s\n", describe().c_str());
}

TEST(broken_transfers_are_retried_then_fail) {
  Rig rig("broken");
  std::string body(100000, 'b');
  serve("/newdownload/K-VAL/flaky.dat", body);
  serve("/newdownload/K-VAL/cut.dat", body);
  serve("/newdownload/K-VAL/after.dat", "after");
  rules(R"({"/newdownload/K-VAL/flaky.dat": {"fail_first": 2, "fail_rule": {"cut_after": 1000}},
            "/newdownload/K-VAL/cut.dat": {"cut_after": 50000},
            "/newdownload/K-VAL/reset.dat": {"reset": true}})");
  serve("/newdownload/K-VAL/reset.dat", body);
  put_file(rig.dir + "cut.dat", "previous");
  rig.request("/K-VAL/flaky.dat", rig.dir + "flaky.dat", 0, 1);
  rig.request("/K-VAL/cut.dat", rig.dir + "cut.dat", 0, 2);
  rig.request("/K-VAL/reset.dat", rig.dir + "reset.dat", 0, 4);
  rig.request("/K-VAL/after.dat", rig.dir + "after.dat", 0, 3);
  ok(wait_reports(8, 20000), "reported:%s\n", describe().c_str());
  ok(reports.size() == 8 && is(reports[0], WM_DL_DONE, 0, 1) &&
         is(reports[2], WM_DL_FAILED, 0, 2) && is(reports[4], WM_DL_FAILED, 0, 4) &&
         is(reports[6], WM_DL_DONE, 0, 3),
     "a transfer that breaks twice is fetched, one that always breaks or is refused fails, the "
     "next goes on:%s\n",
     describe().c_str());
  ok(!plat::file_exists((rig.dir + "reset.dat").c_str()), "nothing written for a reset\n");
  ok(content(rig.dir + "flaky.dat") == body, "the retried file is whole\n");
  ok(content(rig.dir + "cut.dat") == "previous", "no partial file over the previous one\n");
  ok(!plat::file_exists((rig.dir + "cut.dat.new").c_str()), "nor beside it\n");
  ok(logged("/newdownload/K-VAL/flaky.dat", 3) == 3, "broken twice, fetched the third time\n");
  ok(logged("/newdownload/K-VAL/cut.dat", 4) == 4, "four attempts, then given up\n");
}

TEST(a_stalled_server_times_out) {
  Rig rig("stall");
  serve("/newdownload/K-VAL/stall.dat", std::string(5000, 's'));
  serve("/newdownload/K-VAL/after.dat", "after");
  rules(R"({"/newdownload/K-VAL/stall.dat": {"stall": true, "stall_after": 100}})");
  DWORD start = GetTickCount();
  rig.request("/K-VAL/stall.dat", rig.dir + "stall.dat", 3, 7);
  rig.request("/K-VAL/after.dat", rig.dir + "after.dat", 3, 8);
  ok(wait_reports(4, 20000), "reported:%s\n", describe().c_str());
  DWORD spent = GetTickCount() - start;
  ok(reports.size() == 4 && is(reports[0], WM_DL_FAILED, 3, 7) && is(reports[2], WM_DL_DONE, 3, 8),
     "stalled request fails, the next is fetched:%s\n", describe().c_str());
  ok(spent < 4 * 1500 + 700 + 3000, "bounded by the time-outs and pauses: %lu ms\n",
     (unsigned long)spent);
  ok(!plat::file_exists((rig.dir + "stall.dat").c_str()) &&
         !plat::file_exists((rig.dir + "stall.dat.new").c_str()),
     "no partial file\n");
}

TEST(shutdown_does_not_wait_out_retry_pauses) {
  DownloadTiming slow = {{30000, 30000, 30000}, 1500};
  Rig rig("pauses", slow);
  serve("/newdownload/K-VAL/cut.dat", std::string(10000, 'c'));
  rules(R"({"/newdownload/K-VAL/cut.dat": {"cut_after": 10}})");
  rig.request("/K-VAL/cut.dat", rig.dir + "cut.dat", 1, 9);
  logged("/newdownload/K-VAL/cut.dat", 1);
  Sleep(100);
  DWORD start = GetTickCount();
  download_worker_shutdown(rig.worker);
  DWORD spent = GetTickCount() - start;
  ok(spent < 2000, "shutdown took %lu ms\n", (unsigned long)spent);
  settle(100);
  ok(reports.size() == 2 && is(reports[0], WM_DL_FAILED, 1, 9), "the broken request fails:%s\n",
     describe().c_str());
}

TEST(a_file_that_cannot_be_written_fails_and_the_worker_goes_on) {
  Rig rig("unwritable");
  serve("/newdownload/K-VAL/held.dat", "new");
  serve("/newdownload/K-VAL/nofolder.dat", "new");
  serve("/newdownload/K-VAL/after.dat", "after");
  put_file(rig.dir + "held.dat", "held by another program");
  HANDLE held = CreateFileA((rig.dir + "held.dat").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  rig.request("/K-VAL/held.dat", rig.dir + "held.dat", 0, 1);
  rig.request("/K-VAL/nofolder.dat", rig.dir + "NOFOLDER\\x.dat", 0, 2);
  rig.request("/K-VAL/after.dat", rig.dir + "after.dat", 0, 3);
  ok(wait_reports(6, 5000), "reported:%s\n", describe().c_str());
  CloseHandle(held);
  ok(reports.size() == 6 && is(reports[0], WM_DL_FAILED, 0, 1) &&
         is(reports[2], WM_DL_FAILED, 0, 2) && is(reports[4], WM_DL_DONE, 0, 3),
     "unwritable files fail, the next is written:%s\n", describe().c_str());
  ok(content(rig.dir + "held.dat") == "held by another program", "held file unchanged\n");
  ok(!plat::file_exists((rig.dir + "held.dat.new").c_str()), "nothing left beside it\n");
}

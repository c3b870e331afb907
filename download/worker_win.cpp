// The worker's threads: each takes the next request not yet under way,
// fetches it over WinINet straight into a file beside the target, and
// records the outcome; whichever thread finds the head's outcome known
// posts it, and those after it that are known too, in queue order. The
// queue, the recent list and the outcomes are touched only under the lock
// and only for in-memory steps; the network and the disk are used outside
// it. The reports are posted under the lock, which keeps their order.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "download/download.h"
#include "download/maker_host.h"
#include "download/received_file.h"
#include "download/request_queue.h"
#include "download/worker.h"
#include "platform/file_time.h"

using namespace download;

const DownloadTiming kDownloadTiming = {{1000, 2000, 4000}, 12000};

namespace {

// Transfers at once: at most six connections to the one server, as
// browsers hold to.
const int kFetchers = 6;
// Requests under way or finished but not yet reported, counted from the
// head: a slow head lets the others run this far ahead.
const uint32_t kWindow = 32;
const DWORD kCoolDownMs = 3000;

enum class Outcome : uint8_t { Running, Done, Failed, Broken, Unreachable };

}  // namespace

struct DownloadWorker {
  // Guards everything below but the thread handles and the stop flag.
  // A lock of the process's own: a named one could be shared by chance
  // with another process.
  CRITICAL_SECTION lock;
  HANDLE threads[kFetchers];  // all nonzero once started
  uint8_t* queue;             // kQueueSize bytes
  HWND window;
  char base_url[256];
  char recent[kRecentSize];
  // The requests from the head up to `started` (a count of requests ever
  // queued, as is `head`) are under way or finished; `started_at` is the
  // queue offset of the first one not started.
  uint32_t head, started;
  size_t started_at;
  Outcome outcomes[kWindow];  // by sequence number modulo kWindow
  // Fetching ahead waits for a transfer that ended without a connection
  // failure outside a cool-down; a connection failure starts the cool-down.
  bool ahead;
  bool cooling;
  DWORD cool_start;
  // Threads waiting for work, and wake-ups released to them but not taken.
  HANDLE wake;  // semaphore
  int idle, woken;
  volatile LONG stop;
  // Set at shutdown alone, so that pauses between retries end at once.
  HANDLE stopping;
  bool shut;
  DownloadTiming timing;
};

namespace {

const char kAgent[] = "TarvelBhBhB";
const char kAcceptHeader[] = "Accept: */*\r\n\r\n";
// Large reads: WinINet under Wine costs about the same per call whatever
// the size, so small reads make a large file crawl.
const DWORD kReadSize = 65536;

struct Job {
  char url[kMaxPath + 1];
  char local[kMaxPath + 1];
  uint32_t seq;
  bool url_ok;
  DownloadTiming timing;
};

void set_timeouts(HINTERNET handle, DWORD ms) {
  InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof ms);
  InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
  InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof ms);
}

bool last_modified(HINTERNET request, uint64_t* filetime) {
  SYSTEMTIME st;
  DWORD size = sizeof st;
  if (!HttpQueryInfoA(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &st, &size,
                      nullptr))
    return false;
  plat::CivilTime t = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  return plat::filetime_at_dos_resolution(t, filetime);
}
// Status, time and body of an answered request; the body goes straight to
// a file beside the target.
Outcome receive(HINTERNET request, const Job& job, char* buffer) {
  DWORD status = 0, size = sizeof status;
  if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                     nullptr) &&
      status != 200)
    return Outcome::Failed;
  uint64_t filetime = 0;
  bool has_time = last_modified(request, &filetime);
  DWORD announced = 0;
  size = sizeof announced;
  bool has_length = HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                   &announced, &size, nullptr) != 0;

  ReceivedFile file;
  bool writing = begin_file(&file, job.local);
  BOOL read_ok;
  DWORD got = 0;
  uint64_t received = 0;
  while ((read_ok = InternetReadFile(request, buffer, kReadSize, &got)) && got > 0) {
    received += got;
    if (writing && !append_file(&file, buffer, got)) writing = false;
    if (!writing) break;  // the file cannot be whole; stop fetching it
  }

  if (!writing) {
    drop_file(&file);
    return Outcome::Failed;
  }
  if (!read_ok || (has_length && received < announced)) {
    drop_file(&file);
    return Outcome::Broken;
  }
  return finish_file(&file, has_time ? &filetime : nullptr) ? Outcome::Done : Outcome::Failed;
}

// Opens the request and sends it: a plain GET with the one extra header,
// never written to the cache. The steps of InternetOpenUrlA, taken one by
// one so that the time-outs are on the request before anything is sent:
// WinINet does not hand those of the root handle down to the requests it
// makes itself, and a silent server would hold the worker for good.
HINTERNET open_request(HINTERNET root, const char* url, DWORD timeout_ms, HINTERNET* connection,
                       DWORD* error) {
  char host[256], path[2 * (kMaxPath + 1)], extra[kMaxPath + 1];
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = kMaxPath + 1;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = sizeof extra;
  if (!InternetCrackUrlA(url, 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
    return nullptr;
  std::strcat(path, extra);  // the query travels with the path
  *connection =
      InternetConnectA(root, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (!*connection) return nullptr;
  DWORD flags = INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_NO_CACHE_WRITE;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  HINTERNET request = HttpOpenRequestA(*connection, "GET", path[0] ? path : "/", nullptr, nullptr,
                                       nullptr, flags, 0);
  if (request) {
    set_timeouts(request, timeout_ms);
    if (HttpSendRequestA(request, kAcceptHeader, sizeof kAcceptHeader - 1, nullptr, 0))
      return request;
    *error = GetLastError();
    InternetCloseHandle(request);
  }
  InternetCloseHandle(*connection);
  *connection = nullptr;
  return nullptr;
}

// A request that got no answer because the server, or the proxy in front
// of it, cannot be reached: no connection, no name, or nothing back within
// the time-out. A connection reset or aborted sooner was made, and the
// server turned down this one request: a plain failure.
bool unreachable(DWORD error, DWORD spent_ms, DWORD timeout_ms) {
  switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_TIMEOUT: return true;
    case ERROR_INTERNET_CONNECTION_ABORTED:  // how Wine reports a time-out
    case ERROR_INTERNET_CONNECTION_RESET: return spent_ms >= timeout_ms / 10 * 9;
    default: return false;
  }
}

// One attempt at a transfer. Broken: the body did not arrive whole (a read
// failed, timed out, or the connection closed short of Content-Length).
Outcome transfer(HINTERNET root, const Job& job, char* buffer) {
  HINTERNET connection = nullptr;
  DWORD error = 0, start = GetTickCount();
  HINTERNET request = open_request(root, job.url, job.timing.timeout_ms, &connection, &error);
  if (!request)
    return unreachable(error, GetTickCount() - start, job.timing.timeout_ms) ? Outcome::Unreachable
                                                                             : Outcome::Failed;
  Outcome outcome = receive(request, job, buffer);
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  return outcome;
}

// Waits out a pause between retries; false when shutdown cut it short.
bool pause(DownloadWorker* worker, unsigned ms) {
  return WaitForSingleObject(worker->stopping, ms) == WAIT_TIMEOUT && !worker->stop;
}

Outcome fetch(DownloadWorker* worker, HINTERNET root, const Job& job, char* buffer) {
  if (!root || !buffer || !job.url_ok) return Outcome::Failed;
  for (int attempt = 0;; ++attempt) {
    Outcome outcome = transfer(root, job, buffer);
    if (outcome != Outcome::Broken) return outcome;
    if (attempt == 3 || !pause(worker, job.timing.retry_pause_ms[attempt])) return Outcome::Failed;
  }
}

// With the lock held: lets one waiting thread go.
void wake_one(DownloadWorker* worker) {
  if (worker->idle > worker->woken) {
    ++worker->woken;
    ReleaseSemaphore(worker->wake, 1, nullptr);
  }
}

bool same_path(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

enum class Take { Job, FailAtOnce, None };

// With the lock held: starts the next request when the window and the
// rules allow. Two transfers never write to the same local file at once,
// so a request waits while an earlier one for its local path runs.
Take take(DownloadWorker* worker, Job* job) {
  if (worker->stop) return Take::None;
  if (worker->started - worker->head >= (worker->ahead ? kWindow : 1)) return Take::None;
  Request next;
  if (!read_request(worker->queue, worker->started_at, &next)) return Take::None;
  Request earlier;
  size_t offset = 0;
  for (uint32_t seq = worker->head; seq != worker->started; ++seq, offset += earlier.size) {
    read_request(worker->queue, offset, &earlier);
    if (worker->outcomes[seq % kWindow] == Outcome::Running && same_path(earlier.local, next.local))
      return Take::None;
  }
  job->seq = worker->started++;
  worker->started_at += next.size;
  if (worker->cooling && GetTickCount() - worker->cool_start < kCoolDownMs) {
    worker->outcomes[job->seq % kWindow] = Outcome::Unreachable;
    return Take::FailAtOnce;
  }
  worker->cooling = false;
  worker->outcomes[job->seq % kWindow] = Outcome::Running;
  job->url_ok = full_url(worker->base_url, next.remote, job->url, sizeof job->url);
  std::strcpy(job->local, next.local);
  job->timing = worker->timing;
  return Take::Job;
}

// With the lock held: posts the outcomes known from the head on, in queue
// order, each followed by the count still queued.
void report(DownloadWorker* worker) {
  while (worker->head != worker->started) {
    Outcome outcome = worker->outcomes[worker->head % kWindow];
    if (outcome == Outcome::Running) break;
    Request head;
    read_request(worker->queue, 0, &head);
    remember(worker->recent, head.remote);
    WPARAM tag = (WPARAM)(uint32_t)head.tag;
    if (outcome == Outcome::Unreachable) tag |= DL_FAILED_UNREACHABLE;
    LPARAM value = (LPARAM)head.value;
    worker->started_at -= head.size;
    ++worker->head;
    int left = remove_head(worker->queue);
    if (!worker->window) continue;
    PostMessageA(worker->window, outcome == Outcome::Done ? WM_DL_DONE : WM_DL_FAILED, tag, value);
    PostMessageA(worker->window, WM_DL_PENDING, (WPARAM)left, 0);
  }
}

DWORD WINAPI fetcher_main(void* argument) {
  DownloadWorker* worker = static_cast<DownloadWorker*>(argument);
  char* buffer = nullptr;
  // One root handle for the thread's life: its connections are kept alive
  // from one request to the next.
  HINTERNET root = nullptr;
  Job job;
  EnterCriticalSection(&worker->lock);
  for (;;) {
    Take taken = take(worker, &job);
    if (taken == Take::None) {
      if (worker->stop) break;
      ++worker->idle;
      LeaveCriticalSection(&worker->lock);
      WaitForSingleObject(worker->wake, INFINITE);
      EnterCriticalSection(&worker->lock);
      --worker->idle;
      --worker->woken;
      continue;
    }
    if (taken == Take::FailAtOnce) {
      report(worker);
      continue;
    }
    // More to start: the next waiting thread takes it.
    if (worker->ahead && worker->queue[worker->started_at]) wake_one(worker);
    LeaveCriticalSection(&worker->lock);

    if (!buffer) buffer = static_cast<char*>(std::malloc(kReadSize));
    if (!root) {
      root = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
      if (root) set_timeouts(root, job.timing.timeout_ms);
    }
    Outcome outcome = fetch(worker, root, job, buffer);

    EnterCriticalSection(&worker->lock);
    worker->outcomes[job.seq % kWindow] = outcome;
    if (outcome == Outcome::Unreachable) {
      worker->ahead = false;
      worker->cooling = true;
      worker->cool_start = GetTickCount();
    } else if (!worker->cooling) {
      worker->ahead = true;
    }
    report(worker);
  }
  LeaveCriticalSection(&worker->lock);
  if (root) InternetCloseHandle(root);
  std::free(buffer);
  return 0;
}

bool start(DownloadWorker* worker) {
  if (worker->threads[kFetchers - 1]) return true;
  // Each object is made once, so a start that failed part way can be tried
  // again by the next request without leaking.
  if (!worker->wake) worker->wake = CreateSemaphoreA(nullptr, 0, 0x40000000, nullptr);
  if (!worker->stopping) worker->stopping = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!worker->queue) worker->queue = static_cast<uint8_t*>(std::calloc(1, kQueueSize));
  if (!worker->wake || !worker->stopping || !worker->queue) return false;
  // WinINet holds a process to two connections per server unless told.
  ULONG connections = kFetchers;
  InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections,
                     sizeof connections);
  InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections,
                     sizeof connections);
  for (HANDLE& thread : worker->threads) {
    if (!thread) thread = CreateThread(nullptr, 0, fetcher_main, worker, 0, nullptr);
    if (!thread) return false;
  }
  return true;
}

}  // namespace

DownloadWorker* download_worker_create(const char* base_url) {
  DownloadWorker* worker = static_cast<DownloadWorker*>(std::calloc(1, sizeof(DownloadWorker)));
  if (!worker) return nullptr;
  std::snprintf(worker->base_url, sizeof worker->base_url, "%s", base_url);
  worker->timing = kDownloadTiming;
  InitializeCriticalSection(&worker->lock);
  return worker;
}

void download_worker_shutdown(DownloadWorker* worker) {
  if (worker->shut) return;
  worker->shut = true;
  EnterCriticalSection(&worker->lock);
  InterlockedExchange(&worker->stop, 1);
  if (worker->stopping) SetEvent(worker->stopping);
  if (worker->wake) ReleaseSemaphore(worker->wake, kFetchers, nullptr);
  LeaveCriticalSection(&worker->lock);
  for (HANDLE& thread : worker->threads) {
    if (!thread) continue;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
  }
  if (worker->wake) CloseHandle(worker->wake);
  if (worker->stopping) CloseHandle(worker->stopping);
  worker->wake = worker->stopping = nullptr;
  std::free(worker->queue);
  worker->queue = nullptr;
}

void download_worker_destroy(DownloadWorker* worker) {
  if (!worker) return;
  download_worker_shutdown(worker);
  DeleteCriticalSection(&worker->lock);
  std::free(worker);
}

int download_worker_request(DownloadWorker* worker, char* remote, const char* local, int32_t tag,
                            int32_t value) {
  Queued queued = download_worker_offer(worker, remote, local, tag, value);
  return queued == Queued::Full || queued == Queued::TooLong ? 0 : 1;
}

Queued download_worker_offer(DownloadWorker* worker, char* remote, const char* local, int32_t tag,
                             int32_t value) {
  forward_slashes(remote);
  if (worker->shut) return Queued::TooLong;
  EnterCriticalSection(&worker->lock);
  Queued queued = Queued::TooLong;  // a worker that cannot start takes nothing
  if (start(worker)) {
    queued = add_request(worker->queue, worker->recent, remote, local, tag, value);
    if (queued == Queued::Added) wake_one(worker);
  }
  LeaveCriticalSection(&worker->lock);
  return queued;
}

void download_worker_forget_recent(DownloadWorker* worker, char* remote) {
  forward_slashes(remote);
  EnterCriticalSection(&worker->lock);
  forget(worker->recent, remote);
  LeaveCriticalSection(&worker->lock);
}

void download_worker_set_window(DownloadWorker* worker, HWND window) {
  EnterCriticalSection(&worker->lock);
  worker->window = window;
  LeaveCriticalSection(&worker->lock);
}

void download_worker_set_timing(DownloadWorker* worker, const DownloadTiming& timing) {
  EnterCriticalSection(&worker->lock);
  worker->timing = timing;
  LeaveCriticalSection(&worker->lock);
}

// The worker thread: takes the head of the request queue, fetches it over
// WinINet straight into a file beside the target, and posts the outcome.
// The queue and the recent list are touched only under the lock and only
// for in-memory steps; the network and the disk are used outside it.
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

struct DownloadWorker {
  // Guards the queue, the recent list, the report window and the timing.
  // A lock of the process's own: a named one could be shared by chance
  // with another process.
  CRITICAL_SECTION lock;
  HANDLE thread;   // nonzero once started
  uint8_t* queue;  // kQueueSize bytes
  HWND window;
  HANDLE pending;  // manual reset: set while requests wait, and at shutdown
  char base_url[256];
  char recent[kRecentSize];
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

enum class Outcome { Done, Failed, Broken };

struct Job {
  char url[kMaxPath + 1];
  char local[kMaxPath + 1];
  int32_t tag, value;
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
HINTERNET open_request(HINTERNET root, const char* url, DWORD timeout_ms, HINTERNET* connection) {
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
  *connection = InternetConnectA(root, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                 0, 0);
  if (!*connection) return nullptr;
  DWORD flags = INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_NO_CACHE_WRITE;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  HINTERNET request = HttpOpenRequestA(*connection, "GET", path[0] ? path : "/", nullptr, nullptr,
                                       nullptr, flags, 0);
  if (request) {
    set_timeouts(request, timeout_ms);
    if (HttpSendRequestA(request, kAcceptHeader, sizeof kAcceptHeader - 1, nullptr, 0)) return request;
    InternetCloseHandle(request);
  }
  InternetCloseHandle(*connection);
  *connection = nullptr;
  return nullptr;
}

// One attempt at a transfer. Broken: the body did not arrive whole (a read
// failed, timed out, or the connection closed short of Content-Length).
Outcome transfer(HINTERNET root, const Job& job, DWORD timeout_ms, char* buffer) {
  HINTERNET connection = nullptr;
  HINTERNET request = open_request(root, job.url, timeout_ms, &connection);
  if (!request) return Outcome::Failed;
  Outcome outcome = receive(request, job, buffer);
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  return outcome;
}

// Next URL, with the lock held: copies the head request, or tells the
// thread to wait or end.
enum class Next { Job, Empty, Stop };

Next take_next(DownloadWorker* worker, Job* job) {
  Request head;
  if (worker->stop) return Next::Stop;
  if (!read_request(worker->queue, 0, &head)) return Next::Empty;
  job->url_ok = full_url(worker->base_url, head.remote, job->url, sizeof job->url);
  std::strcpy(job->local, head.local);
  job->tag = head.tag;
  job->value = head.value;
  job->timing = worker->timing;
  return Next::Job;
}

Next next_job(DownloadWorker* worker, Job* job) {
  EnterCriticalSection(&worker->lock);
  Next next = take_next(worker, job);
  if (next == Next::Empty) ResetEvent(worker->pending);
  LeaveCriticalSection(&worker->lock);
  return next;
}

// Finishes the head and, in the same hold of the lock, picks the next one:
// under Wine every lock, event and wait is a round trip to the wineserver,
// which costs more than a small request to a near server.
Next finish(DownloadWorker* worker, Job* job, bool done) {
  EnterCriticalSection(&worker->lock);
  Request head;
  if (read_request(worker->queue, 0, &head)) remember(worker->recent, head.remote);
  int left = remove_head(worker->queue);
  if (left == 0) ResetEvent(worker->pending);
  const int32_t tag = job->tag, value = job->value;
  HWND window = worker->window;
  Next next = take_next(worker, job);
  LeaveCriticalSection(&worker->lock);
  PostMessageA(window, done ? WM_DL_DONE : WM_DL_FAILED, (WPARAM)tag, (LPARAM)value);
  PostMessageA(window, WM_DL_PENDING, (WPARAM)left, 0);
  return next;
}

// Waits out a pause between retries; false when shutdown cut it short.
bool pause(DownloadWorker* worker, unsigned ms) {
  return WaitForSingleObject(worker->stopping, ms) == WAIT_TIMEOUT && !worker->stop;
}

DWORD WINAPI worker_main(void* argument) {
  DownloadWorker* worker = static_cast<DownloadWorker*>(argument);
  char* buffer = static_cast<char*>(std::malloc(kReadSize));
  // One root handle for the thread's life: its connections are kept alive
  // from one request to the next.
  HINTERNET root = nullptr;
  // Shutdown signals the pending event too, but a finish that empties the
  // queue may reset it just after; the stopping event is never reset.
  HANDLE wake[2] = {worker->pending, worker->stopping};
  Job job;
  Next next = Next::Empty;
  for (;;) {
    if (next != Next::Job) {
      WaitForMultipleObjects(2, wake, FALSE, INFINITE);
      next = next_job(worker, &job);
      if (next == Next::Stop) break;
      if (next == Next::Empty) continue;
    }

    if (!root) {
      root = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
      if (root) set_timeouts(root, job.timing.timeout_ms);
    }
    Outcome outcome = Outcome::Failed;
    if (root && buffer && job.url_ok) {
      for (int attempt = 0;; ++attempt) {
        outcome = transfer(root, job, job.timing.timeout_ms, buffer);
        if (outcome != Outcome::Broken) break;
        if (attempt == 3 || !pause(worker, job.timing.retry_pause_ms[attempt])) {
          outcome = Outcome::Failed;
          break;
        }
      }
    }
    next = finish(worker, &job, outcome == Outcome::Done);
    if (next == Next::Stop) break;
  }
  if (root) InternetCloseHandle(root);
  std::free(buffer);
  return 0;
}

bool start(DownloadWorker* worker) {
  if (worker->thread) return true;
  // Each object is made once, so a start that failed part way can be tried
  // again by the next request without leaking.
  if (!worker->pending) worker->pending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!worker->stopping) worker->stopping = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!worker->queue) worker->queue = static_cast<uint8_t*>(std::calloc(1, kQueueSize));
  if (!worker->pending || !worker->stopping || !worker->queue) return false;
  worker->thread = CreateThread(nullptr, 0, worker_main, worker, 0, nullptr);
  return worker->thread != nullptr;
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
  InterlockedExchange(&worker->stop, 1);
  if (worker->stopping) SetEvent(worker->stopping);
  if (worker->thread) {
    SetEvent(worker->pending);
    WaitForSingleObject(worker->thread, INFINITE);
    CloseHandle(worker->thread);
    worker->thread = nullptr;
  }
  if (worker->pending) CloseHandle(worker->pending);
  if (worker->stopping) CloseHandle(worker->stopping);
  worker->pending = worker->stopping = nullptr;
  std::free(worker->queue);
  worker->queue = nullptr;
}

void download_worker_destroy(DownloadWorker* worker) {
  if (!worker) return;
  download_worker_shutdown(worker);
  DeleteCriticalSection(&worker->lock);
  std::free(worker);
}

int download_worker_request(DownloadWorker* worker, char* remote, const char* local,
                            int32_t tag, int32_t value) {
  Queued queued = download_worker_offer(worker, remote, local, tag, value);
  return queued == Queued::Full || queued == Queued::TooLong ? 0 : 1;
}

Queued download_worker_offer(DownloadWorker* worker, char* remote, const char* local,
                             int32_t tag, int32_t value) {
  forward_slashes(remote);
  if (worker->shut || !start(worker)) return Queued::TooLong;
  EnterCriticalSection(&worker->lock);
  // The event stays set while the queue holds a request (the worker resets
  // it only on finding the queue empty), so only the first request into an
  // empty queue needs to set it: one wineserver round trip less for each
  // of the hundreds of requests of a list walk.
  bool was_empty = worker->queue[0] == 0;
  Queued queued = add_request(worker->queue, worker->recent, remote, local, tag, value);
  LeaveCriticalSection(&worker->lock);
  if (queued == Queued::Added && was_empty) SetEvent(worker->pending);
  return queued;
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

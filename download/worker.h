// The download worker. The program makes one when it starts and shuts it
// down before it ends; tests and timing programs may run several.
//
// Fetching ahead: up to six transfers run at once, one connection each,
// and up to 32 requests from the head on may be under way or finished
// before the head is reported. Reports still come in queue order: a
// request that finishes early waits for those before it. A request waits
// while an earlier one for the same local file is under way. A finished
// path joins the recent list when it is reported.
//
// Unreachable server: a request that gets no answer because the connection
// cannot be made, the name is not resolved, or nothing comes back within
// the time-out fails with DL_FAILED_UNREACHABLE. (A connection reset or
// aborted before the time-out was made: the server turned down that one
// request, which fails plainly.)
// From then on, requests fail at once with the same flag, still in queue
// order, until 3 s have passed since that failure; the next request then
// makes a real attempt. The worker fetches one request at a time when it
// starts and after such a failure, until a transfer ends otherwise, so that
// a dead server costs one time-out and not six.
#pragma once

#include <cstdint>

#include "download/download.h"
#include "download/maker_host.h"
#include "download/request_queue.h"

struct DownloadWorker;
struct HWND__;  // a window handle, as <windows.h> declares it

// Pauses before the retries of a broken transfer, and the connect and
// receive time-out. The program keeps the defaults.
struct DownloadTiming {
  unsigned retry_pause_ms[3];
  unsigned timeout_ms;
};
extern const DownloadTiming kDownloadTiming;

// The maker's server: every remote path that is not a full URL hangs off it.
#define PARTSDL_BASE_URL "http://" PARTSDL_MAKER_HOST "/newdownload"

DownloadWorker* download_worker_create(const char* base_url);
// Shuts the worker down (see download_worker_shutdown) and frees it.
void download_worker_destroy(DownloadWorker* worker);
// Queues `remote` (a path under the base URL, or a complete "http://" or
// "https://" URL) to be written to `local`. Backslashes in the caller's
// `remote` are turned into slashes in place. Returns 1 when queued, and also
// when the same remote path is already queued or finished recently (then
// nothing more is fetched or reported); 0 when the queue has no room, a
// path is longer than the worker's 255-character buffers, or the worker
// was shut down.
int download_worker_request(DownloadWorker* worker, char* remote, const char* local, int32_t tag,
                            int32_t value);
// The same, with the queue's own answer: Full when there is no room for now,
// TooLong when the request can never be queued (also by a worker that was
// shut down or could not start).
download::Queued download_worker_offer(DownloadWorker* worker, char* remote, const char* local,
                                       int32_t tag, int32_t value);
// Takes `remote` (backslashes turned into slashes in place) out of the
// recent list, so that it can be asked for again at once.
void download_worker_forget_recent(DownloadWorker* worker, char* remote);
// The window that receives the reports; null posts them nowhere.
void download_worker_set_window(DownloadWorker* worker, HWND__* window);
void download_worker_set_timing(DownloadWorker* worker, const DownloadTiming& timing);
// Lets the transfers in progress finish and be reported, drops the
// requests not started without reports, and ends the threads. Idempotent;
// a worker that was shut down refuses further requests with 0.
void download_worker_shutdown(DownloadWorker* worker);

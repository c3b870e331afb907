// The worker object behind DownloadRequest, for programs that need one of
// their own: tests and timing programs run several workers in one process.
// The program itself uses the single static worker through download.h.
#pragma once

#include <cstdint>

#include "download/download.h"

struct DownloadWorker;

// Pauses before the retries of a broken transfer, and the connect and
// receive time-out. The program keeps the defaults.
struct DownloadTiming {
  unsigned retry_pause_ms[3];
  unsigned timeout_ms;
};
extern const DownloadTiming kDownloadTiming;

DownloadWorker* download_worker_create(const char* base_url);
// Shuts the worker down (see download_worker_shutdown) and frees it.
void download_worker_destroy(DownloadWorker* worker);
int download_worker_request(DownloadWorker* worker, char* remote, const char* local,
                            int32_t tag, int32_t value);
void download_worker_set_window(DownloadWorker* worker, HWND__* window);
void download_worker_set_timing(DownloadWorker* worker, const DownloadTiming& timing);
// Lets a transfer in progress finish and be reported, drops the requests
// still queued without reports, and ends the thread. Idempotent; a worker
// that was shut down refuses further requests with 0.
void download_worker_shutdown(DownloadWorker* worker);

// The worker's request queue and recent list, as byte buffers that the user
// interface thread and the worker thread share under the worker's lock.
//
// Queue: requests packed one after another, oldest first, no alignment:
//   remote path, NUL; local path, NUL; tag (int32 LE); value (int32 LE).
// A NUL byte where the next request would begin ends the queue.
//
// Recent list: NUL-terminated remote paths of the latest finished requests,
// most recent first, ended by an empty string, 256 bytes at most.
#pragma once

#include <cstddef>
#include <cstdint>

namespace download {

constexpr size_t kQueueSize = 65536;
constexpr size_t kRecentSize = 256;
// Full URLs and local paths live in 256-byte buffers.
constexpr size_t kMaxPath = 255;
constexpr size_t kMaxRemote = 254;

// One queued request, pointing into the queue buffer.
struct Request {
  const char* remote;
  const char* local;
  int32_t tag;
  int32_t value;
  size_t size;  // bytes it occupies
};

// Reads the request that begins at `offset`. False at the end of the queue,
// and also where the bytes do not hold a whole request.
bool read_request(const uint8_t* queue, size_t offset, Request* request);
// Offset of the NUL that ends the queue.
size_t queue_end(const uint8_t* queue);
int queue_count(const uint8_t* queue);
bool queue_holds(const uint8_t* queue, const char* remote);

enum class Queued {
  Added,      // appended; the worker must be woken
  Recent,     // finished a short while ago: dropped, nothing reported
  Duplicate,  // already waiting: dropped, the queued one keeps its tag and value
  Full,       // no room
  TooLong,    // a path that cannot fit the worker's buffers
};
Queued add_request(uint8_t* queue, const char* recent, const char* remote, const char* local,
                   int32_t tag, int32_t value);

// Takes the head request out, moving the rest to the front. Returns the
// number of requests left.
int remove_head(uint8_t* queue);

bool recent_holds(const char* recent, const char* remote);
// Puts `remote` first; older entries follow while they fit, the rest drop.
void remember(char* recent, const char* remote);
// Takes `remote` out of the recent list, the entries after it moving up.
void forget(char* recent, const char* remote);

// Remote paths travel with forward slashes; callers may build them from
// local-style paths.
void forward_slashes(char* remote);
// "http://" and "https://" paths are complete URLs (the scheme is compared
// as written); anything else goes after the base URL. False when the URL
// would not fit 255 characters.
bool full_url(const char* base, const char* remote, char* url, size_t url_size);

}  // namespace download

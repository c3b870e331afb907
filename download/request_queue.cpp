#include "download/request_queue.h"

#include <cstring>

#include "platform/byte_fields.h"

namespace download {
namespace {

// Length of the NUL-terminated string at `offset`, or -1 when it runs past
// the buffer.
long string_at(const uint8_t* queue, size_t offset) {
  if (offset >= kQueueSize) return -1;
  const void* nul = std::memchr(queue + offset, 0, kQueueSize - offset);
  return nul ? (long)((const uint8_t*)nul - (queue + offset)) : -1;
}

}  // namespace

bool read_request(const uint8_t* queue, size_t offset, Request* request) {
  long r = string_at(queue, offset);
  if (r <= 0) return false;
  long l = string_at(queue, offset + r + 1);
  if (l < 0) return false;
  size_t size = (size_t)r + (size_t)l + 10;
  if (offset + size > kQueueSize) return false;
  const uint8_t* numbers = queue + offset + r + l + 2;
  request->remote = (const char*)queue + offset;
  request->local = (const char*)queue + offset + r + 1;
  request->tag = plat::get_i32(numbers);
  request->value = plat::get_i32(numbers + 4);
  request->size = size;
  return true;
}

size_t queue_end(const uint8_t* queue) {
  size_t offset = 0;
  Request request;
  while (read_request(queue, offset, &request)) offset += request.size;
  return offset;
}

int queue_count(const uint8_t* queue) {
  int count = 0;
  size_t offset = 0;
  Request request;
  for (; read_request(queue, offset, &request); offset += request.size) ++count;
  return count;
}

bool queue_holds(const uint8_t* queue, const char* remote) {
  size_t offset = 0;
  Request request;
  for (; read_request(queue, offset, &request); offset += request.size)
    if (std::strcmp(request.remote, remote) == 0) return true;
  return false;
}

Queued add_request(uint8_t* queue, const char* recent, const char* remote, const char* local,
                   int32_t tag, int32_t value) {
  size_t r = std::strlen(remote), l = std::strlen(local);
  // An empty remote path would read as the end of the queue.
  if (r == 0 || r > kMaxRemote || l > kMaxPath) return Queued::TooLong;
  if (recent_holds(recent, remote)) return Queued::Recent;
  if (queue_holds(queue, remote)) return Queued::Duplicate;
  size_t end = queue_end(queue);
  if (end + r + l + 11 > kQueueSize) return Queued::Full;
  uint8_t* p = queue + end;
  std::memcpy(p, remote, r + 1);
  std::memcpy(p + r + 1, local, l + 1);
  plat::put_u32(p + r + l + 2, (uint32_t)tag);
  plat::put_u32(p + r + l + 6, (uint32_t)value);
  p[r + l + 10] = 0;
  return Queued::Added;
}

int remove_head(uint8_t* queue) {
  Request head;
  if (!read_request(queue, 0, &head)) {
    queue[0] = 0;
    return 0;
  }
  size_t end = queue_end(queue);
  std::memmove(queue, queue + head.size, end - head.size);
  queue[end - head.size] = 0;
  return queue_count(queue);
}

bool recent_holds(const char* recent, const char* remote) {
  size_t offset = 0;
  while (offset < kRecentSize && recent[offset]) {
    const char* entry = recent + offset;
    size_t len = strnlen(entry, kRecentSize - offset);
    if (offset + len >= kRecentSize) break;
    if (std::strcmp(entry, remote) == 0) return true;
    offset += len + 1;
  }
  return false;
}

void remember(char* recent, const char* remote) {
  char fresh[kRecentSize];
  size_t used = std::strlen(remote) + 1;
  if (used + 1 > kRecentSize) return;  // refused when queued; never here
  std::memcpy(fresh, remote, used);
  size_t offset = 0;
  while (offset < kRecentSize && recent[offset]) {
    size_t len = strnlen(recent + offset, kRecentSize - offset);
    if (offset + len >= kRecentSize || used + len + 1 >= kRecentSize) break;
    std::memcpy(fresh + used, recent + offset, len + 1);
    used += len + 1;
    offset += len + 1;
  }
  fresh[used] = 0;
  std::memcpy(recent, fresh, used + 1);
}

void forget(char* recent, const char* remote) {
  size_t offset = 0;
  while (offset < kRecentSize && recent[offset]) {
    size_t len = strnlen(recent + offset, kRecentSize - offset);
    if (offset + len >= kRecentSize) return;
    if (std::strcmp(recent + offset, remote) == 0) {
      std::memmove(recent + offset, recent + offset + len + 1, kRecentSize - offset - len - 1);
      std::memset(recent + kRecentSize - len - 1, 0, len + 1);
      continue;
    }
    offset += len + 1;
  }
}

void forward_slashes(char* remote) {
  for (; *remote; ++remote)
    if (*remote == '\\') *remote = '/';
}

bool full_url(const char* base, const char* remote, char* url, size_t url_size) {
  bool complete =
      std::strncmp(remote, "http://", 7) == 0 || std::strncmp(remote, "https://", 8) == 0;
  size_t b = complete ? 0 : std::strlen(base), r = std::strlen(remote);
  size_t limit = url_size < kMaxPath + 1 ? url_size : kMaxPath + 1;
  if (b + r + 1 > limit) return false;
  std::memcpy(url, base, b);
  std::memcpy(url + b, remote, r + 1);
  return true;
}

}  // namespace download

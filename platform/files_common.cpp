// File helpers built on the seam's primitives, the same on both platforms.
#include "platform/files.h"

namespace plat {

bool file_exists(const char* path) {
  File* f = open_file(path, kNoAccess, kShareRead | kShareWrite, Disposition::OpenExisting);
  close_file(f);
  return f != nullptr;
}

int64_t file_size(const char* path) {
  File* f = open_file(path, kRead, kShareRead, Disposition::OpenExisting);
  if (!f) return -1;
  int64_t size = file_length(f);
  close_file(f);
  return size;
}

bool read_file(const char* path, std::string* contents) {
  File* f = open_file(path, kRead, kShareRead, Disposition::OpenExisting);
  if (!f) return false;
  contents->clear();
  bool whole = true;
  char chunk[65536];
  for (uint64_t at = 0;;) {
    int64_t got = read_at(f, at, chunk, sizeof chunk);
    if (got < 0) whole = false;
    if (got <= 0) break;
    contents->append(chunk, (size_t)got);
    at += (uint64_t)got;
  }
  close_file(f);
  return whole;
}

bool write_file(const char* path, const void* data, size_t size) {
  File* f = open_file(path, kWrite, kShareNone, Disposition::CreateAlways);
  if (!f) return false;
  bool whole = write_at(f, 0, data, size) == (int64_t)size;
  close_file(f);
  return whole;
}

}  // namespace plat

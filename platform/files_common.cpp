// File helpers built on the seam's primitives, the same on both platforms.
#include "platform/files.h"

#include <atomic>

#include "platform/file_faults.h"
#include "platform/shift_jis.h"

namespace plat {
namespace {

std::atomic<int64_t> operations{0};
std::atomic<int64_t> failing_operation{0};  // 0 when off
std::atomic<bool> failing_after{false};
thread_local int compound_depth = 0;

}  // namespace

int64_t file_operation_count() { return operations.load(std::memory_order_relaxed); }

void fail_file_operation(int64_t n, bool and_after) {
  failing_operation = n > 0 ? n : 0;
  failing_after = and_after;
}

CompoundFileOperation::CompoundFileOperation() { ++compound_depth; }
CompoundFileOperation::~CompoundFileOperation() { --compound_depth; }

bool file_operation_fails() {
  if (compound_depth > 0) return false;
  int64_t number = operations.fetch_add(1, std::memory_order_relaxed) + 1;
  int64_t failing = failing_operation.load(std::memory_order_relaxed);
  return failing > 0 && (number == failing || (number > failing && failing_after));
}

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

bool begin_new_file(NewFile* out, const char* path) {
  drop_new_file(out);
  out->path = path;
  out->fresh = out->path + ".new";
  out->file = open_file(out->fresh.c_str(), kWrite, kShareNone, Disposition::CreateAlways);
  if (!out->file) out->fresh.clear();
  return out->file != nullptr;
}

bool begin_new_file_in(NewFile* out, const char* path, const char* work_folder) {
  drop_new_file(out);
  out->path = path;
  // The name after the last separator, read by character: a 0x5C second
  // byte of a double-byte character is no separator.
  size_t separator = last_char_of(out->path.data(), out->path.size(), "\\/");
  std::string name = separator == out->path.size() ? out->path : out->path.substr(separator + 1);
  out->fresh = std::string(work_folder) + name + ".new";
  out->file = open_file(out->fresh.c_str(), kWrite, kShareNone, Disposition::CreateAlways);
  // Another thread may make the folder first: open again either way.
  if (!out->file) {
    create_directory(work_folder);
    out->file = open_file(out->fresh.c_str(), kWrite, kShareNone, Disposition::CreateAlways);
  }
  if (!out->file) out->fresh.clear();
  return out->file != nullptr;
}

bool finish_new_file(NewFile* out, bool flush) {
  bool whole = out->file && (!flush || flush_file(out->file));
  close_file(out->file);
  out->file = nullptr;
  if (whole && replace_file(out->fresh.c_str(), out->path.c_str())) {
    out->fresh.clear();
    return true;
  }
  drop_new_file(out);
  return false;
}

void drop_new_file(NewFile* out) {
  close_file(out->file);
  out->file = nullptr;
  if (!out->fresh.empty()) delete_file(out->fresh.c_str());
  out->fresh.clear();
}

namespace {

bool write_new_file(NewFile* out, const char* path, const void* data, size_t size) {
  if (!begin_new_file(out, path)) return false;
  if (write_at(out->file, 0, data, size) == static_cast<int64_t>(size)) return true;
  drop_new_file(out);
  return false;
}

}  // namespace

bool replace_whole_file(const char* path, const void* data, size_t size) {
  NewFile out;
  return write_new_file(&out, path, data, size) && finish_new_file(&out, true);
}

bool create_whole_file(const char* path, const void* data, size_t size) {
  NewFile out;
  if (!write_new_file(&out, path, data, size)) return false;
  close_file(out.file);
  out.file = nullptr;
  if (move_file(out.fresh.c_str(), path)) return true;
  drop_new_file(&out);
  return false;
}

bool copy_into_place(const char* src, const char* path) {
  std::string fresh = std::string(path) + ".new";
  if (copy_file(src, fresh.c_str(), false) && replace_file(fresh.c_str(), path)) return true;
  delete_file(fresh.c_str());
  return false;
}

}  // namespace plat

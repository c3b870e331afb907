// Emulates the kernel32 file semantics the program relies on, over POSIX.
// Sharing is enforced only among the handles of this process: a table of
// open handles keyed by file identity stands in for the kernel's share
// access records.
#include "platform/files.h"

#include "platform/file_faults.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include "platform/file_time.h"
#include "platform/native_path.h"
#include "platform/shift_jis.h"

namespace plat {

struct File {
  int fd;
  unsigned access;
  unsigned share;
  dev_t dev;
  ino_t ino;
};

namespace {

std::mutex table_lock;
std::vector<File*> open_files;  // guarded by table_lock
int64_t writes_left = -1;       // the full-disk test hook; -1 when off

// As CreateFile decides: a handle without data access neither checks nor is
// checked against the share modes of others.
bool shares_allow(const File& held, unsigned access, unsigned share) {
  if (held.access == kNoAccess || access == kNoAccess) return true;
  if ((access & kRead) && !(held.share & kShareRead)) return false;
  if ((access & kWrite) && !(held.share & kShareWrite)) return false;
  if ((held.access & kRead) && !(share & kShareRead)) return false;
  if ((held.access & kWrite) && !(share & kShareWrite)) return false;
  return true;
}

// Caller holds table_lock.
bool held_with_data_access(dev_t dev, ino_t ino) {
  for (File* f : open_files)
    if (f->dev == dev && f->ino == ino && f->access != kNoAccess) return true;
  return false;
}

// Deleting or renaming asks for delete access, which no handle of ours
// shares; any open handle with data access therefore blocks it.
bool in_use(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return false;
  std::lock_guard<std::mutex> guard(table_lock);
  return held_with_data_access(st.st_dev, st.st_ino);
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

File* open_file(const char* path, unsigned access, unsigned share, Disposition disposition) {
  if (file_operation_fails()) return nullptr;
  std::string local = native_path(path);
  struct stat st;
  // CreateFile without backup semantics refuses directories whatever the
  // disposition.
  if (stat(local.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;

  int flags = O_CLOEXEC;
  if ((access & kRead) && (access & kWrite))
    flags |= O_RDWR;
  else if (access & kWrite)
    flags |= O_WRONLY;
  else
    flags |= O_RDONLY;
  if (disposition != Disposition::OpenExisting) flags |= O_CREAT;
  if (disposition == Disposition::CreateNew) flags |= O_EXCL;
  // CreateAlways truncates only once the share check has passed, so O_TRUNC
  // is not used here.

  std::lock_guard<std::mutex> guard(table_lock);
  int fd = open(local.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  for (File* held : open_files) {
    if (held->dev == st.st_dev && held->ino == st.st_ino && !shares_allow(*held, access, share)) {
      close(fd);
      return nullptr;
    }
  }
  if (disposition == Disposition::CreateAlways && st.st_size != 0 && ftruncate(fd, 0) != 0) {
    close(fd);
    return nullptr;
  }
  File* file = new File{fd, access, share, st.st_dev, st.st_ino};
  open_files.push_back(file);
  return file;
}

void close_file(File* file) {
  if (!file) return;
  {
    std::lock_guard<std::mutex> guard(table_lock);
    for (size_t i = 0; i < open_files.size(); ++i) {
      if (open_files[i] == file) {
        open_files.erase(open_files.begin() + i);
        break;
      }
    }
  }
  close(file->fd);
  delete file;
}

int64_t read_at(File* file, uint64_t offset, void* buffer, size_t count) {
  if (file_operation_fails()) return -1;
  if (!file || !(file->access & kRead)) return -1;
  size_t done = 0;
  while (done < count) {
    ssize_t got = pread(file->fd, (char*)buffer + done, count - done, (off_t)(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += (size_t)got;
  }
  return (int64_t)done;
}

int64_t write_at(File* file, uint64_t offset, const void* buffer, size_t count) {
  if (file_operation_fails()) return -1;
  if (!file || !(file->access & kWrite)) return -1;
  size_t allowed = count;
  if (writes_left >= 0 && (uint64_t)writes_left < count) allowed = (size_t)writes_left;
  size_t done = 0;
  while (done < allowed) {
    ssize_t put =
        pwrite(file->fd, (const char*)buffer + done, allowed - done, (off_t)(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return -1;
    done += (size_t)put;
  }
  if (writes_left >= 0) writes_left -= (int64_t)done;
  return allowed < count ? -1 : (int64_t)done;
}

int64_t file_length(File* file) {
  struct stat st;
  if (!file || fstat(file->fd, &st) != 0) return -1;
  return (int64_t)st.st_size;
}

bool flush_file(File* file) {
  return !file_operation_fails() && file && (file->access & kWrite) && fsync(file->fd) == 0;
}

bool copy_file(const char* src, const char* dst, bool fail_if_exists) {
  if (file_operation_fails()) return false;
  CompoundFileOperation one;
  // The source is opened first, so a missing source leaves dst untouched.
  // Wine shares writing of the source too: a writer that shares reading does
  // not stop a copy.
  File* in = open_file(src, kRead, kShareRead | kShareWrite, Disposition::OpenExisting);
  if (!in) return false;
  File* out = open_file(dst, kWrite, kShareNone,
                        fail_if_exists ? Disposition::CreateNew : Disposition::CreateAlways);
  if (!out) {
    close_file(in);
    return false;
  }
  bool copied = true;
  char chunk[65536];
  for (uint64_t at = 0;;) {
    int64_t got = read_at(in, at, chunk, sizeof chunk);
    if (got < 0) copied = false;
    if (got <= 0) break;
    if (write_at(out, at, chunk, (size_t)got) != got) {
      copied = false;
      break;
    }
    at += (uint64_t)got;
  }
  // CopyFile carries the last-write time over to the copy.
  struct stat st;
  if (copied && fstat(in->fd, &st) == 0) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out->fd, times);
  }
  close_file(out);
  close_file(in);
  return copied;
}

bool move_file(const char* src, const char* dst) {
  if (file_operation_fails()) return false;
  CompoundFileOperation one;
  std::string from = native_path(src), to = native_path(dst);
  if (!exists(from) || in_use(from)) return false;
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EXDEV) return false;
#endif
  if (exists(to)) return false;
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  // MoveFile copies across volumes; only files are ever moved that far.
  if (errno != EXDEV) return false;
  return copy_file(src, dst, true) && delete_file(src);
}

bool replace_file(const char* src, const char* dst) {
  if (file_operation_fails()) return false;
  std::string from = native_path(src), to = native_path(dst);
  struct stat st;
  if (lstat(from.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (in_use(from) || in_use(to)) return false;
  if (stat(to.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
  return rename(from.c_str(), to.c_str()) == 0;
}

bool delete_file(const char* path) {
  if (file_operation_fails()) return false;
  std::string local = native_path(path);
  struct stat st;
  if (lstat(local.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (in_use(local)) return false;
  return unlink(local.c_str()) == 0;
}

bool list_files(const char* pattern, std::vector<std::string>* names) {
  names->clear();
  if (file_operation_fails()) return false;
  const std::string whole(pattern);
  size_t separator = last_char_of(whole.data(), whole.size(), "\\/");
  std::string folder = separator == whole.size() ? "." : whole.substr(0, separator + 1);
  std::string wanted = separator == whole.size() ? whole : whole.substr(separator + 1);
  DIR* dir = opendir(native_path(folder.c_str()).c_str());
  if (!dir) return false;
  while (struct dirent* entry = readdir(dir)) {
    struct stat st;
    std::string path = native_path((folder + entry->d_name).c_str());
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        fnmatch(wanted.c_str(), entry->d_name, FNM_CASEFOLD | FNM_NOESCAPE) == 0)
      names->push_back(entry->d_name);
  }
  closedir(dir);
  return true;
}

bool create_directory(const char* path) {
  return !file_operation_fails() && mkdir(native_path(path).c_str(), 0777) == 0;
}

bool file_write_time(const char* path, uint64_t* filetime) {
  struct stat st;
  if (stat(native_path(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  *filetime = kUnixEpochFiletime + (uint64_t)st.st_mtim.tv_sec * kFiletimeSecond +
              (uint64_t)st.st_mtim.tv_nsec / 100;
  return true;
}

namespace {
// Access time left as it is, last-write time from a FILETIME.
bool times_from_filetime(uint64_t filetime, struct timespec times[2]) {
  if (filetime < kUnixEpochFiletime) return false;
  uint64_t since_epoch = filetime - kUnixEpochFiletime;
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = (time_t)(since_epoch / kFiletimeSecond);
  times[1].tv_nsec = (long)(since_epoch % kFiletimeSecond) * 100;
  return true;
}
}  // namespace

bool set_file_write_time(const char* path, uint64_t filetime) {
  struct timespec times[2];
  return times_from_filetime(filetime, times) &&
         utimensat(AT_FDCWD, native_path(path).c_str(), times, 0) == 0;
}

bool set_write_time(File* file, uint64_t filetime) {
  struct timespec times[2];
  return file && (file->access & kWrite) && times_from_filetime(filetime, times) &&
         futimens(file->fd, times) == 0;
}

void fail_writes_after(int64_t bytes) { writes_left = bytes < 0 ? -1 : bytes; }

}  // namespace plat

#include "platform/files.h"

#include "platform/file_faults.h"

#include <windows.h>

namespace plat {

struct File {
  HANDLE handle;
};

namespace {

int64_t writes_left = -1;  // the full-disk test hook; -1 when off

DWORD creation_of(Disposition disposition) {
  switch (disposition) {
    case Disposition::OpenExisting: return OPEN_EXISTING;
    case Disposition::OpenAlways: return OPEN_ALWAYS;
    case Disposition::CreateAlways: return CREATE_ALWAYS;
    case Disposition::CreateNew: return CREATE_NEW;
  }
  return OPEN_EXISTING;
}

// Positions with SetFilePointer rather than OVERLAPPED offsets so that the
// same code works on handles opened without overlapped I/O everywhere.
bool seek(HANDLE handle, uint64_t offset) {
  LONG high = (LONG)(offset >> 32);
  DWORD low = SetFilePointer(handle, (LONG)(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

}  // namespace

File* open_file(const char* path, unsigned access, unsigned share, Disposition disposition) {
  DWORD desired = 0;
  if (access & kRead) desired |= GENERIC_READ;
  if (access & kWrite) desired |= GENERIC_WRITE;
  DWORD sharing = 0;
  if (share & kShareRead) sharing |= FILE_SHARE_READ;
  if (share & kShareWrite) sharing |= FILE_SHARE_WRITE;
  if (file_operation_fails()) return nullptr;
  HANDLE handle = CreateFileA(path, desired, sharing, nullptr, creation_of(disposition),
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return new File{handle};
}

void close_file(File* file) {
  if (!file) return;
  CloseHandle(file->handle);
  delete file;
}

int64_t read_at(File* file, uint64_t offset, void* buffer, size_t count) {
  if (file_operation_fails()) return -1;
  if (!file || !seek(file->handle, offset)) return -1;
  size_t done = 0;
  while (done < count) {
    DWORD chunk = count - done > 0x10000000 ? 0x10000000 : (DWORD)(count - done);
    DWORD got = 0;
    if (!ReadFile(file->handle, (char*)buffer + done, chunk, &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return (int64_t)done;
}

int64_t write_at(File* file, uint64_t offset, const void* buffer, size_t count) {
  if (file_operation_fails()) return -1;
  if (!file || !seek(file->handle, offset)) return -1;
  size_t allowed = count;
  if (writes_left >= 0 && (uint64_t)writes_left < count) allowed = (size_t)writes_left;
  size_t done = 0;
  while (done < allowed) {
    DWORD chunk = allowed - done > 0x10000000 ? 0x10000000 : (DWORD)(allowed - done);
    DWORD put = 0;
    if (!WriteFile(file->handle, (const char*)buffer + done, chunk, &put, nullptr) || put == 0)
      return -1;
    done += put;
  }
  if (writes_left >= 0) writes_left -= (int64_t)done;
  if (allowed < count) {
    SetLastError(ERROR_DISK_FULL);
    return -1;
  }
  return (int64_t)done;
}

int64_t file_length(File* file) {
  if (!file) return -1;
  DWORD high = 0;
  DWORD low = GetFileSize(file->handle, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return ((int64_t)high << 32) | low;
}

bool flush_file(File* file) {
  return !file_operation_fails() && file && FlushFileBuffers(file->handle);
}

bool copy_file(const char* src, const char* dst, bool fail_if_exists) {
  return !file_operation_fails() && CopyFileA(src, dst, fail_if_exists) != 0;
}

bool move_file(const char* src, const char* dst) {
  return !file_operation_fails() && MoveFileA(src, dst) != 0;
}

bool replace_file(const char* src, const char* dst) {
  return !file_operation_fails() &&
         MoveFileExA(src, dst, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool delete_file(const char* path) { return !file_operation_fails() && DeleteFileA(path) != 0; }

bool list_files(const char* pattern, std::vector<std::string>* names) {
  names->clear();
  if (file_operation_fails()) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names->push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

bool create_directory(const char* path) {
  return !file_operation_fails() && CreateDirectoryA(path, nullptr) != 0;
}

bool file_write_time(const char* path, uint64_t* filetime) {
  HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILETIME written;
  bool ok = GetFileTime(handle, nullptr, nullptr, &written) != 0;
  CloseHandle(handle);
  if (ok) *filetime = ((uint64_t)written.dwHighDateTime << 32) | written.dwLowDateTime;
  return ok;
}

bool set_file_write_time(const char* path, uint64_t filetime) {
  HANDLE handle = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILETIME written;
  written.dwLowDateTime = (DWORD)(filetime & 0xFFFFFFFFu);
  written.dwHighDateTime = (DWORD)(filetime >> 32);
  bool ok = SetFileTime(handle, nullptr, nullptr, &written) != 0;
  CloseHandle(handle);
  return ok;
}

bool set_write_time(File* file, uint64_t filetime) {
  if (!file) return false;
  FILETIME written;
  written.dwLowDateTime = (DWORD)(filetime & 0xFFFFFFFFu);
  written.dwHighDateTime = (DWORD)(filetime >> 32);
  return SetFileTime(file->handle, nullptr, nullptr, &written) != 0;
}

void fail_writes_after(int64_t bytes) { writes_left = bytes < 0 ? -1 : bytes; }

}  // namespace plat

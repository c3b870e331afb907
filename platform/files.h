// The file operations the program needs, with the semantics of the Windows
// kernel. On Windows they call kernel32; natively they are emulated so that
// the portable core can be built and tested on Linux.
//
// Paths are Shift-JIS text with backslash separators, as Windows takes them.
// The native emulation turns each backslash that is a separator (not the
// second byte of a double-byte character) into a slash and otherwise uses the
// bytes as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Access asked for when opening, and what other openers may still do.
enum Access : unsigned { kNoAccess = 0, kRead = 1, kWrite = 2 };
enum Share : unsigned { kShareNone = 0, kShareRead = 1, kShareWrite = 2 };

enum class Disposition {
  OpenExisting,  // fails when the file is missing
  OpenAlways,    // creates it when missing, keeps existing content
  CreateAlways,  // creates it, or truncates an existing file
  CreateNew,     // fails when the file exists
};

struct File;  // an open file; nullptr means the open failed

// Opens with Windows sharing rules: the open fails when another handle of the
// process (or, on Windows, of any process) holds the file in a way that the
// requested access and share mode do not allow.
File* open_file(const char* path, unsigned access, unsigned share, Disposition disposition);
void close_file(File* file);

// Reads or writes at an absolute offset. The result is the number of bytes
// transferred (a read stops short at the end of the file), or -1 on error.
int64_t read_at(File* file, uint64_t offset, void* buffer, size_t count);
int64_t write_at(File* file, uint64_t offset, const void* buffer, size_t count);
int64_t file_length(File* file);  // -1 on error
bool flush_file(File* file);      // to the disk, before a file is put in place

// Copies src to dst. With fail_if_exists an existing dst is left as it is
// and the copy fails; otherwise it is replaced.
bool copy_file(const char* src, const char* dst, bool fail_if_exists);
// Moves or renames; never replaces an existing dst.
bool move_file(const char* src, const char* dst);
// Puts src in place of dst in one step, replacing dst when it exists. Used
// to finish a whole-file rewrite: dst is either the old or the new file.
bool replace_file(const char* src, const char* dst);
bool delete_file(const char* path);
bool create_directory(const char* path);

// The names of the files (not folders) of a folder that match the last
// element of `pattern`, with FindFirstFile's wildcards "*" and "?" and
// without regard to case: "C:\\x\\HDTMP\\VIEW*.DAT". False when the folder
// cannot be read; no match is an empty list.
bool list_files(const char* pattern, std::vector<std::string>* names);

// True when the file can be opened with no access, sharing read and write.
bool file_exists(const char* path);
// Size of a file that can be opened for reading (sharing read), or -1.
int64_t file_size(const char* path);

// Last-write time as Windows keeps it: 100-nanosecond intervals since
// 1601-01-01 UTC. Both fail (false) when the file cannot be opened.
bool file_write_time(const char* path, uint64_t* filetime);
bool set_file_write_time(const char* path, uint64_t filetime);
// The same on a file this process holds open for writing, after its last
// write: one call instead of an open, a set and a close.
bool set_write_time(File* file, uint64_t filetime);

// Whole-file helpers. read_file shares reading; write_file creates or
// truncates the file, holds it exclusively and writes all bytes.
bool read_file(const char* path, std::string* contents);
bool write_file(const char* path, const void* data, size_t size);

// Whole-file rewrites of the suite's files. The complete new file is written
// beside `path` as "<path>.new" and put in place with replace_file only when
// whole, so a crash or a full disk leaves the old file or the new one, never
// a cut one. On failure the ".new" file is deleted and `path` is as it was.
bool replace_whole_file(const char* path, const void* data, size_t size);
// The same with the bytes of the file `src`: copied beside `path` and put
// in place whole, or `path` left as it was.
bool copy_into_place(const char* src, const char* path);
// A new file written whole beside `path` and moved into place only when
// `path` does not exist; false, with `path` left as it was, otherwise. Not
// flushed: used for files that can be made again.
bool create_whole_file(const char* path, const void* data, size_t size);

// The same for a file written piece by piece: begin_new_file creates (or
// truncates) "<path>.new", held exclusively, and the caller writes to `file`
// at any offsets. finish_new_file puts it in place, flushed to the disk first
// when `flush` is set (a file that can be fetched again may skip the cost);
// drop_new_file abandons it. Both close the file and delete what is left.
struct NewFile {
  std::string path;
  std::string fresh;
  File* file = nullptr;
};
bool begin_new_file(NewFile* out, const char* path);
// The same with the fresh file in `work_folder` (on the same volume, made
// when missing) instead of beside `path`: a file put into a folder of
// thousands is then written in a small one, where Wine's lookup of a new
// name is cheap.
bool begin_new_file_in(NewFile* out, const char* path, const char* work_folder);
bool finish_new_file(NewFile* out, bool flush);
void drop_new_file(NewFile* out);

// Test hook: after `bytes` more bytes have been written by write_at, every
// write fails as on a full disk. A negative value turns the hook off.
void fail_writes_after(int64_t bytes);

// Test hook for fault injection. Every open, read, write, flush, copy, move,
// replace, delete and folder creation is counted, whatever its outcome; the
// operation numbered `n` fails without doing anything, and with `and_after`
// every later one too, as when the process dies at that point. n <= 0 turns
// the hook off. The count goes on either way.
int64_t file_operation_count();
void fail_file_operation(int64_t n, bool and_after = false);

}  // namespace plat

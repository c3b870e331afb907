#include "tests/support/scratch.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/support/ok.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#else
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/native_path.h"
#endif

namespace oktest {
namespace {

std::vector<std::string>* made = new std::vector<std::string>;  // never freed: read at exit

#ifdef _WIN32
std::string temp_folder() {
  char base[MAX_PATH] = {};
  return GetTempPathA(sizeof base, base) ? base : "";
}
unsigned long process_id() { return GetCurrentProcessId(); }
void make_folder(const std::string& folder) { CreateDirectoryA(folder.c_str(), nullptr); }
std::string local(const std::string& path) { return path; }
void remove_tree(const std::string& folder) {  // the list of one ends with two NULs
  std::string from = folder.substr(0, folder.size() - 1) + std::string(2, '\0');
  SHFILEOPSTRUCTA remove = {
      nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT,
      FALSE,   nullptr,   nullptr};
  SHFileOperationA(&remove);
}
#else
// Memory when the machine offers it: the fault-injection tests write the
// suite's files thousands of times, and every whole-file write is flushed.
std::string temp_folder() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/"; }
unsigned long process_id() { return getpid(); }
std::string local(const std::string& path) { return plat::native_path(path.c_str()); }
void make_folder(const std::string& folder) { mkdir(local(folder).c_str(), 0755); }
int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }
void remove_tree(const std::string& folder) {
  nftw(local(folder).c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}
#endif

}  // namespace

std::string scratch_folder(const char* test_name) {
  static int serial = 0;
  // Folders are kept when something failed, to look at.
  if (serial == 0)
    std::atexit([] {
      for (const std::string& f : *made)
        if (failed_checks() == 0) remove_tree(f);
    });
  // Wine may hand out the same process id run after run, so the clock keeps
  // the names of separate runs apart.
  char name[200];
  std::snprintf(name, sizeof name, "%spdl-%s-%lu-%u-%d\\", temp_folder().c_str(), test_name,
                process_id(), static_cast<unsigned>(std::time(nullptr)) % 100000u, ++serial);
  make_folder(name);
  made->push_back(name);
  return name;
}

bool put_file(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(local(path).c_str(), "wb");
  bool whole = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return f && std::fclose(f) == 0 && whole;
}

bool get_file(const std::string& path, std::string* bytes) {
  std::ifstream in(local(path), std::ios::binary | std::ios::ate);
  std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size < 0) return false;
  bytes->resize(static_cast<size_t>(size));
  in.seekg(0);
  return !!in.read(&(*bytes)[0], static_cast<std::streamsize>(bytes->size()));
}

std::string file_text(const std::string& path) {
  std::string bytes;
  return get_file(path, &bytes) ? bytes : "<missing>";
}

}  // namespace oktest

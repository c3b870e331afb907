#include "tests/support/scratch.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "tests/support/ok.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/native_path.h"
#endif

namespace oktest {
namespace {

std::vector<std::string>& made_folders() {
  static std::vector<std::string> folders;
  return folders;
}

#ifdef _WIN32
std::string local(const std::string& path) { return path; }
void remove_tree(const std::string& folder) {  // folder ends with a backslash
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(folder + name + "\\");
    else DeleteFileA((folder + name).c_str());
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  RemoveDirectoryA(folder.c_str());
}
#else
std::string local(const std::string& path) { return plat::native_path(path.c_str()); }
int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }
void remove_tree(const std::string& folder) { nftw(local(folder).c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }
#endif

// Folders are kept when something failed, to look at.
void remove_made_folders() {
  if (failed_checks() != 0) return;
  for (const std::string& folder : made_folders()) remove_tree(folder);
}

}  // namespace

std::string scratch_folder(const char* test_name) {
  static int serial = 0;
  if (serial == 0) {
    made_folders();  // built before the handler is registered, so it outlives it
    std::atexit(remove_made_folders);
  }
  // Wine may hand out the same process id run after run, so the clock keeps
  // the names of separate runs apart.
  const unsigned stamp = static_cast<unsigned>(std::time(nullptr)) % 100000u;
  char name[200];
#ifdef _WIN32
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  std::snprintf(name, sizeof name, "%spdl-%s-%lu-%u-%d\\", base, test_name, GetCurrentProcessId(), stamp, ++serial);
  CreateDirectoryA(name, nullptr);
#else
  std::snprintf(name, sizeof name, "/tmp/pdl-%s-%d-%u-%d\\", test_name, (int)getpid(), stamp, ++serial);
  mkdir(local(name).c_str(), 0755);
#endif
  made_folders().push_back(name);
  return name;
}

bool put_file(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(local(path).c_str(), "wb");
  if (!f) return false;
  bool whole = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && whole;
}

bool get_file(const std::string& path, std::string* bytes) {
  FILE* f = std::fopen(local(path).c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  char chunk[65536];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes->append(chunk, got);
  std::fclose(f);
  return true;
}

}  // namespace oktest

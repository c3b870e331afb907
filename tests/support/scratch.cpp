#include "tests/support/scratch.h"

#include <cstdio>
#include <string>
#include <vector>

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

std::string local(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  return plat::native_path(path.c_str());
#endif
}

}  // namespace

std::string scratch_folder(const char* test_name) {
  static int serial = 0;
  char name[160];
#ifdef _WIN32
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  std::snprintf(name, sizeof name, "%spdl-%s-%lu-%d\\", base, test_name,
                GetCurrentProcessId(), ++serial);
  CreateDirectoryA(name, nullptr);
#else
  std::snprintf(name, sizeof name, "/tmp/pdl-%s-%d-%d\\", test_name, (int)getpid(), ++serial);
  mkdir(local(name).c_str(), 0755);
#endif
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
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, got);
  std::fclose(f);
  return true;
}

}  // namespace oktest

// Program folders and whole-file access for the end-to-end cases.
#include "tests/e2e/driver.h"

#include <cstdio>

namespace e2e {
namespace {

// The folder holding the built partsdl.exe: PARTSDL_BIN when set, otherwise
// <build>\bin\ beside <build>\tests\ where this test program lives.
std::string built_program_folder() {
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableA("PARTSDL_BIN", buffer, sizeof buffer);
  std::string folder;
  if (n > 0 && n < sizeof buffer) {
    folder = buffer;
  } else {
    GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    folder = buffer;
    size_t cut = folder.find_last_of('\\');
    folder.resize(cut == std::string::npos ? 0 : cut);    // <build>\tests
    cut = folder.find_last_of('\\');
    folder.resize(cut == std::string::npos ? 0 : cut);    // <build>
    folder += "\\bin";
  }
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

// Copies the files (not the folders) of one folder into another.
bool copy_files(const std::string& from, const std::string& to) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool copied_program = false;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!CopyFileA((from + found.cFileName).c_str(), (to + found.cFileName).c_str(), FALSE))
      continue;
    if (lstrcmpiA(found.cFileName, "partsdl.exe") == 0) copied_program = true;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return copied_program;
}

void remove_tree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(path + "\\");
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

Folder::Folder(const char* case_name, const std::string& extra) {
  char temp[MAX_PATH] = {};
  if (!GetTempPathA(sizeof temp, temp)) return;
  char name[96];
  std::snprintf(name, sizeof name, "pdl-%s-%lu\\", case_name,
                static_cast<unsigned long>(GetCurrentProcessId()));
  top_ = std::string(temp) + name;
  remove_tree(top_);  // left by an earlier run that had the same process id
  if (!CreateDirectoryA(top_.c_str(), nullptr)) return;
  std::string folder = top_;
  if (!extra.empty()) {
    folder += extra + "\\";
    if (!CreateDirectoryA(folder.c_str(), nullptr)) return;
  }
  if (!copy_files(built_program_folder(), folder)) return;
  for (const char* sub : {"HDINI", "HDTMP", "HDPARTS"})
    if (!CreateDirectoryA((folder + sub).c_str(), nullptr)) return;
  path = folder;
}

Folder::~Folder() {
  if (top_.empty() || GetEnvironmentVariableA("PARTSDL_E2E_KEEP", nullptr, 0) > 0) return;
  remove_tree(top_);
}

bool write_file(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL done = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return done && written == bytes.size();
}

bool read_file(const std::string& path, std::string* bytes) {
  bytes->clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  bytes->resize(size);
  DWORD got = 0;
  BOOL done = size == 0 || ReadFile(file, &(*bytes)[0], size, &got, nullptr);
  CloseHandle(file);
  return done && got == size;
}

bool file_exists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_directory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

long long file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool file_equals(const std::string& path, const std::string& bytes) {
  std::string held;
  return read_file(path, &held) && held == bytes;
}

bool files_equal(const std::string& a, const std::string& b) {
  std::string first, second;
  return read_file(a, &first) && read_file(b, &second) && first == second;
}

}  // namespace e2e

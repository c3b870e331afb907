#include "tests/e2e/cases.h"

#include <cstdlib>

using namespace gui;

bool open_dialog(Program* program, const Folder& folder) {
  return ok(start(program, folder.path) && wait_windows(program), "dialog did not open in %s\n",
            folder.path.c_str());
}

void close_with(Program* program, int button) {
  click(program->dialog, button);
  DWORD code = 99;
  ok(wait_exit(program, &code) && code == 0, "button %d did not end the program with 0\n", button);
}

bool rows_are(HWND dialog, int id, const std::vector<std::string>& expected, const char* what) {
  std::vector<std::string> rows = list_rows(dialog, id);
  size_t same = 0;
  while (same < rows.size() && same < expected.size() && rows[same] == expected[same]) ++same;
  return ok(same == rows.size() && same == expected.size(),
            "%s: list %d has %d rows (expected %d), row %d reads \"%s\"\n", what, id,
            static_cast<int>(rows.size()), static_cast<int>(expected.size()),
            static_cast<int>(same), same < rows.size() ? readable(rows[same]).c_str() : "");
}

std::string server_path(const char* variable, const std::string& relative) {
  const char* value = std::getenv(variable);
  return value ? std::string(value) + relative : std::string();
}

bool serve(const std::string& relative, const std::string& bytes) {
  std::string path = server_path("DLTEST_ROOT", "\\");
  for (size_t at = 0; (at = relative.find('\\', at)) != std::string::npos; ++at)
    CreateDirectoryA((path + relative.substr(0, at)).c_str(), nullptr);
  return write_file(path + relative, bytes);
}

std::vector<std::string> logged_paths() {
  std::vector<std::string> paths;
  std::string log = read_file(server_path("DLTEST_LOG"));
  for (size_t at = 0; (at = log.find("\"path\": \"", at)) != std::string::npos;) {
    at += 9;
    paths.push_back(log.substr(at, log.find('"', at) - at));
  }
  return paths;
}

size_t count_with(const std::vector<std::string>& paths, const std::string& part) {
  size_t n = 0;
  for (const std::string& path : paths) n += path.find(part) != std::string::npos;
  return n;
}

std::vector<std::string> files_matching(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

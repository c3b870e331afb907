#include "tests/e2e/cases.h"

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

// The headless part of `make demo`: starts the program over the sample
// program folder and walks through its main screens, saving a screenshot of
// each. Usage: demo_tour PROGRAM_FOLDER SHOT_FOLDER (Windows paths ending
// with a backslash).
#include <windows.h>

#include <cstdio>
#include <string>

#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace {

bool shoot(const std::string& folder, const char* name) {
  std::string path = folder + name + ".bmp";
  bool saved = e2e::screenshot(path);
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: demo_tour PROGRAM_FOLDER\\ SHOT_FOLDER\\\n");
    return 2;
  }
  const std::string program_folder = argv[1], shots = argv[2];
  e2e::Program program;
  if (!e2e::start_in(&program, program_folder) || !e2e::wait_windows(&program)) {
    std::fprintf(stderr, "the program did not open its main dialog\n");
    return 1;
  }
  HWND dialog = program.dialog;
  e2e::bring_to_front_and_paint(dialog);
  shoot(shots, "01-main-3dcad");

  // テキスト読込 (its button is hidden; its command is what the button sends):
  // the sample list file is picked in the open-file dialog as a user would.
  e2e::post_click(dialog, IDC_TEXT_IMPORT);
  if (HWND file_dialog = e2e::wait_file_dialog(program.process.dwProcessId)) {
    e2e::type_text(e2e::file_name_box(file_dialog), "pvnbhn_lst240401.dat");
    e2e::bring_to_front_and_paint(file_dialog);
    shoot(shots, "02-open-list-file");
    e2e::post_click(file_dialog, IDOK);
    e2e::wait_gone(file_dialog);
    e2e::poll(e2e::kWaitMs, [&] { return e2e::list_count(dialog, IDC_MAKERS) > 0; });
  } else {
    std::fprintf(stderr, "the open-file dialog did not appear\n");
  }
  e2e::bring_to_front_and_paint(dialog);
  shoot(shots, "03-catalogue");

  e2e::select_row(dialog, IDC_MAKERS, 2);
  e2e::select_row(dialog, IDC_MAJOR_ITEMS, 1);
  e2e::select_row(dialog, IDC_CLASS_ITEMS, 2);
  e2e::bring_to_front_and_paint(dialog);
  shoot(shots, "04-maker-and-item-selected");

  e2e::click(dialog, IDC_DEST_ROOF);
  e2e::bring_to_front_and_paint(dialog);
  shoot(shots, "05-roof-plan");

  e2e::click(dialog, IDC_DEST_OTHER);
  e2e::bring_to_front_and_paint(dialog);
  shoot(shots, "06-other");

  // 中止 leaves the sample library as it was.
  e2e::post_click(dialog, IDCANCEL);
  DWORD code = 0;
  e2e::wait_exit(&program, e2e::kWaitMs, &code);
  return 0;
}

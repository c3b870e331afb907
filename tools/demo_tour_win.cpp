// The headless part of `make demo`: starts the program over the sample
// program folder and walks through its main screens, saving a screenshot of
// each. Usage: demo_tour PROGRAM_FOLDER SHOT_FOLDER (Windows paths ending
// with a backslash).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tools/gui_driver/gui_driver_win.h"
#include "tools/sample_catalogue.h"

namespace {

std::string shots;

// The whole screen as a 32-bit top-down .bmp: file header and info header
// field by field, then the captured rows made opaque.
bool screenshot(const std::string& path) {
  gui::Pixels pixels =
      gui::capture({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  if (pixels.width == 0) return false;
  for (size_t alpha = 3; alpha < pixels.bgrx.size(); alpha += 4) pixels.bgrx[alpha] = '\xFF';
  std::string bytes(54, '\0');
  auto put = [&](size_t at, DWORD value, int size) {
    for (int k = 0; k < size; ++k) bytes[at + k] = static_cast<char>(value >> (8 * k));
  };
  put(0, 0x4D42, 2);  // "BM"
  put(2, 54 + pixels.bgrx.size(), 4);
  put(10, 54, 4);  // where the rows start
  put(14, 40, 4);  // info header size
  put(18, pixels.width, 4);
  put(22, -pixels.height, 4);
  put(26, 1, 2);   // planes
  put(28, 32, 2);  // bits a pixel; no compression
  put(34, pixels.bgrx.size(), 4);
  return gui::write_file(path, bytes + pixels.bgrx);
}

void shoot(HWND window, const char* name) {
  gui::bring_to_front_and_paint(window);
  std::string path = shots + name + ".bmp";
  std::printf("%s %s\n", screenshot(path) ? "saved" : "could not save", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: demo_tour PROGRAM_FOLDER\\ SHOT_FOLDER\\\n");
    return 2;
  }
  shots = argv[2];
  gui::Program program;
  // The list walk behind the progress dialog, then the list selection.
  if (!gui::start(&program, argv[1]) || !gui::wait_windows(&program, gui::kWaitMs, false)) {
    std::fprintf(stderr, "the program did not open its main dialog\n");
    return 1;
  }
  HWND progress = nullptr;
  gui::wait_until(gui::kWaitMs, [&] {
    for (HWND window : gui::process_windows(program.pid(), "#32770"))
      if (gui::text(window) == "部品ダウンロード") progress = window;
    return progress != nullptr;
  });
  gui::pause_ms(600);  // a day or two checked
  if (progress) shoot(progress, "01-list-walk");
  HWND selection = nullptr;
  gui::wait_until(60000, [&] {
    for (HWND window : gui::process_windows(program.pid(), "#32770"))
      if (gui::text(window) == "ダウンロードリスト" && IsWindowVisible(window)) selection = window;
    return selection != nullptr;
  });
  if (selection) {
    shoot(selection, "02-list-selection");
    gui::post_click(selection, IDOK);
  } else {
    std::fprintf(stderr, "the list selection did not appear\n");
  }
  if (!gui::wait_windows(&program)) {
    std::fprintf(stderr, "the main dialog did not become usable\n");
    return 1;
  }
  HWND dialog = program.dialog;
  gui::wait_until(gui::kWaitMs, [&] { return !gui::list_rows(dialog, IDC_MAKERS).empty(); });
  shoot(dialog, "03-catalogue");

  gui::select_row(dialog, IDC_MAKERS, 2);
  gui::select_row(dialog, IDC_MAJOR_ITEMS, 1);
  gui::select_row(dialog, IDC_CLASS_ITEMS, 2);
  shoot(dialog, "04-maker-and-item-selected");
  gui::click(dialog, IDC_DEST_ROOF);
  shoot(dialog, "05-roof-plan");
  gui::click(dialog, IDC_DEST_OTHER);
  shoot(dialog, "06-other");

  // テキスト読込 (its button is hidden; its command is what the button sends):
  // the sample list file is picked in the open-file dialog as a user would.
  gui::post_click(dialog, IDC_TEXT_IMPORT);
  if (HWND file_dialog = gui::wait_file_dialog(program.pid())) {
    gui::type_text(gui::file_name_box(file_dialog), "pvnbhn_lst240401.dat");
    shoot(file_dialog, "07-open-list-file");
    gui::post_click(file_dialog, IDOK);
    gui::wait_until(gui::kWaitMs,
                    [&] { return gui::text(dialog).find("2024") != std::string::npos; });
    shoot(dialog, "08-imported-list");
  } else {
    std::fprintf(stderr, "the open-file dialog did not appear\n");
  }

  // 追加: みらい住設's five new parts into 3DCAD's 建具/玄関ドア, after its
  // three figures; the parts archive comes first, then the figures.
  gui::click(dialog, IDC_DEST_3DCAD);
  std::vector<std::string> makers = gui::list_rows(dialog, IDC_MAKERS);
  for (size_t row = 0; row < makers.size(); ++row)
    if (makers[row] == sample::kHomeMaker)
      gui::select_row(dialog, IDC_MAKERS, static_cast<int>(row));
  gui::post_click(dialog, IDC_ADD);
  if (HWND box = gui::wait_message_box(program.pid(), 30000)) {
    shoot(box, "09-add-finished");
    gui::answer_ok(box);
    gui::wait_until(gui::kWaitMs, [&] { return !IsWindow(box); });
    shoot(dialog, "10-added-figures");
  } else {
    std::fprintf(stderr, "the add did not finish\n");
  }
  // Adding them again asks about each registered part.
  gui::post_click(dialog, IDC_ADD);
  if (HWND question = gui::wait_dialog_with(program.pid(), IDC_OVERWRITE_TEXT)) {
    shoot(question, "11-overwrite-question");
    gui::post_click(question, IDCANCEL);
    gui::wait_until(gui::kWaitMs, [&] { return !IsWindow(question); });
  } else {
    std::fprintf(stderr, "the overwrite question did not appear\n");
  }

  // 中止 leaves the sample library as it was.
  gui::post_click(dialog, IDCANCEL);
  DWORD code = 0;
  gui::wait_exit(&program, &code);
  return 0;
}

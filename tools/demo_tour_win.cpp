// The headless part of `make demo`: starts the program over the sample
// program folder and walks through its main screens, saving a screenshot of
// each. Usage: demo_tour PROGRAM_FOLDER SHOT_FOLDER (Windows paths ending
// with a backslash).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "figure/figdraw.h"
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
  gui::pause_ms(200);  // the repaint reaches the screen
  std::string path = shots + name + ".bmp";
  std::printf("%s %s\n", screenshot(path) ? "saved" : "could not save", path.c_str());
}

void select_maker(HWND dialog, const char* maker) {
  std::vector<std::string> makers = gui::list_rows(dialog, IDC_MAKERS);
  for (size_t row = 0; row < makers.size(); ++row)
    if (makers[row] == maker) gui::select_row(dialog, IDC_MAKERS, static_cast<int>(row));
}

// テキスト読込 (its button is hidden; its command is what the button sends):
// the list file is picked in the open-file dialog as a user would.
bool import_list(const gui::Program& program, const char* name, const char* shot = nullptr) {
  const std::string title = gui::text(program.dialog);
  gui::post_click(program.dialog, IDC_TEXT_IMPORT);
  HWND file_dialog = gui::wait_file_dialog(program.pid());
  if (!file_dialog) {
    std::fprintf(stderr, "the open-file dialog did not appear\n");
    return false;
  }
  gui::type_text(gui::file_name_box(file_dialog), name);
  if (shot) shoot(file_dialog, shot);
  gui::post_click(file_dialog, IDOK);
  return gui::wait_until(gui::kWaitMs, [&] { return gui::text(program.dialog) != title; });
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

  // The sample list file, read in through テキスト読込.
  if (import_list(program, sample::kSampleListName, "07-open-list-file"))
    shoot(dialog, "08-imported-list");

  // 追加: みらい住設's five new parts into 3DCAD's 建具/玄関ドア, after its
  // three figures; the parts archive comes first, then the figures.
  gui::click(dialog, IDC_DEST_3DCAD);
  select_maker(dialog, sample::kHomeMaker);
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

  // ﾌﾟﾚﾋﾞｭｰ of 日本建材 over the preview copies the list selection fetched:
  // the opening picture, turned twice, then on white paper.
  select_maker(dialog, "日本建材");
  gui::post_click(dialog, IDC_PREVIEW);
  if (HWND view = gui::wait_dialog_with(program.pid(), IDC_PREVIEW_ROTATE)) {
    shoot(view, "12-preview");
    gui::click(view, IDC_PREVIEW_ROTATE);
    gui::click(view, IDC_PREVIEW_ROTATE);
    shoot(view, "13-preview-turned");
    gui::click(view, IDC_PREVIEW_BACKGROUND);
    shoot(view, "14-preview-background");
    gui::post_click(view, IDOK);
    gui::wait_until(gui::kWaitMs, [&] { return !IsWindow(view); });
  } else {
    std::fprintf(stderr, "the preview did not open\n");
  }

  // 表示: the figure list window on the item the main dialog shows, where
  // みらい住設's figures went, the first of them selected.
  const int major = gui::list_selection(dialog, IDC_MAJOR_ITEMS),
            item = gui::list_selection(dialog, IDC_CLASS_ITEMS);
  gui::post_click(dialog, IDC_SHOW_FIGURES);
  HWND figures = nullptr;
  gui::wait_until(gui::kWaitMs, [&] {
    std::vector<HWND> found = gui::process_windows(program.pid(), figure::kListWindowClass);
    figures = found.empty() || !IsWindowVisible(found[0]) ? nullptr : found[0];
    return figures != nullptr;
  });
  if (figures) {
    gui::select_row(figures, figure::kMajorItemList, major);
    gui::select_row(figures, figure::kClassItemList, item);
    gui::select_row(figures, figure::kFigureList, sample::kUsedSlotsOfFirstItem);
    shoot(figures, "15-figure-list");
    gui::post_click(figures, figure::kCloseButton);
    gui::wait_until(gui::kWaitMs, [&] { return !IsWindow(figures); });
  } else {
    std::fprintf(stderr, "the figure list window did not open\n");
  }

  // 削除 with the delete list of the day after takes みらい住設's parts out.
  if (import_list(program, sample::kDeleteListName)) {
    select_maker(dialog, sample::kHomeMaker);
    gui::post_click(dialog, IDC_DELETE);
    if (HWND box = gui::wait_message_box(program.pid(), 30000)) {
      shoot(box, "16-delete-finished");
      gui::answer_ok(box);
      gui::wait_until(gui::kWaitMs, [&] { return !IsWindow(box); });
    } else {
      std::fprintf(stderr, "the delete did not finish\n");
    }
  }

  // 中止 leaves the sample library as it was.
  gui::post_click(dialog, IDCANCEL);
  DWORD code = 0;
  gui::wait_exit(&program, &code);
  return 0;
}

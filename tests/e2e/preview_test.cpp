// ﾌﾟﾚﾋﾞｭｰ and 表示 against the sample catalogue (tools/sample_catalogue.h),
// as only the real program and FIGDRAW.dll show them: the figure drawn on
// screen, turned, on the other background and for another part; the part
// files as they stood once 了 解 closes it; the message when a part is not
// downloaded yet; the figure list window's rename, shown in list 403 and
// undone by 中止. Which files stand in while the preview is open is checked
// natively (tests/unit/run_test.cpp).
#include "figure/figdraw.h"
#include "resources/resource.h"
#include "tests/e2e/cases.h"
#include "tools/sample_catalogue.h"

using namespace gui;

namespace {

// The parts of 日本建材, added and deleted; they refer to none.
const std::vector<int32_t> kMakerParts = {1001, 1002, 1003, 1004, 1005, 1010, 1011};

HWND open_preview(const Program& program) {
  post_click(program.dialog, IDC_PREVIEW);
  HWND view = wait_dialog_with(program.pid(), IDC_PREVIEW_ROTATE);
  HWND box = view ? nullptr : wait_message_box(program.pid(), 100);
  ok(view && text(view) == "部品ダウンロード", "no preview dialog (%s) %s\n",
     view ? readable(text(view)).c_str() : "", box ? readable(message_box_text(box)).c_str() : "");
  return view;
}

// The drawing area inside its frame, once it shows something other than
// `before` and two looks 100 ms apart agree.
Pixels shown(HWND view, const Pixels& before) {
  RECT area = client_on_screen(GetDlgItem(view, IDC_PREVIEW_AREA));
  InflateRect(&area, -2, -2);
  Pixels last;
  wait_until(5000, [&] {
    Pixels now = capture(area);
    bool settled = now.bgrx == last.bgrx && now.bgrx != before.bgrx;
    last = now;
    return settled;
  });
  return last;
}

// Pixels unlike the top left corner's, which the figure's margin keeps
// background: the figure's lines.
int lines(const Pixels& picture) {
  int n = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) n += picture.at(x, y) != picture.at(0, 0);
  return n;
}

}  // namespace

TEST(preview_draws_turns_and_puts_the_part_files_back) {
  Folder folder("preview");
  // The sample's walk finds the recent lists; 1001 and 1002 are in the
  // store, 1002 with an RE file an earlier run left.
  const std::string saved_1002 =
      store::part_file_path(folder.path.c_str(), store::PartFileVariant::Saved, 1002);
  if (!ok(sample::make_program_folder(folder.path) &&
              sample::make_catalogue(folder.path, server_path("DLTEST_ROOT")) &&
              put_older_part(folder, 1001) && put_older_part(folder, 1002) &&
              write_file(saved_1002, "PT-V01 left by an earlier run"),
          "cannot lay out the sample in %s\n", folder.path.c_str()))
    return;
  std::map<std::string, std::string> opening = store_state(folder);
  Program program;
  if (!open_newest_list(&program, folder) || !select_maker(program.dialog, "日本建材")) return;
  ok(wait_until(kWaitMs,
                [&] {
                  for (int32_t part : kMakerParts)
                    if (read_file(work_file(folder, store::WorkFile::View, part)) !=
                        sample::sample_part_data(part))
                      return false;
                  return true;
                }),
     "the preview copies of the maker's parts did not arrive\n");

  HWND view = open_preview(program);
  if (!view) return;
  ok(list_rows(view, IDC_ADDED_PARTS).size() == 5 &&
         list_rows(view, IDC_DELETED_PARTS).size() == 2 &&
         list_rows(view, IDC_ADDED_PARTS)[0] == "  1001  片開きドア W800" &&
         !checked(view, IDC_PREVIEW_BACKGROUND),
     "lists or check box on opening\n");

  const Pixels first = shown(view, Pixels());
  ok(lines(first) > 300, "the opening picture has %d line pixels\n", lines(first));
  click(view, IDC_PREVIEW_ROTATE);
  const Pixels turned = shown(view, first);
  ok(turned.bgrx != first.bgrx && lines(turned) > 300, "回転 does not turn the figure\n");

  click(view, IDC_PREVIEW_BACKGROUND);
  const Pixels other_background = shown(view, turned);
  ok(checked(view, IDC_PREVIEW_BACKGROUND) && other_background.at(0, 0) != first.at(0, 0) &&
         lines(other_background) > 300,
     "背景色 does not change the background\n");
  select_row(view, IDC_DELETED_PARTS, 0);
  const Pixels deleted_part = shown(view, other_background);
  ok(lines(deleted_part) > 300 && deleted_part.at(0, 0) == other_background.at(0, 0),
     "part 1010 not drawn on the chosen background\n");

  press_escape(program);
  pause_ms(300);
  ok(IsWindow(view) != 0, "Escape closes the preview\n");
  post_click(view, IDOK);
  ok(closes(view), "了 解 does not close\n");
  // The earlier run's RE file is gone, 1002 back as it stood.
  opening.erase(saved_1002.substr(folder.path.size()));
  same_state(store_state(folder), opening, "了 解");
  close_with(&program, IDOK);
}

TEST(an_unready_preview_and_the_figure_list_window) {
  Folder folder("preview_unready");
  // 3001's preview copy and 3002's older part file; 3003 has neither.
  if (!lay_out(folder) ||
      !ok(put_older_part(folder, 3002) && write_file(work_file(folder, store::WorkFile::View, 3001),
                                                     sample::sample_part_data(3001)),
          "cannot store part 3002\n"))
    return;
  const std::map<std::string, std::string> opening = store_state(folder);
  Program program;
  if (!open_sample_list(&program, folder, sample::kHomeMaker)) return;
  post_click(program.dialog, IDC_PREVIEW);
  expect_box(program, "ﾌﾟﾚﾋﾞｭｰ",
             "ﾌﾟﾚﾋﾞｭｰ用の部品がﾀﾞｳﾝﾛｰﾄﾞされていません。\nしばらく待って再試行して下さい。");
  ok(!wait_dialog_with(program.pid(), IDC_PREVIEW_ROTATE, 500), "the preview opened\n");
  same_state(store_state(folder), opening, "the preview not ready");

  // 表示: the figure list window, modal, renames a figure of list 403.
  std::vector<std::string> rows = list_rows(program.dialog, IDC_FIGURES);
  post_click(program.dialog, IDC_SHOW_FIGURES);
  HWND list = nullptr;
  wait_until(kWaitMs, [&] {
    std::vector<HWND> found = process_windows(program.pid(), figure::kListWindowClass);
    list = found.empty() || !IsWindowVisible(found[0]) ? nullptr : found[0];
    return list != nullptr;
  });
  if (!ok(list && !IsWindowEnabled(program.dialog), "no modal figure list window\n")) return;
  rows_are(list, figure::kFigureList, rows, "the figure list window");
  select_row(list, figure::kFigureList, 1);
  SendMessageW(GetDlgItem(list, figure::kNameEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(L"勝手口ドア W800"));
  click(list, figure::kRenameButton);
  ok(read_file(folder.file("HDINI\\VGZLST0.INI")) != opening.at("HDINI\\VGZLST0.INI"),
     "the rename is not written\n");
  post_click(list, figure::kCloseButton);
  ok(wait_until(kWaitMs, [&] { return !IsWindow(list) && IsWindowEnabled(program.dialog); }),
     "the figure list window does not close\n");
  rows[1] = "勝手口ドア W800";
  rows_are(program.dialog, IDC_FIGURES, rows, "after 表示");
  close_with(&program, IDCANCEL);
  same_state(store_state(folder), opening, "中止 after the rename");
}

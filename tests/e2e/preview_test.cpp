// ﾌﾟﾚﾋﾞｭｰ and 表示 against the sample catalogue (tools/sample_catalogue.h):
// the figure drawn from the list's preview copies, turned, on the other
// background, reset by another part; the part files put back by 了 解 (an
// RE file of an earlier run overwritten, a part installed meanwhile kept);
// the message when a part is not downloaded yet; the figure list window's
// rename, shown in list 403 and undone by 中止.
#include <algorithm>

#include "figure/figdraw.h"
#include "resources/resource.h"
#include "tests/e2e/cases.h"
#include "tools/sample_catalogue.h"

using namespace gui;

namespace {

const char kNotReady[] =
    "ﾌﾟﾚﾋﾞｭｰ用の部品がﾀﾞｳﾝﾛｰﾄﾞされていません。\nしばらく待って再試行して下さい。";
// The parts of 日本建材, added and deleted; they refer to none.
const char kMaker[] = "日本建材";
const std::vector<int32_t> kMakerParts = {1001, 1002, 1003, 1004, 1005, 1010, 1011};
// The file a preview moves part 1002 aside to; an earlier run left one.
const char kSaved1002[] = "RE0001002.BHN";
// みらい住設's parts and the parts they refer to; its reference to 70000,
// a part never downloaded, does not keep its preview from opening.
const std::vector<int32_t> kHomeParts = {3001, 3002, 3003, 3004, 5000, 3011, 3012, 6000, 7002};

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

void turn(HWND view) { click(view, IDC_PREVIEW_ROTATE); }

}  // namespace

TEST(preview_draws_turns_and_puts_the_part_files_back) {
  Folder folder("preview");
  // The sample's walk finds the recent lists; 1001 and 1002 are in the
  // store, 1002 with an RE file an earlier run left.
  if (!ok(sample::make_program_folder(folder.path) &&
              sample::make_catalogue(folder.path, server_path("DLTEST_ROOT")) &&
              put_older_part(folder, 1001) && put_older_part(folder, 1002) &&
              write_file(folder.file((part_folder(1002) + kSaved1002).c_str()),
                         "PT-V01 left by an earlier run"),
          "cannot lay out the sample in %s\n", folder.path.c_str()))
    return;
  std::map<std::string, std::string> opening = store_state(folder);
  Program program;
  if (!open_newest_list(&program, folder) || !select_maker(program.dialog, kMaker)) return;
  ok(wait_until(kWaitMs,
                [&] {
                  for (int32_t part : kMakerParts)
                    if (read_file(work_file(folder, "VIEW", part)) !=
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
         list_selection(view, IDC_ADDED_PARTS) == 0 && !checked(view, IDC_PREVIEW_BACKGROUND),
     "lists or check box on opening\n");
  for (int32_t part : kMakerParts)
    ok(read_file(part_file(folder, part)) == sample::sample_part_data(part),
       "part %d: its preview copy is not in place\n", part);

  const Pixels first = shown(view, Pixels());
  ok(lines(first) > 300, "the opening picture has %d line pixels\n", lines(first));
  std::vector<std::string> seen = {first.bgrx};
  Pixels now = first;
  for (int turns = 1; turns <= 12; ++turns) {
    turn(view);
    now = shown(view, now);
    ok(turns > 7 || std::find(seen.begin(), seen.end(), now.bgrx) == seen.end(),
       "turn %d shows a picture seen before\n", turns);
    seen.push_back(now.bgrx);
  }
  ok(now.bgrx == first.bgrx, "twelve turns do not come back to the opening picture\n");

  click(view, IDC_PREVIEW_BACKGROUND);
  const Pixels other_background = shown(view, now);
  ok(checked(view, IDC_PREVIEW_BACKGROUND) && other_background.at(0, 0) != first.at(0, 0) &&
         lines(other_background) > 300,
     "背景色 does not change the background\n");
  turn(view), turn(view);
  now = shown(view, other_background);
  select_row(view, IDC_DELETED_PARTS, 0);
  const Pixels deleted_part = shown(view, now);
  ok(lines(deleted_part) > 300 && deleted_part.at(0, 0) == other_background.at(0, 0),
     "part 1010 not drawn on the chosen background\n");
  turn(view);
  now = shown(view, deleted_part);
  select_row(view, IDC_ADDED_PARTS, 0);
  ok(shown(view, now).bgrx == other_background.bgrx,
     "choosing 1001 again does not start it at the opening angle\n");

  press_escape(program);
  pause_ms(300);
  ok(IsWindow(view) != 0, "Escape closes the preview\n");
  post_click(view, IDOK);
  ok(closes(view), "了 解 does not close\n");
  // The earlier run's RE file is gone, 1002 back as it stood.
  opening.erase(part_folder(1002) + kSaved1002);
  same_state(store_state(folder), opening, "了 解");
  close_with(&program, IDOK);
}

TEST(an_unready_preview_replaces_nothing_and_an_install_meanwhile_stays) {
  Folder folder("preview_unready");
  // 3001's preview copy, 3002's older part file, and 3003 neither.
  if (!lay_out(folder) ||
      !ok(put_older_part(folder, 3002) &&
              write_file(work_file(folder, "VIEW", 3001), sample::sample_part_data(3001)),
          "cannot store part 3002\n"))
    return;
  std::map<std::string, std::string> opening = store_state(folder);
  Program program;
  if (!open_sample_list(&program, folder, sample::kHomeMaker)) return;
  post_click(program.dialog, IDC_PREVIEW);
  expect_box(program, "ﾌﾟﾚﾋﾞｭｰ", kNotReady);
  ok(!wait_dialog_with(program.pid(), IDC_PREVIEW_ROTATE, 500), "the preview opened\n");
  same_state(store_state(folder), opening, "the preview not ready");

  // Every copy there, 3004's told apart from the server's part data, which
  // 追加 installs slowly, while the preview is open.
  DeleteFileA(part_file(folder, 3002).c_str());
  opening = store_state(folder);
  for (int32_t part : kHomeParts)
    write_file(work_file(folder, "VIEW", part),
               sample::sample_part_data(part == 3004 ? 1001 : part));
  const char k3004[] = "/newdownload/k-val/HDPARTS/PARTS001/P0003004.BHN";
  write_file(server_path("DLTEST_RULES"),
             std::string("{\"") + k3004 + "\": {\"chunk_size\": 600, \"pause_ms\": 1500}}");
  post_click(program.dialog, IDC_ADD);
  expect_box(program, "追加", kAddDone);
  HWND view = open_preview(program);
  if (!view) return;
  ok(count_with(logged_paths(), k3004) == 0 &&
         read_file(part_file(folder, 3004)) == sample::sample_part_data(1001),
     "3004 arrived before the preview opened, or its copy is not in place\n");
  ok(wait_until(20000, [&] { return installed(folder, {3004}); }),
     "3004 not installed while the preview is open\n");
  post_click(view, IDOK);
  closes(view);
  ok(installed(folder, kHomeAndReferenced), "了 解 does not leave the parts installed\n");
  close_with(&program, IDCANCEL);
  same_state(store_state(folder), opening, "中止");
}

TEST(the_figure_list_window_renames_and_cancel_takes_it_back) {
  Folder folder("figure_list");
  Program program;
  if (!lay_out(folder) || !open_dialog(&program, folder)) return;
  const std::string opening = read_file(folder.file("HDINI\\VGZLST0.INI"));
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
  ok(read_file(folder.file("HDINI\\VGZLST0.INI")) != opening, "the rename is not written\n");
  post_click(list, figure::kCloseButton);
  ok(wait_until(kWaitMs, [&] { return !IsWindow(list) && IsWindowEnabled(program.dialog); }),
     "the figure list window does not close\n");
  rows[1] = "勝手口ドア W800";
  rows_are(program.dialog, IDC_FIGURES, rows, "after 表示");
  close_with(&program, IDCANCEL);
  ok(read_file(folder.file("HDINI\\VGZLST0.INI")) == opening, "中止 keeps the rename\n");
}

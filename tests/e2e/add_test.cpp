// 追加 against the stand-in server holding the sample catalogue
// (tools/sample_catalogue.h), as only the real program shows it: the
// question "DLUPDATE" as it reads for present and registered parts; the
// progress dialog and the status line when downloads fail; the figures
// entered on screen and the parts installed by the real worker and archive
// DLL, which 了解 keeps on disk. Which parts are asked for, fetched and
// entered is checked natively (tests/unit/run_test.cpp).
#include "resources/resource.h"
#include "tests/e2e/cases.h"
#include "tools/sample_catalogue.h"

using namespace gui;

namespace {

// "DLUPDATE" for the figure in registration state 0 (registered) or -1
// (present), answered with the button `id`.
void answer_question(const Program& program, const std::string& figure, int state, int id) {
  const std::string expected =
      figure + (state == 0 ? " は既にリスト登録されています。\n" : " は部品が存在します。\n") +
      "部品データをダウンロードして上書きしますか？\n";
  HWND box = wait_dialog_with(program.pid(), IDC_OVERWRITE_TEXT);
  ok(box && text(box) == "部品ダウンロード" && item_text(box, IDC_OVERWRITE_TEXT) == expected,
     "question for %s reads \"%s\"\n", readable(figure).c_str(),
     box ? readable(item_text(box, IDC_OVERWRITE_TEXT)).c_str() : "<none>");
  if (!box) return;
  post_click(box, id);
  closes(box);
}

}  // namespace

TEST(the_overwrite_question_for_present_and_registered_parts) {
  Folder folder("add_question");
  if (!lay_out(folder) || !ok(put_older_part(folder, 4001) && put_older_part(folder, 4002),
                              "cannot store parts 4001 and 4002\n"))
    return;
  Program program;
  if (!open_sample_list(&program, folder, sample::kLightingMaker)) return;
  HWND dialog = program.dialog;
  const std::string kDownlight = "ダウンライト φ100", kCeiling = "シーリングライト";
  std::vector<std::string> rows = list_rows(dialog, IDC_FIGURES);

  // Present parts: はい, then すべて上書き for the rest; the server's data
  // replaces theirs.
  post_click(dialog, IDC_ADD);
  answer_question(program, kDownlight, -1, IDC_OVERWRITE_YES);
  answer_question(program, kCeiling, -1, IDC_OVERWRITE_ALL);
  expect_box(program, "追加", kAddDone);
  rows[3] = kDownlight, rows[4] = kCeiling, rows[5] = "ブラケット";
  rows_are(dialog, IDC_FIGURES, rows, "three figures after three");
  ok(wait_until(kWaitMs,
                [&] {
                  return installed(folder, {4001, 4002});
                }),
     "the present parts not replaced by the server's\n");

  // Registered parts: 中止 at once leaves nothing done and no message.
  post_click(dialog, IDC_ADD);
  answer_question(program, kDownlight, 0, IDCANCEL);
  ok(!wait_message_box(program.pid(), 1000), "a message after 中止\n");
  rows_are(dialog, IDC_FIGURES, rows, "registered parts not entered again");
  close_with(&program, IDOK);
}

TEST(an_add_tells_of_failed_downloads_and_ok_keeps_what_came) {
  Folder folder("add_failures");
  Program program;
  if (!lay_out(folder) || !open_sample_list(&program, folder, sample::kHomeMaker)) return;
  HWND dialog = program.dialog;
  const std::map<std::string, std::string> opening = store_state(folder);
  const std::vector<std::string> rows = list_rows(dialog, IDC_FIGURES);
  // The archive cut short on every attempt: fetched behind the progress
  // dialog with the main dialog usable, then the failure in the status line.
  set_rules("{\"/newdownload/K-VAL/HDPARTS/TRBHN.LZH\": {\"cut_after\": 100}}");
  post_click(dialog, IDC_ADD);
  HWND progress = nullptr;
  wait_until(kWaitMs, [&] { return (progress = progress_dialog(program)) != nullptr; });
  ok(progress && item_text(progress, IDC_STATUS) == "部品管理ファイルをダウンロードしてます。" &&
         IsWindowEnabled(dialog),
     "the archive is fetched behind the progress dialog, the main dialog usable\n");
  ok(wait_until(20000,
                [&] {
                  return !progress_dialog(program) &&
                         item_text(dialog, IDC_STATUS) ==
                             "部品管理ファイルのダウンロードを失敗しました。";
                }),
     "status %s\n", readable(item_text(dialog, IDC_STATUS)).c_str());
  rows_are(dialog, IDC_FIGURES, rows, "no add without the archive");

  // The archive comes; part 3004 breaks off on every attempt and fails
  // after the Add's message has gone, the other parts are installed.
  set_rules("{\"" + part_remote(3004) + "\": {\"cut_after\": 10}}");
  post_click(dialog, IDC_ADD);
  expect_box(program, "追加", kAddDone);
  rows_are(dialog, IDC_FIGURES, with_home_rows(rows), "five figures after three");
  ok(wait_until(20000,
                [&] {
                  return item_text(dialog, IDC_STATUS) ==
                         "部品のダウンロードを失敗しました。(3004)";
                }),
     "status %s\n", readable(item_text(dialog, IDC_STATUS)).c_str());
  const std::vector<int32_t> came = {3001, 3002, 3003, 5000, 6000, 7002};
  ok(wait_until(kWaitMs, [&] { return installed(folder, came); }) &&
         !file_exists(part_file(folder, 3004)) &&
         !file_exists(work_file(folder, store::WorkFile::Downloaded, 3004)),
     "the other parts not installed, or 3004 installed or left in HDTMP\\\n");

  close_with(&program, IDOK);
  const std::map<std::string, std::string> kept = store_state(folder);
  ok(kept.at("HDINI\\VGZLST0.INI") != opening.at("HDINI\\VGZLST0.INI") &&
         kept.at("HDPARTS\\TRBHN.DAT") != opening.at("HDPARTS\\TRBHN.DAT") &&
         installed(folder, came) && part_files(folder).size() == came.size(),
     "了解 does not keep the figures, the parts index and the parts\n");
  work_folder_empty(folder, "了解");
}

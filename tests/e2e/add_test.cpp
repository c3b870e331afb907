// 追加 against the stand-in server holding the sample catalogue
// (tools/sample_catalogue.h): the parts archive fetched for the first Add,
// the figures entered into the selected item, the part data and the parts
// they refer to installed, the parts index merged; 了解 keeping it all,
// 中止 and 初期化 bringing back the store; the question "DLUPDATE"; failed
// downloads of the archive and of parts.
#include <cstdio>

#include "platform/byte_fields.h"
#include "resources/resource.h"
#include "store/classification.h"
#include "store/parts_index.h"
#include "tests/e2e/cases.h"
#include "tools/sample_catalogue.h"

using namespace gui;

namespace {

const char kChooseItem[] = "ダウンロード先の分類項目を指定して部品の追加、削除をして下さい。";
const char kArchiveFailed[] = "部品管理ファイルのダウンロードを失敗しました。";
const char kArchive[] = "/newdownload/K-VAL/HDPARTS/TRBHN.LZH";

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

// The local index holding the server's records of `parts` alone, at the
// server's places and with their subgroup entries, as merging them into an
// empty index leaves it.
std::string merged_index(const std::vector<int32_t>& parts) {
  const std::vector<uint8_t> server = sample::sample_parts_index();
  std::string local(store::kPartsIndexSize, '\0');
  for (int32_t part : parts) {
    store::RecordPosition at;
    if (!store::find_part_record(server.data(), part, &at)) continue;
    uint32_t sub = store::subgroup_offset(at.group, at.subgroup),
             record = store::record_offset(at.group, at.subgroup, at.slot);
    local.replace(sub, store::kGroupEntrySize, reinterpret_cast<const char*>(&server[sub]),
                  store::kGroupEntrySize);
    local.replace(record, store::kPartRecordSize, reinterpret_cast<const char*>(&server[record]),
                  store::kPartRecordSize);
  }
  return local;
}

// The 3DCAD file with the five figures of みらい住設 in slots 3-7 of
// 建具/玄関ドア, the rest as it was.
std::string with_home_figures(std::string file) {
  for (int k = 0; k < 5; ++k) {
    uint32_t entry = store::figure_entry_offset(0, 0, sample::kUsedSlotsOfFirstItem + k);
    plat::put_u16(reinterpret_cast<uint8_t*>(&file[entry + 2]),
                  static_cast<uint16_t>(sample::kHomeParts[k]));
    std::string name = sample::kHomeFigureNames[k];
    file.replace(entry + 8, name.size() + 1, name.c_str(), name.size() + 1);
  }
  return file;
}

}  // namespace

TEST(a_first_add_fills_the_item_and_installs_the_parts_with_their_references) {
  Folder folder("add_first");
  Program program;
  if (!lay_out(folder) || !open_sample_list(&program, folder, sample::kHomeMaker)) return;
  HWND dialog = program.dialog;
  const std::string opening_3dcad = read_file(folder.file("HDINI\\VGZLST0.INI"));
  const std::vector<std::string> opening_rows = list_rows(dialog, IDC_FIGURES);
  add_home_parts(program, folder);
  rows_are(dialog, IDC_FIGURES, with_home_rows(opening_rows), "five figures after three");
  ok(list_selection(dialog, IDC_FIGURES) == 7, "row %d selected\n",
     list_selection(dialog, IDC_FIGURES));
  status_reads(dialog, kChooseItem);
  pause_ms(1000);  // a request repeated by the cycle would come now
  std::vector<std::string> paths = logged_paths();
  ok(count_with(paths, kArchive) == 1, "archive fetched %d times\n",
     static_cast<int>(count_with(paths, kArchive)));
  for (int32_t part : kHomeAndReferenced)
    ok(count_with(paths, part_remote(part)) == 1, "part %d requested %d times\n", part,
       static_cast<int>(count_with(paths, part_remote(part))));
  ok(count_with(paths, "/P0070000.BHN") == 0 && paths.size() == 1 + kHomeAndReferenced.size() + 1,
     "%d requests: today's list, the archive, seven parts\n", static_cast<int>(paths.size()));
  ok(part_files(folder).size() == kHomeAndReferenced.size(), "%d part files in the store\n",
     static_cast<int>(part_files(folder).size()));
  ok(read_file(folder.file("HDPARTS\\TRBHN.DAT")) == merged_index(kHomeAndReferenced),
     "the parts index holds other than the seven parts' records\n");

  close_with(&program, IDOK);
  ok(read_file(folder.file("HDINI\\VGZLST0.INI")) == with_home_figures(opening_3dcad),
     "了解 keeps the figures, and nothing else changed\n");
  ok(installed(folder, kHomeAndReferenced) &&
         read_file(folder.file("HDPARTS\\TRBHN.DAT")) == merged_index(kHomeAndReferenced),
     "了解 keeps the parts and the index\n");
  work_folder_empty(folder, "了解");
}

TEST(cancel_and_initialise_bring_back_the_store_of_the_opening) {
  Folder folder("add_rollback");
  if (!lay_out(folder) || !ok(put_older_part(folder, 6000), "cannot store part 6000\n")) return;
  const std::map<std::string, std::string> opening = store_state(folder);
  for (const char* how : {"中止", "初期化"}) {
    Program program;
    if (!open_sample_list(&program, folder, sample::kHomeMaker)) return;
    const std::vector<std::string> opening_rows = list_rows(program.dialog, IDC_FIGURES);
    ok(add_home_parts(program, folder) && file_exists(work_file(folder, "DELBH", 6000)),
       "%s: the older 6000 not saved aside\n", readable(how).c_str());
    if (std::string(how) == "中止") {
      close_with(&program, IDCANCEL);
    } else {
      click(program.dialog, IDC_INITIALISE);
      same_state(store_state(folder), opening, "初期化");
      rows_are(program.dialog, IDC_FIGURES, opening_rows, "初期化 shows the figures again");
      close_with(&program, IDOK);
    }
    same_state(store_state(folder), opening, how);
    work_folder_empty(folder, how);
  }
}

TEST(the_overwrite_question_for_present_and_registered_parts) {
  Folder folder("add_question");
  if (!lay_out(folder) || !ok(put_older_part(folder, 4001) && put_older_part(folder, 4002),
                              "cannot store parts 4001 and 4002\n"))
    return;
  Program program;
  if (!open_sample_list(&program, folder, sample::kLightingMaker)) return;
  HWND dialog = program.dialog;
  const std::string kDownlight = "ダウンライト φ100", kCeiling = "シーリングライト",
                    kBracket = "ブラケット";
  std::vector<std::string> rows = list_rows(dialog, IDC_FIGURES);

  // Present parts declined, then 中止: nothing done, no message.
  post_click(dialog, IDC_ADD);
  answer_question(program, kDownlight, -1, IDC_OVERWRITE_NO);
  answer_question(program, kCeiling, -1, IDCANCEL);
  ok(!wait_message_box(program.pid(), 1000), "a message after every part was declined\n");
  rows_are(dialog, IDC_FIGURES, rows, "nothing entered");

  // はい and すべて上書き enter the present parts; the new one follows
  // without a question. Its data is an error page: not installed, no message.
  post_click(dialog, IDC_ADD);
  answer_question(program, kDownlight, -1, IDC_OVERWRITE_YES);
  answer_question(program, kCeiling, -1, IDC_OVERWRITE_ALL);
  expect_box(program, "追加", kAddDone);
  rows[3] = kDownlight, rows[4] = kCeiling, rows[5] = kBracket;
  rows_are(dialog, IDC_FIGURES, rows, "three figures after three");
  ok(wait_until(kWaitMs,
                [&] {
                  return installed(folder, {4001, 4002});
                }),
     "the present parts not replaced by the server's\n");
  ok(wait_until(kWaitMs, [&] { return count_with(logged_paths(), part_remote(4003)) == 1; }),
     "the error page not fetched\n");
  ok(!wait_message_box(program.pid(), 1000), "a message for the error page\n");
  ok(!file_exists(part_file(folder, 4003)) && !file_exists(work_file(folder, "BH", 4003)),
     "the error page installed or left in HDTMP\\\n");

  // Registered parts: はい, いいえ, then 中止 on the third; the run did
  // something, so it says so; no figure is entered twice.
  post_click(dialog, IDC_ADD);
  answer_question(program, kDownlight, 0, IDC_OVERWRITE_YES);
  answer_question(program, kCeiling, 0, IDC_OVERWRITE_NO);
  answer_question(program, kBracket, 0, IDCANCEL);
  expect_box(program, "追加", kAddDone);
  // すべて上書き answers the rest of the run.
  post_click(dialog, IDC_ADD);
  answer_question(program, kDownlight, 0, IDC_OVERWRITE_ALL);
  expect_box(program, "追加", kAddDone);
  ok(!wait_dialog_with(program.pid(), IDC_OVERWRITE_TEXT, 500), "asked again after すべて上書き\n");
  rows_are(dialog, IDC_FIGURES, rows, "registered parts not entered again");
  close_with(&program, IDOK);
}

TEST(failed_downloads_of_the_archive_and_of_a_part) {
  Folder folder("add_failures");
  Program program;
  if (!lay_out(folder) || !open_sample_list(&program, folder, sample::kHomeMaker)) return;
  HWND dialog = program.dialog;
  const std::string rules = server_path("DLTEST_RULES");
  const std::vector<std::string> rows = list_rows(dialog, IDC_FIGURES);
  // Cut short (retried, so the progress dialog is seen), 404, 500: each
  // Add fetches the archive again.
  for (const char* fault : {"{\"cut_after\": 100}", "{\"status\": 404}", "{\"status\": 500}"}) {
    write_file(rules, std::string("{\"") + kArchive + "\": " + fault + "}");
    pause_ms(100);
    size_t before = count_with(logged_paths(), kArchive);
    post_click(dialog, IDC_ADD);
    if (before == 0) {
      HWND progress = nullptr;
      wait_until(kWaitMs, [&] { return (progress = progress_dialog(program)) != nullptr; });
      ok(progress &&
             item_text(progress, IDC_STATUS) == "部品管理ファイルをダウンロードしてます。" &&
             IsWindowEnabled(dialog),
         "the archive is fetched behind the progress dialog, the main dialog usable\n");
    }
    // The status line reads the same after the last round: the request and
    // the closed progress dialog tell this round's end.
    ok(wait_until(20000,
                  [&] {
                    return count_with(logged_paths(), kArchive) > before &&
                           !progress_dialog(program) &&
                           item_text(dialog, IDC_STATUS) == kArchiveFailed;
                  }),
       "%s: status %s, progress dialog %s\n", fault,
       readable(item_text(dialog, IDC_STATUS)).c_str(),
       progress_dialog(program) ? "open" : "closed");
    ok(!file_exists(folder.file("HDTMP\\TRBHN.DAT")), "%s: an index unpacked\n", fault);
  }
  rows_are(dialog, IDC_FIGURES, rows, "no add without the archive");

  // The archive comes; part 3004 breaks off on every attempt and fails
  // after the Add's message has gone.
  write_file(rules, "{\"" + part_remote(3004) + "\": {\"cut_after\": 10}}");
  pause_ms(100);
  post_click(dialog, IDC_ADD);
  expect_box(program, "追加", kAddDone);
  rows_are(dialog, IDC_FIGURES, with_home_rows(rows), "entered whatever their data does");
  wait_until(20000,
             [&] { return item_text(dialog, IDC_STATUS).find("(3004)") != std::string::npos; });
  status_reads(dialog, "部品のダウンロードを失敗しました。(3004)");
  // Reports come in the order of the requests: those after 3004's waited
  // for it, and 6000 is asked for when 5000 arrives.
  ok(wait_until(kWaitMs,
                [&] {
                  return installed(folder, {3001, 3002, 3003, 5000, 6000, 7002});
                }) &&
         !file_exists(part_file(folder, 3004)) && !file_exists(work_file(folder, "BH", 3004)),
     "the other parts installed, 3004 neither installed nor left\n");
  close_with(&program, IDOK);
}

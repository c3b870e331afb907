// 削除 against the sample library after 追加 of みらい住設's parts
// (tools/sample_catalogue.h), as only the real program shows it: its four
// messages, the cleared figures on screen, and the part files on disk,
// saved aside as DELBH until 了解 drops them or 中止 puts them back. Which
// entries, records and files a Delete takes, also in the run that installed
// them, is checked natively (tests/unit/run_test.cpp).
#include "resources/resource.h"
#include "tests/e2e/cases.h"
#include "tools/sample_catalogue.h"

using namespace gui;

namespace {

const char kCaption[] = "削除";
const char kNoDeletedEntries[] =
    "ダウンロードリストの削除部品リストが存在しません。リストのあるメーカーを選択して下さい。";
const char kDataOnlyDeleted[] = "本体部品のみ削除しました。";
const char kDeleteDone[] = "部品リストの削除が終了しました。";

// The delete list's entries of みらい住設 clear 3001, 3002, 3004 and 5000;
// flag 2 takes the part files of all but 3001 out.
const std::vector<int32_t> kKept = {3001, 3003, 6000, 7002}, kTaken = {3002, 3004, 5000};

// The figure list of 建具/玄関ドア after 追加 and the Delete: four of the
// five new figures cleared.
std::vector<std::string> cleared_rows(const std::vector<std::string>& rows) {
  std::vector<std::string> after = with_home_rows(rows);
  for (int slot : {3, 4, 6, 7})
    if (slot < static_cast<int>(after.size())) after[slot] = "   ";
  return after;
}

// Part files: `kept` there, `gone` not.
void store_holds(const Folder& folder, const std::vector<int32_t>& kept,
                 const std::vector<int32_t>& gone, const char* when) {
  for (int32_t part : kept) ok(file_exists(part_file(folder, part)), "%s: %d gone\n", when, part);
  for (int32_t part : gone) ok(!file_exists(part_file(folder, part)), "%s: %d there\n", when, part);
}

std::string saved_aside(const Folder& folder, int32_t part) {
  return work_file(folder, store::WorkFile::SavedPrevious, part);
}

}  // namespace

// A first run adds みらい住設's parts and keeps them. In a later run the
// Delete clears their figures and saves their part files aside, and 中止
// puts everything back; in the next, 了解 drops them.
TEST(delete_saves_the_part_files_aside_until_closing) {
  Folder folder("delete");
  if (!lay_out(folder)) return;
  {
    Program first;
    if (!open_sample_list(&first, folder, sample::kHomeMaker) || !add_home_parts(first, folder))
      return;
    close_with(&first, IDOK);
  }
  const std::map<std::string, std::string> opening = store_state(folder);
  for (int button : {IDCANCEL, IDOK}) {
    const char* how = button == IDOK ? "了解" : "中止";
    Program program;
    if (!open_sample_list(&program, folder, sample::kHomeMaker)) return;
    HWND dialog = program.dialog;
    const std::vector<std::string> rows = list_rows(dialog, IDC_FIGURES);
    if (button == IDCANCEL) {
      // The sample list: みらい住設's deleted parts are nowhere here,
      // さくら照明 deletes none.
      post_click(dialog, IDC_DELETE);
      expect_box(program, kCaption, "ダウンロードリストの削除部品は存在しません。");
      select_maker(dialog, sample::kLightingMaker);
      post_click(dialog, IDC_DELETE);
      expect_box(program, kCaption, kNoDeletedEntries);
    }
    if (!import_list(program, sample::kDeleteListName, 3, sample::kHomeMaker)) return;
    post_click(dialog, IDC_DELETE);
    expect_box(program, kCaption, kDeleteDone);
    rows_are(dialog, IDC_FIGURES, cleared_rows(rows), how);
    store_holds(folder, kKept, kTaken, how);
    for (int32_t part : kTaken)
      ok(read_file(saved_aside(folder, part)) == sample::sample_part_data(part),
         "%s: part %d not saved aside\n", readable(how).c_str(), part);
    if (button == IDCANCEL) {
      // Parts no figure carries: their data alone.
      select_maker(dialog, sample::kHomeRelatedMaker);
      post_click(dialog, IDC_DELETE);
      expect_box(program, kCaption, kDataOnlyDeleted);
      store_holds(folder, {3001, 3003}, {6000, 7002}, "data only");
    }
    close_with(&program, button);
    work_folder_empty(folder, how);
    if (button == IDCANCEL) same_state(store_state(folder), opening, how);
  }
  store_holds(folder, kKept, kTaken, "after 了解");
  ok(part_files(folder).size() == kKept.size(), "%d part files after 了解\n",
     static_cast<int>(part_files(folder).size()));
}

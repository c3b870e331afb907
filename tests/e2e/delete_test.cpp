// 削除 against the sample library after 追加 of みらい住設's parts
// (tools/sample_catalogue.h): the delete list's entries clear the figures
// that carry their parts, flag 2 takes the part file and its index record
// out as well; in the run that installed a part its file is deleted, in a
// later run it is saved aside as DELBH until 了解 drops it or 中止 puts it
// back. The three messages, and the place the lists end at.
#include <cstring>

#include "resources/resource.h"
#include "store/classification.h"
#include "store/parts_index.h"
#include "tests/e2e/cases.h"
#include "tools/sample_catalogue.h"

using namespace gui;

namespace {

const char kCaption[] = "削除";
const char kChooseItem[] = "ダウンロード先の分類項目を指定して部品の追加、削除をして下さい。";
const char kNoDeletedEntries[] =
    "ダウンロードリストの削除部品リストが存在しません。リストのあるメーカーを選択して下さい。";
const char kNothingToDelete[] = "ダウンロードリストの削除部品は存在しません。";
const char kDataOnlyDeleted[] = "本体部品のみ削除しました。";
const char kDeleteDone[] = "部品リストの削除が終了しました。";
const char kBlank[] = "   ";  // how the figure list shows an empty slot

// Where 追加 puts みらい住設's figures: 建具/玄関ドア, slots 3-7 in list
// order; the delete list clears 3001, 5000, 3004 and 3002 last.
const int kSlot3001 = 3, kSlot3002 = 4, kSlot3004 = 6, kSlot5000 = 7;

struct Place {
  int m, c, f;
};
const std::vector<Place> kHomePlaces = {
    {0, 0, kSlot3001}, {0, 0, kSlot3002}, {0, 0, kSlot3004}, {0, 0, kSlot5000}};
const Place kSecondPlaceOf3002 = {1, 2, 1};  // 住設機器/洗面, after its one figure

std::string classification(const Folder& folder) {
  return read_file(folder.file("HDINI\\VGZLST0.INI"));
}

std::string cleared(std::string file, const std::vector<Place>& places) {
  for (const Place& at : places)
    file.replace(store::figure_entry_offset(at.m, at.c, at.f), store::kFigureEntrySize,
                 store::kFigureEntrySize, '\0');
  return file;
}

bool has_record(const Folder& folder, int32_t part) {
  std::string index = read_file(folder.file("HDPARTS\\TRBHN.DAT"));
  store::RecordPosition at;
  return index.size() == store::kPartsIndexSize &&
         store::find_part_record(reinterpret_cast<const uint8_t*>(index.data()), part, &at);
}

// Part files and index records: `kept` there, `gone` neither.
void store_holds(const Folder& folder, const std::vector<int32_t>& kept,
                 const std::vector<int32_t>& gone, const char* when) {
  for (int32_t part : kept)
    ok(file_exists(part_file(folder, part)) && has_record(folder, part),
       "%s: part %d or its record gone\n", when, part);
  for (int32_t part : gone)
    ok(!file_exists(part_file(folder, part)) && !has_record(folder, part),
       "%s: part %d or its record still there\n", when, part);
}

std::string saved_aside(const Folder& folder, int32_t part) {
  return work_file(folder, "DELBH", part);
}

// The figure list of 建具/玄関ドア after 追加, its cleared slots blank.
std::vector<std::string> home_rows(std::vector<std::string> rows, const std::vector<int>& blank) {
  rows = with_home_rows(rows);
  for (int slot : blank)
    if (slot < static_cast<int>(rows.size())) rows[slot] = kBlank;
  return rows;
}

void lists_at(HWND dialog, const Place& at, const char* when) {
  ok(list_selection(dialog, IDC_MAJOR_ITEMS) == at.m &&
         list_selection(dialog, IDC_CLASS_ITEMS) == at.c &&
         list_selection(dialog, IDC_FIGURES) == at.f,
     "%s: rows %d, %d, %d selected\n", when, list_selection(dialog, IDC_MAJOR_ITEMS),
     list_selection(dialog, IDC_CLASS_ITEMS), list_selection(dialog, IDC_FIGURES));
}

}  // namespace

TEST(delete_after_an_add_in_the_same_run) {
  Folder folder("delete_same_run");
  Program program;
  // An older 6000 in the store, which the Add saves aside and replaces.
  if (!lay_out(folder) || !ok(put_older_part(folder, 6000), "cannot store part 6000\n")) return;
  const std::map<std::string, std::string> opening = store_state(folder);
  if (!open_sample_list(&program, folder, sample::kHomeMaker)) return;
  HWND dialog = program.dialog;
  const std::vector<std::string> rows = list_rows(dialog, IDC_FIGURES);

  // The sample list: みらい住設's deleted parts are nowhere here, さくら照明
  // deletes none.
  post_click(dialog, IDC_DELETE);
  expect_box(program, kCaption, kNothingToDelete);
  select_maker(dialog, sample::kLightingMaker);
  post_click(dialog, IDC_DELETE);
  expect_box(program, kCaption, kNoDeletedEntries);
  rows_are(dialog, IDC_FIGURES, rows, "nothing deleted");
  status_reads(dialog, kChooseItem);

  select_maker(dialog, sample::kHomeMaker);
  if (!add_home_parts(program, folder)) return;
  const std::string added = classification(folder);
  if (!import_list(program, sample::kDeleteListName, 3, sample::kHomeMaker)) return;

  // The lists stand at the last cleared place, 3002's slot, with " " in
  // its row, until the message has been answered.
  post_click(dialog, IDC_DELETE);
  HWND box = box_reads(program, kCaption, kDeleteDone);
  std::vector<std::string> during = home_rows(rows, {kSlot3001, kSlot3004, kSlot5000});
  during[kSlot3002] = " ";
  rows_are(dialog, IDC_FIGURES, during, "while the message is shown");
  lists_at(dialog, {0, 0, kSlot3002}, "while the message is shown");
  dismiss(box);
  rows_are(dialog, IDC_FIGURES, home_rows(rows, {kSlot3001, kSlot3002, kSlot3004, kSlot5000}),
           "after the message");
  lists_at(dialog, {0, 0, kSlot3002}, "after the message");
  status_reads(dialog, kChooseItem);
  ok(classification(folder) == cleared(added, kHomePlaces),
     "the four figures are not cleared, or more changed\n");
  // Installed in this run: the part files go, nothing is saved aside.
  store_holds(folder, {3001, 3003, 6000, 7002}, {3002, 3004, 5000}, "みらい住設");
  ok(installed(folder, {3001}) && !file_exists(saved_aside(folder, 3002)) &&
         !file_exists(saved_aside(folder, 3004)) && !file_exists(saved_aside(folder, 5000)),
     "3001 changed, or a part file saved aside\n");

  // Parts no figure carries: their data alone. 6000's copy from before the
  // run stays what 中止 puts back.
  select_maker(dialog, sample::kHomeRelatedMaker);
  post_click(dialog, IDC_DELETE);
  expect_box(program, kCaption, kDataOnlyDeleted);
  store_holds(folder, {3001, 3003}, {6000, 7002}, "data only");
  ok(read_file(saved_aside(folder, 6000)) == kOlderPartData &&
         !file_exists(saved_aside(folder, 7002)),
     "the copy of 6000 from before the run replaced, or 7002 saved aside\n");
  lists_at(dialog, {0, 0, kSlot3002}, "data only");
  // 70000 is out of range: as if the maker deleted nothing.
  select_maker(dialog, sample::kLightingMaker);
  post_click(dialog, IDC_DELETE);
  expect_box(program, kCaption, kNoDeletedEntries);

  close_with(&program, IDCANCEL);
  same_state(store_state(folder), opening, "中止");
  work_folder_empty(folder, "中止");
}

TEST(delete_in_later_runs_saves_the_part_files_aside_until_closing) {
  Folder folder("delete_later_run");
  if (!lay_out(folder)) return;
  {
    Program first;
    if (!open_sample_list(&first, folder, sample::kHomeMaker) || !add_home_parts(first, folder))
      return;
    close_with(&first, IDOK);
  }
  // 3002 also in 住設機器/洗面, after the figure there.
  std::string file = classification(folder);
  const Place& second = kSecondPlaceOf3002;
  file.replace(store::figure_entry_offset(second.m, second.c, second.f), store::kFigureEntrySize,
               file, store::figure_entry_offset(0, 0, kSlot3002), store::kFigureEntrySize);
  write_file(folder.file("HDINI\\VGZLST0.INI"), file);
  const std::map<std::string, std::string> opening = store_state(folder);
  std::vector<Place> places = kHomePlaces;
  places.push_back(second);
  std::vector<std::string> washroom(store::kFigureSlots, kBlank);
  washroom[0] = "洗面化粧台 W750";

  for (const char* how : {"中止", "了解"}) {
    Program program;
    if (!open_dialog(&program, folder) ||
        !import_list(program, sample::kDeleteListName, 3, sample::kHomeMaker))
      return;
    HWND dialog = program.dialog;
    const bool cancel = std::strcmp(how, "中止") == 0;
    // Another program holds 5000 open: its file and record stay.
    HANDLE held = cancel ? CreateFileA(part_file(folder, 5000).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                         : INVALID_HANDLE_VALUE;
    post_click(dialog, IDC_DELETE);
    HWND box = box_reads(program, kCaption, kDeleteDone);
    washroom[second.f] = " ";
    rows_are(dialog, IDC_FIGURES, washroom, "3002's later place while the message is shown");
    lists_at(dialog, second, "while the message is shown");
    dismiss(box);
    washroom[second.f] = kBlank;
    rows_are(dialog, IDC_FIGURES, washroom, "3002's later place after the message");
    lists_at(dialog, second, "after the message");
    ok(classification(folder) == cleared(opening.at("HDINI\\VGZLST0.INI"), places),
       "%s: the five figures are not cleared, or more changed\n", readable(how).c_str());
    std::vector<int32_t> moved = {3002, 3004};
    if (held != INVALID_HANDLE_VALUE) {
      status_reads(dialog, "部品ファイルを削除できませんでした。(5000)");
      store_holds(folder, {3001, 3003, 5000}, moved, "5000 held open");
      ok(!file_exists(saved_aside(folder, 5000)), "5000 saved aside while held open\n");
      CloseHandle(held);
    } else {
      status_reads(dialog, kChooseItem);
      moved.push_back(5000);
      store_holds(folder, {3001, 3003}, moved, how);
    }
    for (int32_t part : moved)
      ok(read_file(saved_aside(folder, part)) == sample::sample_part_data(part),
         "%s: part %d not saved aside\n", readable(how).c_str(), part);
    ok(!file_exists(saved_aside(folder, 3001)), "3001 (flag 1) saved aside\n");

    if (cancel) {
      select_maker(dialog, sample::kHomeRelatedMaker);
      post_click(dialog, IDC_DELETE);
      expect_box(program, kCaption, kDataOnlyDeleted);
      ok(read_file(saved_aside(folder, 6000)) == sample::sample_part_data(6000) &&
             read_file(saved_aside(folder, 7002)) == sample::sample_part_data(7002),
         "6000 and 7002 not saved aside\n");
      lists_at(dialog, second, "data only");
    }
    close_with(&program, cancel ? IDCANCEL : IDOK);
    work_folder_empty(folder, how);
    if (cancel) same_state(store_state(folder), opening, how);
  }
  ok(classification(folder) == cleared(opening.at("HDINI\\VGZLST0.INI"), places),
     "了解 does not keep the cleared figures\n");
  store_holds(folder, {3001, 3003, 6000, 7002}, {3002, 3004, 5000}, "after 了解");
  ok(part_files(folder).size() == 4, "%d part files after 了解\n",
     static_cast<int>(part_files(folder).size()));
}

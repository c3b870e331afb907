// 削除: the selected maker's deleted parts out of the current destination.
// Every figure entry carrying such a part is cleared wherever it stands;
// an entry marked to lose its data too (flag 2) takes the part file out of
// the store (saved as DELBH for 中止) and then its record out of the index.
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "catalogue/list_file.h"
#include "flow/figure_area.h"
#include "flow/run.h"
#include "flow/texts.h"
#include "platform/files.h"
#include "store/classification.h"
#include "store/install_journal.h"
#include "store/part_files.h"

namespace flow {
namespace {

const char kDeleteCaption[] = "削除";
const char kNoDeletedEntries[] =
    "ダウンロードリストの削除部品リストが存在しません。リストのあるメーカーを選択して下さい。";
const char kNothingToDelete[] = "ダウンロードリストの削除部品は存在しません。";
const char kDataOnlyDeleted[] = "本体部品のみ削除しました。";
const char kDeleteDone[] = "部品リストの削除が終了しました。";
const char kPartFileKept[] = "部品ファイルを削除できませんでした。(%d)";

enum class DeleteEnd { Deleted, Nothing, NotRead, NotWritten };

// What the run has found so far: 0 no deleted entry, 1 nothing to delete
// yet, 2 something deleted.
struct DeleteRun {
  Run* run;
  FigureArea area;
  int state = 0;
  bool cleared = false;
  int kept_part = 0;  // a part file that could not be taken out
};

// Takes the part file out of the store: saved as DELBH on the part's first
// change in the run, deleted when the run changed it before (the saved
// copy holds the version from before the run). Its index record goes only
// with the file, so the store never lists a part it lacks, nor keeps a
// file whose record is gone.
void take_out_part_file(DeleteRun* del, int32_t part) {
  Run* run = del->run;
  const char* dir = run->program_directory.c_str();
  std::string stored = store::part_file_path(dir, store::PartFileVariant::Current, part);
  int64_t size;
  if (store::part_file_size(stored.c_str(), &size) == 1) del->state = 2;
  bool gone = !plat::file_exists(stored.c_str());
  store::RecoveryLog* log = &run->journal.log;
  if (!gone && run->journal.changed.count(part)) {
    gone = store::log_change(log, store::LoggedChange::PartChanged, part, 0) &&
           plat::delete_file(stored.c_str());
  } else if (!gone && store::log_change(log, store::LoggedChange::PartSaved, part, 0)) {
    std::string saved = store::work_file_path(dir, store::WorkFile::SavedPrevious, part);
    gone = plat::move_file(stored.c_str(), saved.c_str()) ||
           (plat::delete_file(saved.c_str()) && plat::move_file(stored.c_str(), saved.c_str()));
    if (gone) store::record_in_journal(&run->journal, store::JournalAction::SavedPrevious, part);
  }
  if (gone)
    store::remove_part_record(&run->index, part);
  else
    del->kept_part = part;
}

DeleteEnd delete_run(DeleteRun* del) {
  Run* run = del->run;
  if (!read_figure_area(*run, &del->area)) return DeleteEnd::NotRead;
  // Where each part stands, in file order: one walk of the figure area for
  // the whole run.
  std::unordered_map<uint16_t, std::vector<int>> places;
  for (int m = 0; m < store::kMajorItems; ++m)
    for (int c = 0; c < store::kClassItems; ++c)
      for (int f = 0; f < store::kFigureSlots; ++f)
        if (uint16_t part = figure_part(del->area, m, c, f))
          places[part].push_back((m * store::kClassItems + c) * store::kFigureSlots + f);

  std::vector<catalogue::ListEntry> entries;
  catalogue::read_maker_entries(run->current_list_file, run->maker_name, &entries);
  int last_place = -1;
  store::begin_index_changes(&run->index);
  for (const catalogue::ListEntry& entry : entries) {
    if (entry.part_number == 0 || entry.flag == catalogue::kAdded) continue;
    // The figure entry holds 16 bits: a number outside the downloadable
    // range would name another part.
    if (entry.part_number < store::kFirstPartNumber || entry.part_number > store::kLastPartNumber)
      continue;
    if (del->state != 2) del->state = 1;
    run->view->show_wait_cursor(true);
    if (entry.flag == catalogue::kDeletedWithData) take_out_part_file(del, entry.part_number);
    auto found = places.find(static_cast<uint16_t>(entry.part_number));
    if (found != places.end()) {
      for (int place : found->second) {
        int f = place % store::kFigureSlots, c = place / store::kFigureSlots % store::kClassItems,
            m = place / store::kFigureSlots / store::kClassItems;
        std::memset(figure_entry(&del->area, m, c, f), 0, store::kFigureEntrySize);
        last_place = place;
      }
      places.erase(found);
      del->state = 2;
      del->cleared = true;
    }
    run->view->show_wait_cursor(false);
  }
  store::end_index_changes(&run->index);
  bool written = write_figure_area(*run, del->area);
  if (del->cleared) {
    // The last cleared place, shown and selected.
    run->figure_entry = last_place % store::kFigureSlots;
    run->class_item = last_place / store::kFigureSlots % store::kClassItems;
    run->major_item = last_place / store::kFigureSlots / store::kClassItems;
    refill_category_lists(run);
    run->view->show_figure_row(run->figure_entry, " ");
  } else {
    run->nothing_registered = 1;
  }
  if (!written) return DeleteEnd::NotWritten;
  if (del->state == 2) return DeleteEnd::Deleted;
  run->view->tell(del->state == 0 ? kNoDeletedEntries : kNothingToDelete, kDeleteCaption);
  return DeleteEnd::Nothing;
}

}  // namespace

void delete_parts(Run* run) {
  if (!run->maker_selected) return;
  run->nothing_registered = 0;
  DeleteRun del;
  del.run = run;
  DeleteEnd end = delete_run(&del);
  if (end == DeleteEnd::Deleted)
    run->view->tell(run->nothing_registered ? kDataOnlyDeleted : kDeleteDone, kDeleteCaption);
  char kept[96];
  std::snprintf(kept, sizeof kept, kPartFileKept, del.kept_part);
  run->view->show_status(end == DeleteEnd::NotWritten ? kStatusFigureFileNotWritten
                         : del.kept_part              ? kept
                                                      : kStatusChooseDestination);
  refill_category_lists(run);
}

}  // namespace flow

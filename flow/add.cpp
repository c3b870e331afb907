// 追加: the selected maker's added parts into the selected classification
// item of the current destination. The figure area is read once, changed
// in memory and written back whole at the end; each part's data is asked
// for as it is registered and installed when its report comes.
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "catalogue/list_file.h"
#include "download/download.h"
#include "flow/figure_area.h"
#include "flow/install.h"
#include "flow/run.h"
#include "flow/texts.h"
#include "platform/byte_fields.h"
#include "platform/files.h"
#include "store/classification.h"
#include "store/part_files.h"
#include "suite/data_path.h"

namespace flow {
namespace {

const char kAddCaption[] = "追加";
const char kArchiveDownloading[] = "部品管理ファイルをダウンロードしてます。";
const char kArchiveFailed[] = "部品管理ファイルのダウンロードを失敗しました。";
const char kNoAddedParts[] =
    "ダウンロードリストの追加部品リストが存在しません。リストのあるメーカーを選択して下さい。";
const char kFittingsDone[] = "建具部品のダウンロードが完了しました。";
const char kAddDone[] = "部品リストの追加が終了しました。";
const char kItemFull[] = "項目に入りきれません。別の分類項目を指定して追加ボタンを押して下さい。";
const char kNoArchiveLibrary[] =
    "UNLHA32.DLL が読み込めないため、部品管理ファイルを展開できませんでした。\n"
    "UNLHA32.DLL をこのプログラムのフォルダーに置いてから、もう一度追加して下さい。";
const char kArchiveRemote[] = "/K-VAL/HDPARTS\\TRBHN.LZH";
const char kArchiveName[] = "TRBHN.LZH";

// Kinds of fittings (建具), which the 3DCAD destination does not list.
bool is_fittings_kind(int kind) {
  return kind == 8 || kind == 9 || kind == 10 || kind == 56 || kind == 57 || kind == 61;
}

enum class AddEnd { Done, Nothing, NotRead, NotWritten };

// One add run: the figure area and what the run has seen.
struct AddRun {
  Run* run;
  FigureArea area;
  std::unordered_set<uint32_t> entered;  // part number fields of the figure area
  bool overwrite_all = false;
  bool registered = false;
};

bool read_area(AddRun* add) {
  if (!read_figure_area(*add->run, &add->area)) return false;
  for (int m = 0; m < store::kMajorItems; ++m)
    for (int c = 0; c < store::kClassItems; ++c)
      for (int f = 0; f < store::kFigureSlots; ++f)
        add->entered.insert(figure_part(add->area, m, c, f));
  return true;
}

// 0 registered somewhere in the destination, -1 its part file is there, 1 new.
int registration_state(const AddRun& add, int32_t part) {
  if (add.entered.count(static_cast<uint32_t>(part))) return 0;
  std::string path = store::part_file_path(add.run->program_directory.c_str(),
                                           store::PartFileVariant::Current, part);
  int64_t size;
  return store::part_file_size(path.c_str(), &size) == 1 ? -1 : 1;
}

// Into the first free slot of the selected item, and its data asked for;
// fittings under 3DCAD only get their data. False when no slot is free.
bool register_part(AddRun* add, const catalogue::ListEntry& entry) {
  Run* run = add->run;
  int slot = 0;
  while (slot < store::kFigureSlots &&
         figure_part(add->area, run->major_item, run->class_item, slot) != 0)
    ++slot;
  if (slot == store::kFigureSlots) return false;
  if (run->destination_code != 0 || !is_fittings_kind(entry.kind)) {
    add->registered = true;
    uint8_t* field = figure_entry(&add->area, run->major_item, run->class_item, slot);
    plat::put_u16(field + 2, static_cast<uint16_t>(entry.part_number));
    size_t name_length = strnlen(entry.figure_name, store::kNameBytes - 1);
    std::memcpy(field + 8, entry.figure_name, name_length);
    field[8 + name_length] = '\0';
    add->entered.insert(static_cast<uint32_t>(entry.part_number));
    run->view->show_figure_row(slot, name_length ? std::string(entry.figure_name) : "   ");
  }
  request_part_data(run, entry.part_number, false);
  return true;
}

AddEnd add_parts(Run* run) {
  AddRun add;
  add.run = run;
  if (!read_area(&add)) return AddEnd::NotRead;
  std::vector<catalogue::ListEntry> entries;
  catalogue::read_maker_entries(run->current_list_file, run->maker_name, &entries);
  int handled = 0, declined = 0;
  store::begin_index_changes(&run->index);
  for (const catalogue::ListEntry& entry : entries) {
    if (entry.part_number == 0 || entry.flag != catalogue::kAdded) continue;
    // The figure entry holds 16 bits: a number outside the downloadable
    // range would name another part.
    if (entry.part_number < store::kFirstPartNumber || entry.part_number > store::kLastPartNumber)
      continue;
    ++handled;
    int state = registration_state(add, entry.part_number);
    if (state == 1) {
      run->view->show_wait_cursor(true);
      bool placed = register_part(&add, entry);
      run->view->show_wait_cursor(false);
      run->view->show_status(placed ? kStatusChooseDestination : kItemFull);
      if (!placed) break;
      continue;
    }
    int answer = add.overwrite_all ? 1 : run->view->confirm_overwrite(entry.figure_name, state);
    if (answer == 3 || answer == -1) {
      ++declined;
      if (answer == -1) break;
      continue;
    }
    if (answer == 2) add.overwrite_all = true;
    add.registered = true;
    if (state == -1)
      register_part(&add, entry);
    else
      request_part_data(run, entry.part_number, false);
  }
  store::end_index_changes(&run->index);
  if (declined == handled && handled == 0) run->view->tell(kNoAddedParts, kAddCaption);
  if (!add.registered) run->nothing_registered = 1;
  if (!write_figure_area(*run, add.area)) return AddEnd::NotWritten;
  return declined == handled ? AddEnd::Nothing : AddEnd::Done;
}

// The add and what the main dialog shows after it.
void run_add(Run* run) {
  run->nothing_registered = 0;
  AddEnd end = add_parts(run);
  if (end == AddEnd::Done)
    run->view->tell(run->nothing_registered ? kFittingsDone : kAddDone, kAddCaption);
  run->view->show_status(end == AddEnd::NotWritten ? kStatusFigureFileNotWritten
                                                   : kStatusChooseDestination);
}

std::string work_path(Run* run, const char* name) {
  return suite::data_path(run->program_directory.c_str(), suite::kWorkFolder, name);
}

}  // namespace

void add(Run* run) {
  if (!run->maker_selected) return;
  run->nothing_registered = 0;
  if (plat::file_exists(work_path(run, store::kPartsIndexName).c_str())) {
    run_add(run);
    return;
  }
  // The downloaded parts index comes from the parts archive: the Add
  // carries on when it arrives. One archive download at a time.
  if (run->archive_pending) return;
  // The user asks again after a failed download: fetch it again.
  run->downloader->forget_recent(kArchiveRemote);
  if (!send_request(run, kArchiveRemote, work_path(run, kArchiveName), DL_TAG_ARCHIVE, 0)) {
    run->view->show_status(kArchiveFailed);
    return;
  }
  run->archive_pending = true;
  run->view->open_progress();
  run->view->show_progress(kArchiveDownloading);
}

void on_archive_report(Run* run, bool done) {
  run->archive_pending = false;
  if (!done) {
    run->view->show_status(kArchiveFailed);
    run->view->close_progress();
    return;
  }
  run->view->close_progress();
  char command[1000];
  std::snprintf(command, sizeof command, "e -n \"%s\" \"%s\"", work_path(run, kArchiveName).c_str(),
                work_path(run, "").c_str());
  if (!run->archive || !run->archive->unlha(command)) {
    run->view->tell(kNoArchiveLibrary, kAddCaption);
    return;
  }
  if (!run->maker_selected) return;
  run_add(run);
}

}  // namespace flow

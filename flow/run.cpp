#include "flow/run.h"

#include <cstring>

#include <cstdio>

#include "catalogue/list_file.h"
#include "download/download.h"
#include "download/received_file.h"
#include "platform/files.h"
#include "suite/data_path.h"
#include "flow/destinations.h"
#include "flow/install.h"
#include "flow/list_walk.h"
#include "flow/texts.h"
#include "store/backups.h"
#include "store/classification.h"
#include "store/install_journal.h"
#include "store/part_files.h"

namespace flow {

const char kStatusChooseDestination[] =
    "ダウンロード先の分類項目を指定して部品の追加、削除をして下さい。";
const char kStatusFigureFileNotWritten[] =
    "分類ファイルに書き込めないため、この操作の変更は保存されていません。";

namespace {

const char kStatusDownloadingLists[] = "部品リストファイルをダウンロード中です。";
const char kRestoreFailed[] =
    "元に戻せなかったファイルがあります。\n"
    "部品データを使っているプログラムを終了してから、もう一度実行して下さい。";
const char kListFileNameRefused[] =
    "指定されたリストファイルの名前が正しくありません。(pvnbhn_lst年月日.dat)";
const char kRecoveryCaption[] = "部品データの復元";
const char kRecovered[] =
    "前回の部品ダウンロードが途中で終了していたため、部品データを開始前の状態に戻しました。\n"
    "(分類ファイル %d 個、部品管理ファイル %d 個、部品ファイル %d 個)";
const char kRecoveryIncomplete[] =
    "前回の部品ダウンロードが途中で終了していましたが、元に戻せなかったファイルがあります。\n"
    "部品データを使っているプログラムを終了してから、もう一度起動して下さい。";
const char kInitialiseCaption[] = "初期化";
const char kCancelCaption[] = "中止";

// Shows one category list. When the destination's file cannot be opened
// the list keeps its rows and only the selection moves.
void show_category_list(Run* run, int level) {
  const int selected = level == 1   ? run->major_item
                       : level == 2 ? run->class_item
                                    : run->figure_entry;
  std::vector<std::string> rows;
  bool read = store::read_category_rows(run->program_directory.c_str(), run->destination_code,
                                        level, run->major_item, run->class_item, &rows) == 1;
  run->view->show_category_list(level, read ? &rows : nullptr, selected);
}

void show_all_category_lists(Run* run) {
  for (int level = 1; level <= 3; ++level) show_category_list(run, level);
}

// The classification files and the parts index from their copies, then
// every part file the run changed.
bool bring_back_opening_state(Run* run) {
  const char* dir = run->program_directory.c_str();
  bool all = store::restore_preview_files(dir, &run->preview_set);
  all &= store::restore_backups(dir);
  return store::roll_back_part_files(dir, run->journal) && all;
}

void copy_maker_name(Run* run, const std::string& maker) {
  size_t take = maker.size() < kMakerNameSize - 1 ? maker.size() : kMakerNameSize - 1;
  std::memcpy(run->maker_name, maker.data(), take);
  run->maker_name[take] = '\0';
}

void delete_matching_files(const std::string& folder, const char* pattern) {
  std::vector<std::string> names;
  plat::list_files((folder + pattern).c_str(), &names);
  for (const std::string& name : names) plat::delete_file((folder + name).c_str());
}

// Every part's work file, and what downloads cut short left in the
// worker's folder.
void delete_download_work_files(const char* program_directory) {
  store::delete_work_files(program_directory);
  delete_matching_files(
      std::string(program_directory) + suite::kWorkFolder + download::kWorkFolderName, "*.new");
}

// A run that died leaves its journal: the library goes back to that run's
// opening before anything else happens, and the user is told. False when
// something could not be brought back; the journal then stays.
bool recover_earlier_run(View* view, const char* program_directory) {
  store::Recovered what;
  store::Recovery recovery = store::recover_unfinished_run(program_directory, &what);
  if (recovery == store::Recovery::kNothing) return true;
  if (recovery == store::Recovery::kIncomplete) {
    view->tell(kRecoveryIncomplete, kRecoveryCaption);
    return false;
  }
  // What the dead run had downloaded goes as at the end of a run, its list
  // files and an unpacking cut short too; the journal last, so that a death
  // before it clears them at the next start.
  delete_download_work_files(program_directory);
  const std::string work = std::string(program_directory) + suite::kWorkFolder;
  delete_matching_files(work, "pvnbhn_lst*.dat");
  delete_matching_files(work, "~unlha*.tmp");
  if (!store::delete_recovery_log(program_directory)) {
    view->tell(kRecoveryIncomplete, kRecoveryCaption);
    return false;
  }
  char text[256];
  std::snprintf(text, sizeof text, kRecovered, what.classification_files, what.parts_index,
                what.part_files);
  view->tell(text, kRecoveryCaption);
  return true;
}

}  // namespace

bool open_run(Run* run, View* view, Downloader* downloader, const char* program_directory,
              const char* list_file_argument, ArchiveLibrary* archive) {
  *run = Run();
  if (!recover_earlier_run(view, program_directory)) return false;
  run->view = view;
  run->downloader = downloader;
  run->archive = archive;
  run->program_directory = program_directory;
  run->index.program_directory = program_directory;
  view->show_status(kStatusDownloadingLists);
  run->destination_code = destination_code_for_index(0, run->destination_code);
  show_all_category_lists(run);
  if (std::strlen(list_file_argument) < sizeof run->current_list_file)
    std::strcpy(run->current_list_file, list_file_argument);
  run->list_download_mode = 0;
  if (!run->current_list_file[0] || !adopt_command_line_list(run)) {
    // A name that gives no date cannot be adopted; the walk finds the
    // lists instead, and the status line says why.
    if (run->current_list_file[0]) {
      run->walk_notice = kListFileNameRefused;
      view->show_status(kListFileNameRefused);
    }
    run->current_list_file[0] = '\0';
    run->list_download_mode = 1;
    start_list_walk(run);
    view->set_enabled(false);
    view->open_progress();
  }
  store::take_backups(program_directory);
  store::open_recovery_log(&run->journal.log, program_directory);
  return true;
}

void on_download_report(Run* run, bool done, uint32_t tag_word, int32_t value) {
  switch (tag_word & 0xFFFF) {
    case DL_TAG_LIST:
      on_list_report(run, done, value, (tag_word & DL_FAILED_UNREACHABLE) != 0);
      break;
    case DL_TAG_PART:
    case DL_TAG_VIEW: on_part_report(run, done, (tag_word & 0xFFFF) == DL_TAG_VIEW, value); break;
    case DL_TAG_ARCHIVE: on_archive_report(run, done); break;
  }
}

void refill_category_lists(Run* run) {
  run->view->clear_category_lists();
  show_all_category_lists(run);
}

void choose_destination(Run* run, int index) {
  run->destination_code = destination_code_for_index(index, run->destination_code);
  run->major_item = run->class_item = run->figure_entry = 0;
  run->view->clear_category_lists();
  show_all_category_lists(run);
}

void choose_major_item(Run* run, int row) {
  if (row < 0 || row >= store::kMajorItems || row == run->major_item) return;
  run->major_item = row;
  run->class_item = run->figure_entry = 0;
  show_category_list(run, 2);
  show_category_list(run, 3);
}

void choose_class_item(Run* run, int row) {
  if (row < 0 || row >= store::kClassItems || row == run->class_item) return;
  run->class_item = row;
  run->figure_entry = 0;
  show_category_list(run, 3);
}

bool adopt_list_file(Run* run, const char* path) {
  if (std::strlen(path) >= sizeof run->current_list_file) return false;
  // The list selection hands back the run's own current list file.
  if (path != run->current_list_file) std::strcpy(run->current_list_file, path);
  run->view->show_caption(catalogue::list_caption(path));
  std::vector<std::string> makers;
  catalogue::read_maker_names(path, &makers);
  run->view->show_makers(makers);
  choose_maker(run, makers.empty() ? std::string() : makers[0]);
  run->maker_selected = !makers.empty();
  run->view->show_status(kStatusChooseDestination);
  return true;
}

void choose_maker(Run* run, const std::string& maker) {
  copy_maker_name(run, maker);
  run->maker_selected = true;
  catalogue::PartRows rows;
  catalogue::read_part_rows(run->current_list_file, maker.c_str(), false, &rows);
  run->view->show_part_lists(rows.added, rows.deleted);
}

void initialise(Run* run) {
  run->registrations_undone.insert(run->registrations_on_the_way.begin(),
                                   run->registrations_on_the_way.end());
  run->registration_via_view.clear();
  if (!bring_back_opening_state(run)) run->view->tell(kRestoreFailed, kInitialiseCaption);
  show_all_category_lists(run);
}

bool cancel(Run* run) {
  if (bring_back_opening_state(run)) return true;
  run->view->tell(kRestoreFailed, kCancelCaption);
  return false;
}

void close_run(Run* run) {
  // A part file the preview could not put back is tried once more. Then the
  // journal goes: from here on the run has ended, and the copies and work
  // files it names are no longer needed.
  store::restore_preview_files(run->program_directory.c_str(), &run->preview_set);
  store::close_recovery_log(&run->journal.log);
  const char* dir = run->program_directory.c_str();
  store::delete_backups(dir);
  delete_download_work_files(dir);
  if (run->list_download_mode == 1) delete_walk_list_files(run);
}

}  // namespace flow

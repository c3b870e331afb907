// One working run of the main dialog: the state it keeps between commands,
// and every step from opening to closing. The main dialog translates its
// messages and controls into the calls below and shows what the run hands
// to its View; nothing here knows a window or a control.
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "store/install_journal.h"
#include "store/parts_index.h"
#include "store/preview_files.h"

namespace flow {

// What a run shows. The main dialog implements it over its controls; the
// tests record it.
class View {
 public:
  // Category list of a level (1 major items, 2 classification items,
  // 3 figures): the rows, or keep the rows it has when rows is null; then
  // the selected row.
  virtual void show_category_list(int level, const std::vector<std::string>* rows,
                                  int selected) = 0;
  virtual void clear_category_lists() = 0;
  virtual void show_caption(const std::string& caption) = 0;
  virtual void show_status(const char* text) = 0;
  // The makers of the list file, the first of them selected.
  virtual void show_makers(const std::vector<std::string>& makers) = 0;
  virtual void show_part_lists(const std::vector<std::string>& added,
                               const std::vector<std::string>& deleted) = 0;
  // A message box with an OK button.
  virtual void tell(const char* text, const char* caption) = 0;
  // The main dialog taking input or not, while the list walk runs.
  virtual void set_enabled(bool enabled) = 0;
  // The progress dialog "DOWNLOAD" (one at a time) and the text of its
  // static 209.
  virtual void open_progress() = 0;
  virtual void close_progress() = 0;
  virtual void show_progress(const char* text) = 0;
  // Row `row` of the figure list replaced by `name`, and selected.
  virtual void show_figure_row(int row, const std::string& name) = 0;
  // The confirmation dialog "DLUPDATE", modal, for a part registered
  // (state 0) or present in the store (state -1): 1 はい, 2 すべて上書き,
  // 3 いいえ, -1 中止.
  virtual int confirm_overwrite(const char* figure_name, int state) = 0;
  // The wait cursor while a part is registered or installed; off brings the
  // previous cursor back.
  virtual void show_wait_cursor(bool on) = 0;
  // The list selection dialog "SELST", modal: it calls list_selection_lines
  // when it opens and choose_listed_file on 了解. Its result: 1 when a list
  // file was chosen, 0 when there was nothing to choose.
  virtual int run_list_selection() = 0;

 protected:
  ~View() = default;
};

// Where a run sends its download requests: the program's download worker,
// or a fake in the tests.
class Downloader {
 public:
  enum Handed {
    kQueued,         // queued: its report will come
    kAlreadyQueued,  // dropped: the same remote path waits with its own tag and value
    kRecentlyDone,   // dropped: the same remote path finished a short while ago
    kNoRoom,         // the queue is full for now: offer it again after a report
    kRefused,        // never to be queued (a path too long for the worker)
  };
  // Queues `remote` (backslashes are sent as slashes) to be written to
  // `local`, with the tag and value its report will carry.
  virtual Handed request(const char* remote, const char* local, int32_t tag, int32_t value) = 0;
  // Takes `remote` out of the worker's list of recently finished requests,
  // so that a request the user repeats is fetched again.
  virtual void forget_recent(const char* remote) = 0;

 protected:
  ~Downloader() = default;
};

// The archive library UNLHA32.DLL, loaded by the main dialog.
class ArchiveLibrary {
 public:
  // Calls its entry "Unlha" with the command. False when the library or
  // that entry is not there.
  virtual bool unlha(const char* command) = 0;

 protected:
  ~ArchiveLibrary() = default;
};

// The figure drawing library FIGDRAW.dll, over the preview dialog's
// drawing area.
class FigureLibrary {
 public:
  virtual void begin(uint16_t part, int background) = 0;  // gmtg_oglini
  virtual void load(uint16_t part, int background) = 0;   // gmtg_zkimset
  virtual void draw(int angle, int background) = 0;       // gmtg_zkidrw
  virtual void end() = 0;                                 // gmtg_oglend

 protected:
  ~FigureLibrary() = default;
};

// What the preview dialog "ZkiView" shows.
struct Preview {
  std::vector<std::string> added, deleted;  // "%6d  %s" rows of the maker's parts
  int first_list = 0;                       // 405 or 406: where the first row is selected
  int32_t part = 0;                         // the part drawn
  int angle = 180;                          // degrees
  int background = 1;
};

constexpr int kListFilePathSize = 260;
constexpr int kMakerNameSize = 40;

// A request the worker had no room for yet.
struct WaitingRequest {
  std::string remote, local;
  int32_t tag, value;
};

enum class WalkState {
  None,      // no walk in this run (a list file came on the command line)
  Running,   // the main dialog waits for LASTDATE's report
  Complete,  // every day down to LASTDATE was checked
  Cut,       // ended early: by the user, or the server could not be reached
};

struct Run {
  View* view;
  Downloader* downloader;
  ArchiveLibrary* archive;
  std::string program_directory;              // with its trailing backslash
  char current_list_file[kListFilePathSize];  // empty without one
  int list_download_mode;                     // 1 while the list walk is to run
  int downloaded_list_count;
  int destination_code;
  int major_item;    // row of the major item list
  int class_item;    // row of the classification item list
  int figure_entry;  // row of the figure list
  char maker_name[kMakerNameSize];
  bool maker_selected;  // a row of the maker list is selected
  int nothing_registered;
  WalkState walk;
  std::string walk_last_day;  // LASTDATE as the walk's last report shows it
  std::string walk_notice;    // kept in the status line while the walk runs
  // Requests in the order they were made, waiting for room in the worker's
  // queue: no request is lost to a full queue.
  std::deque<WaitingRequest> waiting;
  store::PartsIndexStore index;
  // Every change of a part file in this run, for 中止/初期化 and the
  // clean-up at closing.
  store::InstallJournal journal;
  bool archive_pending;  // the parts archive is on its way
  // Parts requested in this run, for registration [0] and for preview [1]:
  // a part referred to again (a reference cycle) is not asked for twice.
  std::set<int32_t> requested[2];
  // Registration requests the worker dropped because a preview download of
  // the same part was queued: the preview's file is installed when it comes.
  std::set<int32_t> registration_via_view;
  // Registrations queued or waiting for room, until their reports.
  std::set<int32_t> registrations_on_the_way;
  // Parts whose preview file arrived in this run.
  std::set<int32_t> view_arrived;
  // Registrations on their way when 初期化 brought back the opening: their
  // data is not installed, unless the part is asked for again meanwhile.
  std::set<int32_t> registrations_undone;
  // The part files standing replaced by preview copies while the preview
  // dialog is open.
  store::PreviewSet preview_set;
};

// Opening: destination 3DCAD with its category lists, the guidance in the
// status line; then the command-line list file is adopted (the list
// selection opens at once), or the list walk starts behind the progress
// dialog with the main dialog disabled; last the safety copies of the
// suite's files are taken and the run's journal is started. Before all
// that, a run that died is rolled back to its opening and the user told;
// false, with nothing else done, when that could not be finished: the
// dialog then ends.
bool open_run(Run* run, View* view, Downloader* downloader, const char* program_directory,
              const char* list_file_argument, ArchiveLibrary* archive = nullptr);

// A report of the download worker: WM_DL_DONE (done) or WM_DL_FAILED with
// the request's tag in the low 16 bits of `tag_word`, and its value.
void on_download_report(Run* run, bool done, uint32_t tag_word, int32_t value);
// WM_DL_PENDING: the worker has room again for waiting requests.
void on_download_pending(Run* run);

// A destination radio button, by index 0-4: its category lists from the top.
void choose_destination(Run* run, int index);
// Rows chosen in the major item and classification item lists.
void choose_major_item(Run* run, int row);
void choose_class_item(Run* run, int row);

// A list file chosen (text import or list selection) becomes the current
// list file, and its caption, makers and first maker's parts are shown.
// False, with nothing changed, for a path that does not fit.
bool adopt_list_file(Run* run, const char* path);
// The maker list's selection: that maker's added and deleted parts.
void choose_maker(Run* run, const std::string& maker);

// 追加 (Add) for the selected maker into the selected classification item:
// first the parts archive when the downloaded parts index is missing (the
// Add then runs when it arrives), else the add itself and its message box.
void add(Run* run);

// 削除 (Delete) for the selected maker in the current destination: its
// message box, then the lists refilled at the last cleared place.
void delete_parts(Run* run);
// The three category lists emptied and filled again at the run's
// selections.
void refill_category_lists(Run* run);

// ﾌﾟﾚﾋﾞｭｰ for the selected maker: its parts in two lists, the first one
// chosen, and the preview copies standing in for the part files. False,
// after the message box and with every part file back, when a part has no
// data yet; the dialog then closes without drawing.
bool open_preview(Run* run, Preview* preview, FigureLibrary* library);
// A row of either list chosen: its part, from 180 degrees.
void preview_choose_row(Preview* preview, FigureLibrary* library, const std::string& row);
// 回 転: 30 degrees on. 背景色: the other background.
void preview_rotate(Preview* preview, FigureLibrary* library);
void preview_toggle_background(Preview* preview, FigureLibrary* library);
// A repaint of the dialog: the figure drawn again as it stands.
void preview_paint(const Preview& preview, FigureLibrary* library);
// 了 解: the part files put back.
void close_preview(Run* run, FigureLibrary* library);

// 初期化: the suite's files as they were at opening, and the lists again;
// the data of registrations still on their way is no longer installed.
// A file that could not be brought back is told in a message box.
void initialise(Run* run);
// 中止: the suite's files as they were at opening. True when the dialog may
// close; false, with the safety copies kept and the user told, when a file
// could not be brought back, so that 中止 can be tried again.
bool cancel(Run* run);
// 了解 and the end of 中止: the safety copies and work files go, and after a
// walk the list files it received.
void close_run(Run* run);

// リスト選択 (and the end of the walk): the list selection dialog; the
// chosen list is shown, or the status line says there is none.
void choose_list(Run* run);
// The way out of a long walk from the progress dialog: the walk ends with
// what has arrived so far.
void stop_list_walk(Run* run);

// The list selection dialog's steps. Opening: false when there is nothing
// to choose (DATSUU missing or 0); else the titles of the walk's list files
// newest first and the line of the current list file (0 when none is). It
// moves LASTDATE to the oldest of them, unless the walk was cut short and
// older days were never checked.
bool list_selection_lines(Run* run, std::vector<std::string>* titles, int* selected);
// 了解 on a line: that file becomes the current list file and the preview
// data of every part it names is requested.
void choose_listed_file(Run* run, int line);

// Sends a request now, or keeps it until the worker has room, behind those
// already waiting. Every request of a run goes through here. False when
// it will not be reported: refused, or dropped for the same remote path
// queued or finished recently.
bool send_request(Run* run, const std::string& remote, const std::string& local, int32_t tag,
                  int32_t value);
// A part's data from the server, for registration (merged into the parts
// index at once) or for preview. False for a part number outside
// 1001-60000, a registration already on its way or a preview copy already
// there.
bool request_part_data(Run* run, int32_t part, bool preview);
// Preview data for every key of every maker section of a list file.
void request_list_previews(Run* run, const char* list_file);

}  // namespace flow

// One working run of the main dialog: the state it keeps between commands,
// and every step from opening to closing. The main dialog translates its
// messages and controls into the calls below and shows what the run hands
// to its View; nothing here knows a window or a control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

 protected:
  ~View() = default;
};

// Where a run sends its download requests: the program's download worker,
// or a fake in the tests.
class Downloader {
 public:
  // Queues `remote` to be written to `local`; false when it could not be
  // queued.
  virtual bool request(const char* remote, const char* local, int32_t tag, int32_t value) = 0;

 protected:
  ~Downloader() = default;
};

constexpr int kListFilePathSize = 260;
constexpr int kMakerNameSize = 40;

struct Run {
  View* view;
  Downloader* downloader;
  std::string program_directory;            // with its trailing backslash
  char current_list_file[kListFilePathSize];  // empty without one
  int list_download_mode;                   // 1 while the list walk is to run
  int downloaded_list_count;
  int destination_code;
  int major_item;    // row of the major item list
  int class_item;    // row of the classification item list
  int figure_entry;  // row of the figure list
  char maker_name[kMakerNameSize];
  int nothing_registered;
};

// Opening: destination 3DCAD with its category lists, the guidance in the
// status line, the command-line list file as current list file (a walk is
// due without one), and the safety copies of the suite's files.
void open_run(Run* run, View* view, Downloader* downloader, const char* program_directory,
              const char* list_file_argument);

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

// 初期化: the suite's files as they were at opening, and the lists again.
// A file that could not be brought back is told in a message box.
void initialise(Run* run);
// 中止: the suite's files as they were at opening. True when the dialog may
// close; false, with the safety copies kept and the user told, when a file
// could not be brought back, so that 中止 can be tried again.
bool cancel(Run* run);
// 了解 and the end of 中止: the safety copies and work files go.
void close_run(Run* run);

}  // namespace flow

// What the end-to-end cases share: opening and closing the program with
// checks, list rows compared, message boxes read, the stand-in server's
// catalogue and rules, the classification files of both layouts, and the
// sample library with its parts store.
#pragma once

#include <cstdint>
#include <map>

#include "store/part_files.h"
#include "tests/support/classification_files.h"
#include "tests/support/ok.h"
#include "tools/gui_driver/gui_driver_win.h"

bool open_dialog(gui::Program* program, const gui::Folder& folder);  // started, dialog shown
void close_with(gui::Program* program, int button);  // pressed; the program ends with 0
// The rows of list `id` are exactly `expected`; `what` names the situation.
bool rows_are(HWND dialog, int id, const std::vector<std::string>& expected, const char* what);

// The server's environment (tests/download/with_server.sh): DLTEST_ROOT,
// DLTEST_RULES, DLTEST_LOG, http_proxy; with `relative` appended.
std::string server_path(const char* variable, const std::string& relative = "");
// A file of the server's catalogue, by its path under the server root.
bool serve(const std::string& relative, const std::string& bytes);
// The server's fault rules replaced, and in force once this returns.
void set_rules(const std::string& rules);
// The names of the files matching a pattern such as "C:\\x\\HDTMP\\VIEW*".
std::vector<std::string> files_matching(const std::string& pattern);

// A message box of the program with this caption and text, answered and
// gone; false, reported, when another or none came.
bool expect_box(const gui::Program& program, const char* caption, const char* expected,
                DWORD timeout_ms = 20000);
void dismiss(HWND box);  // answered, and gone
// The window has gone within kWaitMs.
bool closes(HWND window);
// A visible dialog of the program with this title, or null after the time-out.
HWND wait_titled(const gui::Program& program, const char* title, DWORD timeout_ms = gui::kWaitMs);

// LASTDATE `days_ago` days back: the next walk asks for the days after it.
bool set_last_date(const gui::Folder& folder, int days_ago);
// The sample library (tools/sample_catalogue.h) in the folder and its
// catalogue on the server; the walk asks for today alone, which has no list.
bool lay_out(const gui::Folder& folder);
// テキスト読込 of a list file of HDPARTS\LST\ with `makers` makers, and the
// maker selected.
bool import_list(const gui::Program& program, const char* name, size_t makers, const char* maker);
bool select_maker(HWND dialog, const char* maker);  // false, reported, when not listed
// The program opened and the sample list imported.
bool open_sample_list(gui::Program* program, const gui::Folder& folder, const char* maker);
// The program opened after a walk that finds the catalogue's lists
// (LASTDATE set 30 days back), the newest chosen: it names every maker and
// its parts' preview data is on its way.
bool open_newest_list(gui::Program* program, const gui::Folder& folder);
// The progress dialog "DOWNLOAD" when it is shown.
HWND progress_dialog(const gui::Program& program);

extern const char kAddDone[];  // the message of a finished 追加
// 追加 of the selected maker (みらい住設) answered, and its five new parts
// and those they refer to installed.
bool add_home_parts(const gui::Program& program, const gui::Folder& folder);
// A figure list of 建具/玄関ドア with みらい住設's five figures where 追加
// puts them, in slots 3-7.
std::vector<std::string> with_home_rows(std::vector<std::string> rows);

// The store's own paths (store/part_files.h) in the folder, and on the server.
std::string part_file(const gui::Folder& folder, int32_t part);
std::string work_file(const gui::Folder& folder, store::WorkFile kind, int32_t part);
std::string part_remote(int32_t part);
// An older part file in the store, before the program starts.
bool put_older_part(const gui::Folder& folder, int32_t part);
// Each part file holds the server's data of the part.
bool installed(const gui::Folder& folder, const std::vector<int32_t>& parts);
std::vector<std::string> part_files(const gui::Folder& folder);  // relative paths
// Everything 中止 and 初期化 answer for: classification files, parts index,
// part files.
std::map<std::string, std::string> store_state(const gui::Folder& folder);
// `now` holds the files of `opening` with their bytes and no others.
void same_state(const std::map<std::string, std::string>& now,
                const std::map<std::string, std::string>& opening, const char* how);
// HDTMP\ holds nothing once the dialog closed: no safety copy, archive,
// DELBH, VIEW or BH work file, nor a transfer's file in HDTMP\~partsdl\.
void work_folder_empty(const gui::Folder& folder, const char* how);

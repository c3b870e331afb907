// What the end-to-end cases share: opening and closing the program with
// checks, list rows compared, the stand-in server's catalogue and request
// log, and the classification files of both layouts.
#pragma once

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
// The request log's paths, in the order the server answered them.
std::vector<std::string> logged_paths();
size_t count_with(const std::vector<std::string>& paths, const std::string& part);
// The names of the files matching a pattern such as "C:\\x\\HDTMP\\VIEW*".
std::vector<std::string> files_matching(const std::string& pattern);

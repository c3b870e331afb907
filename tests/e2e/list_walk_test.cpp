// The list walk against the stand-in download server (tests/download/
// with_server.sh), as only the real program shows it: the list selection
// "SELST" and its titles, the chosen list's caption and preview data fetched
// by the real worker, the walk stopped from the progress dialog or ended by
// a server that cannot answer, and a list file given on the command line.
// The walk's days, LASTDATE and the list reports are checked natively
// (tests/unit/run_test.cpp).
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

namespace {

const char kSelectionTitle[] = "ダウンロードリスト";
const char kNothingFound[] = "部品リストがダウンロードされていません。";

std::string list_name(const std::string& date) { return "pvnbhn_lst" + date + ".dat"; }

std::string last_date(const Folder& folder) {
  char value[80];
  GetPrivateProfileStringA("日付", "LASTDATE", "", value, sizeof value,
                           folder.file("HDINI\\bhnmente.dat").c_str());
  return value;
}

void choose_line(HWND selection, int line) {
  select_row(selection, IDC_LISTS, line);
  post_click(selection, IDOK);
  closes(selection);
}

}  // namespace

TEST(walk_finds_lists_and_fetches_previews) {
  Folder folder("walk");
  const std::string day1 = list_date(1), day3 = list_date(3);
  set_last_date(folder, 4);
  ok(serve("newdownload\\K-VAL\\" + list_name(day1),
           "[INFO]\r\nTITLE=一日前\r\n[A建材]\r\n1001,0=ドア\r\n1002,1=窓\r\n") &&
         serve("newdownload\\K-VAL\\" + list_name(day3),
               "[INFO]\r\nTITLE=三日前\r\n[大手建材]\r\n10001,0=部品\r\n") &&
         serve("newdownload\\k-val\\HDPARTS\\PARTS004\\P0010001.BHN", "PT-V01"),
     "cannot lay out the catalogue\n");

  Program program;
  if (!ok(start(&program, folder.path), "cannot start\n")) return;
  HWND selection = wait_titled(program, kSelectionTitle, 30000);
  if (!ok(selection != nullptr, "SELST did not open\n")) return;
  ok(list_rows(selection, IDC_LISTS) == std::vector<std::string>({"一日前", "三日前"}) &&
         list_selection(selection, IDC_LISTS) == 0,
     "titles newest first, the first selected\n");

  choose_line(selection, 1);
  if (!ok(wait_windows(&program), "main dialog not usable\n")) return;
  ok(wait_until(kWaitMs,
                [&] { return text(program.dialog) == "部品テーブルダウンロード [三日前]"; }),
     "caption %s\n", readable(text(program.dialog)).c_str());
  rows_are(program.dialog, IDC_MAKERS, {"大手建材"}, "the chosen list's makers");
  ok(wait_until(kWaitMs,
                [&] { return file_exists(work_file(folder, store::WorkFile::View, 10001)); }),
     "the list's preview data not in HDTMP\\\n");

  click(program.dialog, IDC_LIST_SELECT);
  selection = wait_titled(program, kSelectionTitle);
  ok(selection && list_selection(selection, IDC_LISTS) == 1,
     "リスト選択 reopens on the current list\n");
  if (selection) choose_line(selection, 1);
  close_with(&program, IDOK);
  ok(!file_exists(folder.path + "HDTMP\\" + list_name(day1)) &&
         !file_exists(folder.path + "HDTMP\\" + list_name(day3)),
     "了解 deletes the walk's list files\n");
}

TEST(stopping_a_long_walk_from_the_progress_dialog) {
  Folder folder("stop_walk");
  set_last_date(folder, 30);
  // The stall needs a file: a missing one is answered 404 at once.
  serve("newdownload\\K-VAL\\" + list_name(list_date(0)), "[INFO]\r\nTITLE=今日\r\n");
  write_file(server_path("DLTEST_RULES"), "{\"/newdownload/K-VAL/*\": {\"stall\": true}}");
  Program program;
  if (!ok(start(&program, folder.path) && wait_windows(&program, kWaitMs, false), "no dialog\n"))
    return;
  HWND progress = wait_titled(program, "部品ダウンロード");
  ok(progress && !IsWindowEnabled(program.dialog) && item_text(progress, IDCANCEL) == "中断",
     "the walk runs behind the progress dialog with a way out\n");
  if (progress) post_click(progress, IDCANCEL);
  ok(wait_windows(&program, 5000), "中断 ends the walk at once\n");
  ok(item_text(program.dialog, IDC_STATUS) == kNothingFound, "status %s\n",
     readable(item_text(program.dialog, IDC_STATUS)).c_str());
  ok(last_date(folder) == list_date(30), "LASTDATE kept for the days never checked\n");
  close_with(&program, IDCANCEL);
}

// A first run, its walk back to June 2005, against nothing listening on the
// proxy's port and against a server that never answers: either costs one
// failure per cool-down, and the dialog becomes usable.
TEST(a_server_that_cannot_answer_ends_the_walk) {
  const std::string proxy = server_path("http_proxy");
  const struct {
    const char* how;
    const char* proxy;  // null: the stand-in server
    DWORD ms;
  } servers[] = {{"unreachable", "http://127.0.0.1:9", 60000}, {"silent", nullptr, 40000}};
  for (const auto& server : servers) {
    Folder folder(server.how);
    DeleteFileA(folder.file("HDINI\\bhnmente.dat").c_str());
    write_file(server_path("DLTEST_RULES"),
               server.proxy ? "{}" : "{\"/newdownload/K-VAL/*\": {\"silent\": true}}");
    SetEnvironmentVariableA("http_proxy", server.proxy ? server.proxy : proxy.c_str());
    Program program;
    const bool started = start(&program, folder.path);
    SetEnvironmentVariableA("http_proxy", proxy.c_str());
    ok(started && wait_windows(&program, server.ms), "%s: the dialog not usable\n", server.how);
    ok(last_date(folder) == "050608", "%s: LASTDATE %s\n", server.how, last_date(folder).c_str());
    close_with(&program, IDCANCEL);
  }
}

TEST(a_command_line_list_file_is_adopted_without_a_walk) {
  Folder folder("command_line");
  std::string lst = folder.file("HDPARTS\\LST\\");
  CreateDirectoryA(lst.c_str(), nullptr);
  write_file(lst + "pvnbhn_lst240401.dat", "[INFO]\r\nTITLE=四月\r\n[A建材]\r\n1001,0=ドア\r\n");
  Program program;
  if (!ok(start(&program, folder.path, lst + "pvnbhn_lst240401.dat"), "cannot start\n")) return;
  HWND selection = wait_titled(program, kSelectionTitle);
  if (!ok(selection != nullptr, "SELST did not open\n")) return;
  for (HWND window : process_windows(program.pid(), "#32770"))
    ok(!GetDlgItem(window, IDC_MAKERS) || !IsWindowVisible(window),
       "SELST opens before the main dialog is shown\n");
  ok(list_rows(selection, IDC_LISTS) == std::vector<std::string>({"四月"}), "the one list\n");
  choose_line(selection, 0);
  if (!ok(wait_windows(&program), "main dialog\n")) return;
  ok(text(program.dialog) == "部品テーブルダウンロード [四月]", "caption\n");
  ok(read_file(server_path("DLTEST_LOG")).find("/K-VAL/") == std::string::npos,
     "a list file asked for\n");
  close_with(&program, IDOK);
}

// The list walk against the stand-in download server (tests/download/
// with_server.sh): the walk behind the progress dialog, the list selection
// "SELST", the preview requests of the chosen list, the walk's end when the
// server cannot answer, and a list file given on the command line.
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

namespace {

const char kSelectionTitle[] = "ダウンロードリスト";
const char kNothingFound[] = "部品リストがダウンロードされていません。";

std::string list_name(const std::string& date) { return "pvnbhn_lst" + date + ".dat"; }

std::string state_value(const Folder& folder, const char* key) {
  char value[80];
  GetPrivateProfileStringA("日付", key, "", value, sizeof value,
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
  std::string big = "[INFO]\r\nTITLE=三日前\r\n[大手建材]\r\n";
  char key[64];
  for (int part = 10001; part <= 12000; ++part) {
    std::snprintf(key, sizeof key, "%d,0=部品%d\r\n", part, part);
    big += key;
    std::snprintf(key, sizeof key, "newdownload\\k-val\\HDPARTS\\PARTS%03d\\P%07d.BHN",
                  (part - 1001) / 2000, part);
    if (part % 500 == 0 || part == 10001) serve(key, "PT-V01");
  }
  ok(serve("newdownload\\K-VAL\\" + list_name(day1),
           "[INFO]\r\nTITLE=一日前\r\n[A建材]\r\n1001,0=ドア\r\n1002,1=窓\r\n") &&
         serve("newdownload\\K-VAL\\" + list_name(day3), big),
     "cannot lay out the catalogue\n");

  Program program;
  if (!ok(start(&program, folder.path), "cannot start\n")) return;
  HWND selection = wait_titled(program, kSelectionTitle, 30000);
  if (!ok(selection != nullptr, "SELST did not open; DATSUU %s, %d requests\n",
          state_value(folder, "DATSUU").c_str(), (int)logged_paths().size()))
    return;
  ok(list_rows(selection, IDC_LISTS) == std::vector<std::string>({"一日前", "三日前"}) &&
         list_selection(selection, IDC_LISTS) == 0,
     "titles newest first, the first selected\n");
  ok(state_value(folder, "DATSUU") == "2" && state_value(folder, "TMPDATE01") == day1 &&
         state_value(folder, "TMPDATE02") == day3 && state_value(folder, "LASTDATE") == day3,
     "DATSUU=2, TMPDATE01/02 in arrival order, LASTDATE the oldest\n");
  std::vector<std::string> paths = logged_paths();
  ok(count_with(paths, "/newdownload/K-VAL/pvnbhn_lst") == 5, "five days asked for\n");

  choose_line(selection, 1);
  if (!ok(wait_windows(&program), "main dialog not usable\n")) return;
  ok(wait_until(kWaitMs,
                [&] { return text(program.dialog) == "部品テーブルダウンロード [三日前]"; }),
     "caption %s\n", readable(text(program.dialog)).c_str());
  rows_are(program.dialog, IDC_MAKERS, {"大手建材"}, "the chosen list's makers");
  ok(wait_until(60000,
                [&] { return count_with(logged_paths(), "/newdownload/k-val/HDPARTS/") == 2000; }),
     "2,000 preview requests, got %d\n",
     (int)count_with(logged_paths(), "/newdownload/k-val/HDPARTS/"));
  ok(count_with(logged_paths(), "/HDPARTS/PARTS004/P0010001.BHN") == 1, "the path of part 10001\n");
  ok(wait_until(kWaitMs, [&] { return file_exists(folder.file("HDTMP\\VIEW0012000.DAT")); }) &&
         file_exists(folder.file("HDTMP\\VIEW0010001.DAT")),
     "preview files in HDTMP\\\n");

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

TEST(first_run_walks_back_to_june_2005) {
  Folder folder("first_run");
  DeleteFileA(folder.file("HDINI\\bhnmente.dat").c_str());
  Program program;
  if (!ok(start(&program, folder.path) && wait_windows(&program, 120000), "walk did not end\n"))
    return;
  ok(state_value(folder, "LASTDATE") == "050608", "LASTDATE written\n");
  std::vector<std::string> paths = logged_paths();
  ok(!paths.empty() && paths.back() == "/newdownload/K-VAL/pvnbhn_lst050608.dat" &&
         count_with(paths, "/K-VAL/pvnbhn_lst") > 7000,
     "%d days, the last %s\n", (int)paths.size(), paths.empty() ? "" : paths.back().c_str());
  status_reads(program.dialog, kNothingFound);
  close_with(&program, IDCANCEL);
}

TEST(stopping_a_long_walk_from_the_progress_dialog) {
  Folder folder("stop_walk");
  set_last_date(folder, 30);
  serve("newdownload\\K-VAL\\" + list_name(list_date(0)), "[INFO]\r\nTITLE=今日\r\n");
  write_file(server_path("DLTEST_RULES"), "{\"/newdownload/K-VAL/*\": {\"stall\": true}}");
  Program program;
  if (!ok(start(&program, folder.path) && wait_windows(&program, kWaitMs, false), "no dialog\n"))
    return;
  HWND progress = wait_titled(program, "部品ダウンロード");
  ok(progress && !IsWindowEnabled(program.dialog), "the walk runs behind the progress dialog\n");
  ok(progress && item_text(progress, IDCANCEL) == "中断", "a way out\n");
  if (progress) post_click(progress, IDCANCEL);
  ok(wait_windows(&program, 5000), "中断 ends the walk at once\n");
  status_reads(program.dialog, kNothingFound);
  ok(state_value(folder, "LASTDATE") == list_date(30),
     "LASTDATE kept for the days never checked\n");
  close_with(&program, IDCANCEL);
}

TEST(an_unreachable_server_ends_the_walk) {
  Folder folder("unreachable");
  DeleteFileA(folder.file("HDINI\\bhnmente.dat").c_str());
  std::string proxy = server_path("http_proxy");
  SetEnvironmentVariableA("http_proxy", "http://127.0.0.1:9");  // nothing listens there
  Program program;
  bool started = start(&program, folder.path);
  SetEnvironmentVariableA("http_proxy", proxy.c_str());
  ok(started && wait_windows(&program, 60000), "the dialog became usable\n");
  ok(state_value(folder, "LASTDATE") == "050608", "LASTDATE as it was\n");
  close_with(&program, IDCANCEL);
}

TEST(a_silent_server_ends_the_walk_after_one_time_out) {
  Folder folder("silent");
  DeleteFileA(folder.file("HDINI\\bhnmente.dat").c_str());
  write_file(server_path("DLTEST_RULES"), "{\"/newdownload/K-VAL/*\": {\"silent\": true}}");
  Program program;
  ok(start(&program, folder.path) && wait_windows(&program, 40000),
     "the dialog became usable after the connect time-out\n");
  close_with(&program, IDCANCEL);
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
  std::vector<HWND> mains;
  for (HWND window : process_windows(program.pid(), "#32770"))
    if (GetDlgItem(window, IDC_MAKERS) && IsWindowVisible(window)) mains.push_back(window);
  ok(mains.empty(), "SELST opens before the main dialog is shown\n");
  ok(list_rows(selection, IDC_LISTS) == std::vector<std::string>({"四月"}), "the one list\n");
  choose_line(selection, 0);
  if (!ok(wait_windows(&program), "main dialog\n")) return;
  ok(text(program.dialog) == "部品テーブルダウンロード [四月]", "caption\n");
  ok(count_with(logged_paths(), "/K-VAL/") == 0, "no list file asked for\n");
  click(program.dialog, IDC_LIST_SELECT);
  selection = wait_titled(program, kSelectionTitle);
  ok(selection != nullptr, "リスト選択 reopens it\n");
  if (selection) choose_line(selection, 0);
  close_with(&program, IDOK);
}

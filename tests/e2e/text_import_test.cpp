// テキスト読込: the hidden button's command opens the open-file dialog in
// HDPARTS\LST\, the user types a list file's name and opens it, and the main
// dialog shows that catalogue; a cancelled dialog changes nothing.
#include <algorithm>
#include <cctype>

#include "resources/resource.h"
#include "tests/e2e/checks.h"
#include "tests/e2e/driver.h"
#include "tests/support/ok.h"

using namespace e2e;

namespace {

const char kCatalogue[] =
    "[INFO]\r\nTITLE=2024年4月版\r\n"
    "[A建材]\r\n1001,0=片開きドア,8\r\n1003,1=旧ドア\r\n1002,0=引戸,8,5\r\n"
    "[B設備]\r\n2001,0=洗面台,3\r\n2002,2=旧便器\r\n"
    "[C照明]\r\n3001,0=ダウンライト\r\n";

const char kStatusAtOpening[] = "部品リストファイルをダウンロード中です。";
const char kStatusAfterList[] = "ダウンロード先の分類項目を指定して部品の追加、削除をして下さい。";

// A program folder whose HDPARTS\LST\ holds two list files and two files
// that the filter must leave out.
bool prepare(const Folder& folder) {
  return CreateDirectoryA(folder.file("HDPARTS\\LST").c_str(), nullptr) &&
         write_file(folder.file("HDPARTS\\LST\\pvnbhn_lst240401.dat"), kCatalogue) &&
         write_file(folder.file("HDPARTS\\LST\\PVNBHN_LST240315.DAT"), "[INFO]\r\nTITLE=old\r\n") &&
         write_file(folder.file("HDPARTS\\LST\\readme.txt"), "not a list") &&
         write_file(folder.file("HDPARTS\\LST\\parts.dat"), "[X]\r\n");
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool open_text_import(Program* program, const Folder& folder, HWND* file_dialog) {
  if (!ok(prepare(folder), "cannot prepare %s\n", folder.path.c_str())) return false;
  if (!ok(start(program, folder) && wait_windows(program), "dialog did not open\n")) return false;
  post_click(program->dialog, IDC_TEXT_IMPORT);
  *file_dialog = wait_file_dialog(program->process.dwProcessId);
  return ok(*file_dialog != nullptr, "no open-file dialog after command 907\n");
}

void cancel_and_wait(Program* program) {
  click(program->dialog, IDCANCEL);
  DWORD code = 99;
  ok(wait_exit(program, kWaitMs, &code) && code == 0, "cancel did not end the program with 0\n");
}

}  // namespace

TEST(text_import_shows_catalogue) {
  Folder folder("text_import");
  Program program;
  HWND file_dialog = nullptr;
  if (!open_text_import(&program, folder, &file_dialog)) return;
  HWND dialog = program.dialog;

  // It opens in HDPARTS\LST\ and shows only PVNBHN_LST*.DAT.
  std::vector<std::string> listed;
  poll(5000, [&] {
    listed = listed_files(file_dialog);
    return listed.size() >= 2;
  });
  for (std::string& name : listed) name = lower(name);
  std::sort(listed.begin(), listed.end());
  std::string all;
  for (const std::string& name : listed) all += "[" + name + "]";
  ok(all == "[pvnbhn_lst240315.dat][pvnbhn_lst240401.dat]" ||
         all == "[pvnbhn_lst240315][pvnbhn_lst240401]",
     "files listed: %s\n", all.c_str());
  std::string filter = combo_text(file_dialog, 0x470);
  ok(filter == "部品ダウンロードﾌｧｲﾙ (*.DAT)", "filter %s\n", readable(filter).c_str());
  std::string look_in = combo_text(file_dialog, 0x471);
  ok(look_in == "LST", "opens in %s\n", readable(look_in).c_str());

  type_text(file_name_box(file_dialog), "pvnbhn_lst240401.dat");
  post_click(file_dialog, IDOK);
  ok(wait_gone(file_dialog), "the open-file dialog stayed\n");

  const std::string caption = "部品テーブルダウンロード [2024年4月版]";
  ok(poll(kWaitMs, [&] { return text(dialog) == caption; }), "caption %s\n",
     readable(text(dialog)).c_str());
  rows_are(dialog, IDC_MAKERS, {"A建材", "B設備", "C照明"}, "makers in file order");
  ok(list_selection(dialog, IDC_MAKERS) == 0, "maker row %d selected\n",
     list_selection(dialog, IDC_MAKERS));
  rows_are(dialog, IDC_ADDED_PARTS, {"片開きドア", "引戸"}, "first maker added");
  rows_are(dialog, IDC_DELETED_PARTS, {"旧ドア"}, "first maker deleted");
  ok(item_text(dialog, IDC_STATUS) == kStatusAfterList, "status %s\n",
     readable(item_text(dialog, IDC_STATUS)).c_str());

  select_row(dialog, IDC_MAKERS, 1);
  rows_are(dialog, IDC_ADDED_PARTS, {"洗面台"}, "second maker added");
  rows_are(dialog, IDC_DELETED_PARTS, {"旧便器"}, "second maker deleted");
  select_row(dialog, IDC_MAKERS, 2);
  rows_are(dialog, IDC_ADDED_PARTS, {"ダウンライト"}, "third maker added");
  rows_are(dialog, IDC_DELETED_PARTS, {}, "third maker deleted");

  ok(!wait_message_box(program.process.dwProcessId, 500), "a message box appeared\n");
  cancel_and_wait(&program);
}

TEST(text_import_cancelled) {
  Folder folder("text_import_cancel");
  Program program;
  HWND file_dialog = nullptr;
  if (!open_text_import(&program, folder, &file_dialog)) return;
  HWND dialog = program.dialog;

  post_click(file_dialog, IDCANCEL);
  ok(wait_gone(file_dialog), "the open-file dialog stayed\n");
  ok(!wait_message_box(program.process.dwProcessId, 1500), "a cancel showed a message box\n");
  ok(text(dialog) == "部品テーブルダウンロード", "caption %s\n", readable(text(dialog)).c_str());
  rows_are(dialog, IDC_MAKERS, {}, "after cancel");
  rows_are(dialog, IDC_ADDED_PARTS, {}, "after cancel");
  rows_are(dialog, IDC_DELETED_PARTS, {}, "after cancel");
  ok(item_text(dialog, IDC_STATUS) == kStatusAtOpening, "status %s\n",
     readable(item_text(dialog, IDC_STATUS)).c_str());
  cancel_and_wait(&program);
}

// テキスト読込: the hidden button's command opens the open-file dialog in
// HDPARTS\LST\ listing only the list files; a cancelled dialog changes
// nothing; the user types a list file's name and opens it, and the main
// dialog shows that catalogue. How a list file fills the lists is checked
// natively (tests/unit/run_test.cpp).
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

namespace {

const char kCatalogue[] =
    "[INFO]\r\nTITLE=2024年4月版\r\n"
    "[A建材]\r\n1001,0=片開きドア,8\r\n1003,1=旧ドア\r\n1002,0=引戸,8,5\r\n"
    "[B設備]\r\n2001,0=洗面台,3\r\n2002,2=旧便器\r\n"
    "[C照明]\r\n3001,0=ダウンライト\r\n";

// The open-file dialog of command 907.
HWND open_text_import(const Program& program) {
  post_click(program.dialog, IDC_TEXT_IMPORT);
  HWND file_dialog = wait_file_dialog(program.pid());
  ok(file_dialog != nullptr, "no open-file dialog after command 907\n");
  return file_dialog;
}

}  // namespace

TEST(text_import_shows_catalogue) {
  Folder folder("text_import");
  // Two list files and two files the filter leaves out.
  std::string lst = folder.file("HDPARTS\\LST\\");
  Program program;
  if (!ok(CreateDirectoryA(lst.c_str(), nullptr) &&
              write_file(lst + "pvnbhn_lst240401.dat", kCatalogue) &&
              write_file(lst + "PVNBHN_LST240315.DAT", "[INFO]\r\nTITLE=old\r\n") &&
              write_file(lst + "readme.txt", "not a list") &&
              write_file(lst + "parts.dat", "[X]\r\n"),
          "cannot prepare %s\n", lst.c_str()) ||
      !open_dialog(&program, folder))
    return;
  HWND dialog = program.dialog;
  HWND file_dialog = open_text_import(program);
  if (!file_dialog) return;

  // Only the two list files, whatever the case of their names.
  std::vector<std::string> listed;
  wait_until(5000, [&] { return (listed = listed_files(file_dialog)).size() >= 2; });
  ok(listed.size() == 2, "%d files listed\n", static_cast<int>(listed.size()));
  for (const std::string& name : listed)
    ok(lstrcmpiA(name.substr(0, 10).c_str(), "PVNBHN_LST") == 0, "%s listed\n", name.c_str());
  std::string filter = combo_text(file_dialog, 0x470), look_in = combo_text(file_dialog, 0x471);
  ok(filter == "部品ダウンロードﾌｧｲﾙ (*.DAT)", "filter %s\n", readable(filter).c_str());
  ok(look_in == "LST", "opens in %s\n", readable(look_in).c_str());

  // キャンセル: no message, nothing shown.
  post_click(file_dialog, IDCANCEL);
  ok(closes(file_dialog), "open-file dialog stayed\n");
  ok(!wait_message_box(program.pid(), 1500), "a cancel showed a message box\n");
  rows_are(dialog, IDC_MAKERS, {}, "after cancel");

  if (!(file_dialog = open_text_import(program))) return;
  type_text(file_name_box(file_dialog), "pvnbhn_lst240401.dat");
  post_click(file_dialog, IDOK);
  ok(closes(file_dialog), "open-file dialog stayed\n");
  ok(wait_until(kWaitMs, [&] { return text(dialog) == "部品テーブルダウンロード [2024年4月版]"; }),
     "caption %s\n", readable(text(dialog)).c_str());
  rows_are(dialog, IDC_MAKERS, {"A建材", "B設備", "C照明"}, "makers in file order");
  rows_are(dialog, IDC_ADDED_PARTS, {"片開きドア", "引戸"}, "added parts of the first maker");
  rows_are(dialog, IDC_DELETED_PARTS, {"旧ドア"}, "deleted parts of the first maker");
  ok(!wait_message_box(program.pid(), 500), "a message box appeared\n");
  close_with(&program, IDCANCEL);
}

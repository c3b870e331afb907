// The three category lists over the classification files: files created,
// converted or refused, one file per destination, the lists refilled as the
// user moves through them.
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

static const std::string kNewFile = "PVN-VTZ-V02" + std::string(kCurrentSize - 11, '\0');

// The three lists show the first rows of the file: each first entry chosen.
static void lists_show(HWND dialog, const std::string& image, const char* what) {
  for (int level = 1; level <= 3; ++level)
    rows_are(dialog, 400 + level, rows_of(image, level), what);
}

TEST(no_classification_files) {
  Folder folder("no_files");
  Program program;
  if (!open_dialog(&program, folder)) return;
  ok(checked(program.dialog, IDC_DEST_3DCAD), "3DCAD not chosen\n");
  lists_show(program.dialog, kNewFile, "new file");
  ok(list_selection(program.dialog, 401) == 0 && list_selection(program.dialog, 402) == 0,
     "selections %d, %d\n", list_selection(program.dialog, 401),
     list_selection(program.dialog, 402));
  ok(read_file(folder.file("HDINI\\VGZLST0.INI")) == kNewFile, "VGZLST0.INI not a new file\n");
  close_with(&program, IDCANCEL);
}

TEST(old_layout_converted) {
  Folder folder("old_layout");
  std::string path = folder.file("HDINI\\VGZLST0.INI");
  OldFile file = old_file();
  ok(write_file(path, file.old), "cannot write %s\n", path.c_str());
  Program program;
  if (!open_dialog(&program, folder)) return;

  const std::string& image = file.converted;
  lists_show(program.dialog, image, "opened");
  select_row(program.dialog, 401, 9);
  ok(list_selection(program.dialog, 401) == 9 && list_selection(program.dialog, 402) == 0,
     "selections %d, %d\n", list_selection(program.dialog, 401),
     list_selection(program.dialog, 402));
  rows_are(program.dialog, 402, rows_of(image, 2, 9), "major item 9");
  select_row(program.dialog, 402, 9);
  rows_are(program.dialog, 403, rows_of(image, 3, 9, 9), "item 9-9");
  select_row(program.dialog, 401, 10);
  rows_are(program.dialog, 402, rows_of(kNewFile, 2), "major item 10");
  rows_are(program.dialog, 403, rows_of(kNewFile, 3), "major item 10");
  close_with(&program, IDOK);
  ok(read_file(path) == image, "converted file differs (%d bytes)\n",
     static_cast<int>(read_file(path).size()));
}

TEST(unreadable_files_untouched) {
  std::string other_header = current_file("他");
  other_header.replace(0, 11, "PVN-VTZ-V03");
  const std::string files[] = {old_file().old.substr(0, kOldSize - 1), other_header};
  for (const std::string& bytes : files) {
    Folder folder("unreadable");
    std::string path = folder.file("HDINI\\VGZLST0.INI");
    ok(write_file(path, bytes), "cannot write %s\n", path.c_str());
    Program program;
    if (!open_dialog(&program, folder)) continue;
    ok(!wait_message_box(program.pid(), 300), "%d bytes: a message box\n", (int)bytes.size());
    for (int id = 401; id <= 403; ++id) rows_are(program.dialog, id, {}, "unreadable file");
    ok(read_file(path) == bytes, "%d bytes: file changed on opening\n", (int)bytes.size());
    close_with(&program, IDCANCEL);
    ok(read_file(path) == bytes, "%d bytes: file changed\n", (int)bytes.size());
  }
}

TEST(destination_lists) {
  struct {
    int button;
    const char* file;
    std::string image;
  } destinations[] = {{IDC_DEST_3DCAD, "HDINI\\VGZLST0.INI", current_file("三")},
                      {IDC_DEST_ROOF, "HDINI\\VGZLST2.INI", current_file("屋根")},
                      {IDC_DEST_2DCAD, "HDINI\\VGZLST3.INI", current_file("二")},
                      {IDC_DEST_SHEETS, "HDINI\\VGZLST4.INI", current_file("仕")},
                      {IDC_DEST_OTHER, "HDINI\\GLZSLCT.INI", current_file("他")}};
  Folder folder("destinations");
  for (auto& d : destinations) ok(write_file(folder.file(d.file), d.image), "cannot write\n");
  Program program;
  if (!open_dialog(&program, folder)) return;
  for (auto& d : destinations) {
    click(program.dialog, d.button);
    ok(checked(program.dialog, d.button), "%d not chosen\n", d.button);
    lists_show(program.dialog, d.image, d.file);
  }
  close_with(&program, IDCANCEL);
}

TEST(uncreatable_file_reported) {
  Folder folder("uncreatable");
  std::string path = folder.file("HDINI\\VGZLST0.INI");
  ok(CreateDirectoryA(path.c_str(), nullptr), "cannot make %s a folder\n", path.c_str());
  Program program;
  if (!ok(start(&program, folder.path), "program did not start\n")) return;
  // Each attempt to create the file is reported; the dialog opens after them.
  int boxes = 0;
  for (HWND box; boxes < 8 && (box = wait_message_box(program.pid(), boxes ? 2000 : kWaitMs));
       ++boxes) {
    ok(message_box_text(box) == path + " ファイルがオープンできませんでした。", "box says %s\n",
       readable(message_box_text(box)).c_str());
    answer_ok(box);
    ok(wait_until(kWaitMs, [&] { return !IsWindow(box); }), "box %d stays\n", boxes);
  }
  ok(boxes >= 1, "no message box\n");
  if (ok(wait_windows(&program), "dialog did not open after %d boxes\n", boxes))
    close_with(&program, IDCANCEL);
  ok(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, "%s no longer a folder\n",
     path.c_str());
}

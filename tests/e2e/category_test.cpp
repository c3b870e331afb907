// The three category lists over the classification files, as the real
// program shows them and leaves them on disk: one file per destination, a
// missing file created, an older layout converted, unreadable files refused
// untouched, and a file that cannot be created reported. How the lists
// refill as the user moves through them is checked natively
// (tests/unit/run_test.cpp).
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

static const std::string kNewFile = "PVN-VTZ-V02" + std::string(kCurrentSize - 11, '\0');

// The three lists show the first rows of the file: each first entry chosen.
static void lists_show(HWND dialog, const std::string& image, const char* what) {
  for (int level = 1; level <= 3; ++level)
    rows_are(dialog, 400 + level, rows_of(image, level), what);
}

// The program opens on 3DCAD, whose file is in the older layout: it is
// shown and kept converted. Each destination shows its own file; the
// missing one of 2DCAD is created new.
TEST(destination_lists) {
  const OldFile old = old_file();
  const struct {
    int button;
    const char* file;
    std::string written, shown;  // nothing written: a missing file
  } destinations[] = {{IDC_DEST_3DCAD, "HDINI\\VGZLST0.INI", old.old, old.converted},
                      {IDC_DEST_ROOF, "HDINI\\VGZLST2.INI", current_file("屋根"), ""},
                      {IDC_DEST_2DCAD, "HDINI\\VGZLST3.INI", "", kNewFile},
                      {IDC_DEST_SHEETS, "HDINI\\VGZLST4.INI", current_file("仕"), ""},
                      {IDC_DEST_OTHER, "HDINI\\GLZSLCT.INI", current_file("他"), ""}};
  Folder folder("destinations");
  for (auto& d : destinations)
    ok(d.written.empty() || write_file(folder.file(d.file), d.written), "cannot write\n");
  Program program;
  if (!open_dialog(&program, folder)) return;
  ok(checked(program.dialog, IDC_DEST_3DCAD), "3DCAD not chosen at opening\n");
  for (auto& d : destinations) {
    click(program.dialog, d.button);
    ok(checked(program.dialog, d.button), "%d not chosen\n", d.button);
    lists_show(program.dialog, d.shown.empty() ? d.written : d.shown, d.file);
  }
  close_with(&program, IDOK);
  ok(read_file(folder.file("HDINI\\VGZLST0.INI")) == old.converted &&
         read_file(folder.file("HDINI\\VGZLST3.INI")) == kNewFile,
     "VGZLST0.INI not kept converted, or VGZLST3.INI not a new file\n");
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
    close_with(&program, IDCANCEL);
    ok(read_file(path) == bytes, "%d bytes: file changed\n", (int)bytes.size());
  }
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
    dismiss(box);
  }
  ok(boxes >= 1, "no message box\n");
  if (ok(wait_windows(&program), "dialog did not open after %d boxes\n", boxes))
    close_with(&program, IDCANCEL);
  ok(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, "%s no longer a folder\n",
     path.c_str());
}

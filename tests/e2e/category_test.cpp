// The three category lists over the classification files: files created,
// converted, refused, and the lists refilled as the user moves through them.
#include "tests/e2e/checks.h"
#include "tests/e2e/class_files.h"
#include "tests/e2e/driver.h"
#include "tests/support/ok.h"

using namespace e2e;

namespace {

bool open_dialog(Program* program, const Folder& folder) {
  return ok(start(program, folder) && wait_windows(program), "dialog did not open\n");
}

void cancel_and_wait(Program* program) {
  click(program->dialog, IDCANCEL);
  DWORD code = 99;
  ok(wait_exit(program, kWaitMs, &code) && code == 0, "cancel did not end the program with 0\n");
}

// The error icon is the red one.
int red_pixels_of_icon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (class_name(child) != "Static") continue;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    Pixels pixels = capture(client_on_screen(child));
    int red = 0;
    for (COLORREF colour : pixels.colour)
      if (GetRValue(colour) >= 160 && GetGValue(colour) <= 100 && GetBValue(colour) <= 100) ++red;
    return red;
  }
  return -1;
}

}  // namespace

TEST(no_classification_files) {
  Folder folder("no_files");
  Program program;
  if (!open_dialog(&program, folder)) return;

  ok(checked(program.dialog, 181), "3DCAD not chosen\n");
  rows_are(program.dialog, 401, blank_rows(12), "new file");
  rows_are(program.dialog, 402, blank_rows(40), "new file");
  rows_are(program.dialog, 403, blank_rows(50), "new file");
  ok(list_selection(program.dialog, 401) == 0, "401 selects %d\n", list_selection(program.dialog, 401));
  ok(list_selection(program.dialog, 402) == 0, "402 selects %d\n", list_selection(program.dialog, 402));

  std::string empty(kCurrentFileSize, '\0');
  empty.replace(0, 11, "PVN-VTZ-V02");
  std::string path = folder.file("HDINI\\VGZLST0.INI");
  ok(file_equals(path, empty), "VGZLST0.INI: %s\n", difference(path, empty).c_str());
  cancel_and_wait(&program);
}

TEST(old_layout_converted) {
  Folder folder("old_layout");
  std::string path = folder.file("HDINI\\VGZLST0.INI");
  ok(write_file(path, old_file()), "cannot write %s\n", path.c_str());
  Program program;
  if (!open_dialog(&program, folder)) return;

  std::string image = converted_old_file();
  rows_are(program.dialog, 401, expected_rows(image, 1, 0, 0), "opened");
  rows_are(program.dialog, 402, expected_rows(image, 2, 0, 0), "opened");
  rows_are(program.dialog, 403, expected_rows(image, 3, 0, 0), "opened");
  select_row(program.dialog, 401, 9);
  rows_are(program.dialog, 402, expected_rows(image, 2, 9, 0), "major item 9");
  select_row(program.dialog, 402, 9);
  rows_are(program.dialog, 403, expected_rows(image, 3, 9, 9), "item 9-9");
  select_row(program.dialog, 401, 10);
  rows_are(program.dialog, 402, blank_rows(40), "major item 10");
  rows_are(program.dialog, 403, blank_rows(50), "major item 10");

  click(program.dialog, IDOK);
  DWORD code = 99;
  ok(wait_exit(&program, kWaitMs, &code) && code == 0, "OK did not end the program with 0\n");
  ok(file_equals(path, image), "converted file: %s\n", difference(path, image).c_str());
}

TEST(unreadable_files_untouched) {
  std::string short_file = old_file().substr(0, kOldFileSize - 1);
  std::string other_header = current_file("他");
  other_header.replace(0, 11, "PVN-VTZ-V03");
  struct {
    const char* name;
    std::string bytes;
  } cases[] = {{"short_old", short_file}, {"other_header", other_header}};

  for (auto& c : cases) {
    Folder folder(c.name);
    std::string path = folder.file("HDINI\\VGZLST0.INI");
    ok(write_file(path, c.bytes), "cannot write %s\n", path.c_str());
    Program program;
    if (!open_dialog(&program, folder)) continue;

    ok(wait_message_box(program.process.dwProcessId, 300) == nullptr, "%s: message box\n", c.name);
    ok(list_count(program.dialog, 401) == 0, "%s: 401 has %d rows\n", c.name,
       list_count(program.dialog, 401));
    ok(list_count(program.dialog, 402) == 0, "%s: 402 has %d rows\n", c.name,
       list_count(program.dialog, 402));
    ok(list_count(program.dialog, 403) == 0, "%s: 403 has %d rows\n", c.name,
       list_count(program.dialog, 403));
    ok(file_equals(path, c.bytes), "%s: file changed on opening: %s\n", c.name,
       difference(path, c.bytes).c_str());
    cancel_and_wait(&program);
    ok(file_equals(path, c.bytes), "%s: file changed: %s\n", c.name,
       difference(path, c.bytes).c_str());
  }
}

TEST(roof_destination_lists) {
  Folder folder("roof");
  std::string path = folder.file("HDINI\\VGZLST2.INI");
  std::string roof = current_file("屋根");
  ok(write_file(path, roof), "cannot write %s\n", path.c_str());
  Program program;
  if (!open_dialog(&program, folder)) return;

  click(program.dialog, 182);
  ok(checked(program.dialog, 182) && !checked(program.dialog, 181), "roof plan not chosen\n");
  rows_are(program.dialog, 401, expected_rows(roof, 1, 0, 0), "roof plan");
  rows_are(program.dialog, 402, expected_rows(roof, 2, 0, 0), "roof plan");
  rows_are(program.dialog, 403, expected_rows(roof, 3, 0, 0), "roof plan");
  ok(list_selection(program.dialog, 401) == 0, "401 selects %d\n", list_selection(program.dialog, 401));
  ok(list_selection(program.dialog, 402) == 0, "402 selects %d\n", list_selection(program.dialog, 402));

  // A changed file shows only where a list is filled again.
  std::string changed = current_file("変更");
  write_file(path, changed);
  select_row(program.dialog, 401, 0);
  rows_are(program.dialog, 402, expected_rows(roof, 2, 0, 0), "same major item again");
  rows_are(program.dialog, 403, expected_rows(roof, 3, 0, 0), "same major item again");

  select_row(program.dialog, 401, 5);
  rows_are(program.dialog, 401, expected_rows(roof, 1, 0, 0), "major item 5");
  rows_are(program.dialog, 402, expected_rows(changed, 2, 5, 0), "major item 5");
  rows_are(program.dialog, 403, expected_rows(changed, 3, 5, 0), "major item 5");
  ok(list_selection(program.dialog, 401) == 5, "401 selects %d\n", list_selection(program.dialog, 401));
  ok(list_selection(program.dialog, 402) == 0, "402 selects %d\n", list_selection(program.dialog, 402));

  select_row(program.dialog, 402, 3);
  rows_are(program.dialog, 403, expected_rows(changed, 3, 5, 3), "item 5-3");
  cancel_and_wait(&program);
  ok(file_equals(path, roof), "VGZLST2.INI not restored: %s\n", difference(path, roof).c_str());
}

TEST(uncreatable_file_reported) {
  Folder folder("uncreatable");
  std::string path = folder.file("HDINI\\VGZLST0.INI");
  ok(CreateDirectoryA(path.c_str(), nullptr), "cannot make %s a folder\n", path.c_str());
  Program program;
  if (!ok(start(&program, folder), "program did not start\n")) return;

  std::string expected = path + " ファイルがオープンできませんでした。";
  DWORD pid = program.process.dwProcessId;
  int boxes = 0;
  bool opened = false;
  while (boxes < 8 && !opened) {
    HWND box = nullptr;
    poll(kWaitMs, [&] {
      box = wait_message_box(pid, 0);
      opened = !box && wait_windows(&program, 0);
      return box || opened || !running(program);
    });
    if (!box) break;
    ++boxes;
    ok(message_box_text(box) == expected, "box %d says %s\n", boxes,
       readable(message_box_text(box)).c_str());
    if (boxes == 1) {
      bring_to_front_and_paint(box);
      int red = 0;
      poll(2000, [&] { return (red = red_pixels_of_icon(box)) > 20; });
      ok(red > 20, "no error icon (%d red pixels)\n", red);
    }
    answer_ok(box);
    ok(wait_gone(box), "box %d stays\n", boxes);
  }
  ok(boxes >= 1, "no message box\n");
  ok(opened, "dialog did not open after %d boxes\n", boxes);
  ok(is_directory(path), "%s no longer a folder\n", path.c_str());
  if (opened) cancel_and_wait(&program);
}

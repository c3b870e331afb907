// Starting the program: one copy at a time, the program folder limit, and
// the arrow picture the main dialog shows.
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

TEST(second_start) {
  Folder folder("second_start");
  Program first, second;
  if (!open_dialog(&first, folder)) return;
  // A window of the test in front, so that raising the first copy shows.
  HWND own = CreateWindowExW(0, L"STATIC", L"e2e front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                             300, 200, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(own);
  ok(wait_until(2000, [&] { return GetForegroundWindow() == own; }), "test window not in front\n");

  DWORD started = GetTickCount(), code = 99;
  ok(start(&second, folder.path) && wait_exit(&second, &code) && code == 0,
     "second copy did not end with 0\n");
  DWORD spent = GetTickCount() - started;
  ok(spent < 5000, "second copy took %lu ms to end\n", spent);
  ok(running(first) && IsWindowVisible(first.app), "first copy ended, or its window hidden\n");
  ok(process_windows(0, "GzmlsdlClass").size() == 1, "%d application windows\n",
     static_cast<int>(process_windows(0, "GzmlsdlClass").size()));
  ok(wait_until(3000,
                [&] {
                  HWND front = GetForegroundWindow();
                  return front == first.app || front == first.dialog;
                }),
     "foreground is %p, not the first copy\n", (void*)GetForegroundWindow());
  DestroyWindow(own);
  close_with(&first, IDCANCEL);
}

TEST(two_copies_started_together) {
  // Whichever copy finds the other must end; never both run.
  Folder folder("two_copies");
  for (int round = 0; round < 3; ++round) {
    Program a, b;
    ok(start(&a, folder.path) && start(&b, folder.path), "copies did not start\n");
    wait_until(kWaitMs, [&] { return process_windows(0, "GzmlsdlClass").size() >= 1; });
    DWORD code = 99;
    Program& ended = wait_exit(&a, &code, 3000) ? a : b;
    Program& kept = &ended == &a ? b : a;
    if (&ended == &b) wait_exit(&b, &code, 3000);
    ok(!running(ended) && running(kept) && process_windows(0, "GzmlsdlClass").size() == 1,
       "round %d: one copy runs, the other ended\n", round);
    if (wait_windows(&kept)) close_with(&kept, IDCANCEL);
  }
}

TEST(long_program_folder) {
  // 130 characters of folder name alone: the program folder is above 127
  // characters whatever the temporary folder is.
  Folder folder("long_folder", std::string(130, 'L'));
  Program program;
  if (!ok(start(&program, folder.path), "program did not start in %s\n", folder.path.c_str()))
    return;
  HWND box = wait_message_box(program.pid());
  if (ok(box != nullptr, "no message box\n")) {
    ok(text(box) == "図形登録", "caption %s\n", readable(text(box)).c_str());
    ok(message_box_text(box) ==
           "プログラムのフォルダのパスが長すぎます。\n127文字以内のフォルダに置いて起動して下さい"
           "。",
       "text %s\n", readable(message_box_text(box)).c_str());
    for (HWND dialog : process_windows(program.pid(), "#32770"))
      ok(!GetDlgItem(dialog, 401), "main dialog opened\n");
    answer_ok(box);
  }
  DWORD code = 99;
  ok(wait_exit(&program, &code) && code == 0, "program did not end with 0\n");
  ok(!file_exists(folder.file("HDINI\\VGZLST0.INI")), "VGZLST0.INI created\n");
}

TEST(arrow_picture) {
  Folder folder("arrow");
  Program program;
  if (!open_dialog(&program, folder)) return;
  HWND control = GetDlgItem(program.dialog, IDC_ARROW_PICTURE);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), black = RGB(0, 0, 0);
  // The 25 x 30 bitmap is drawn unscaled from the top left corner: the shaft
  // is the upper half around column 12, the head the lower half. Its white
  // shows as button face, also in the corners of the control.
  auto drawn = [&] {
    Pixels p = capture(client_on_screen(control));
    for (size_t k = 0; k < p.bgrx.size(); k += 4)
      if (p.bgrx.compare(k, 3, "\xFF\xFF\xFF") == 0) return false;  // white
    int right = p.width - 1, bottom = p.height - 1;
    return p.width > 12 && p.height > 20 && p.at(12, 7) == black && p.at(12, 20) == black &&
           p.at(0, 0) == face && p.at(right, 0) == face && p.at(0, bottom) == face &&
           p.at(right, bottom) == face;
  };
  bring_to_front_and_paint(program.dialog);
  ok(wait_until(3000, drawn), "the arrow is not drawn as black on button face %06lx\n", face);
  close_with(&program, IDCANCEL);
}

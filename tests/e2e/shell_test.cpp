// Starting and ending the program: one copy at a time, the program folder
// limit, and the two ways of closing.
#include <windows.h>
#include <tlhelp32.h>

#include "tests/e2e/class_files.h"
#include "tests/e2e/driver.h"
#include "tests/support/ok.h"

using namespace e2e;

namespace {

int count_processes(const char* exe_name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, exe_name) == 0) ++count;
  CloseHandle(snapshot);
  return count;
}

// A window of the test in front, so that raising the first copy is visible.
HWND put_own_window_in_front() {
  HWND window = CreateWindowExW(0, L"STATIC", L"e2e front", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 40, 300, 200, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(window);
  poll(2000, [&] { return GetForegroundWindow() == window; });
  return window;
}

const char* const kBackups[] = {"HDTMP\\GLZSLCT.INI", "HDTMP\\VGZLST0.INI", "HDTMP\\VGZLST2.INI",
                                "HDTMP\\VGZLST3.INI", "HDTMP\\VGZLST4.INI", "HDTMP\\TRBHNBAK.DAT"};

// Every classification file and the parts index present, each recognisable.
bool write_suite_files(const Folder& folder) {
  return write_file(folder.file("HDINI\\GLZSLCT.INI"), current_file("他")) &&
         write_file(folder.file("HDINI\\VGZLST0.INI"), current_file("三")) &&
         write_file(folder.file("HDINI\\VGZLST2.INI"), current_file("屋")) &&
         write_file(folder.file("HDINI\\VGZLST3.INI"), current_file("二")) &&
         write_file(folder.file("HDINI\\VGZLST4.INI"), current_file("仕")) &&
         write_file(folder.file("HDPARTS\\TRBHN.DAT"), std::string(4096, '\x6B'));
}

}  // namespace

TEST(second_start) {
  Folder folder("second_start");
  Program first, second;
  if (!ok(start(&first, folder) && wait_windows(&first), "first copy did not open its dialog\n"))
    return;
  HWND own = put_own_window_in_front();
  ok(GetForegroundWindow() == own, "the test's window is not in front\n");

  DWORD started = GetTickCount();
  ok(start(&second, folder), "second copy did not start\n");
  DWORD code = 99;
  ok(wait_exit(&second, kWaitMs, &code), "second copy still runs\n");
  DWORD spent = GetTickCount() - started;
  ok(code == 0, "second copy ended with %lu\n", code);
  ok(spent < 5000, "second copy took %lu ms to end\n", spent);

  ok(running(first), "first copy ended\n");
  ok(count_processes("partsdl.exe") == 1, "%d copies run\n", count_processes("partsdl.exe"));
  ok(count_windows("GzmlsdlClass") == 1, "%d application windows\n",
     count_windows("GzmlsdlClass"));
  ok(IsWindowVisible(first.app), "application window hidden\n");
  bool raised = poll(3000, [&] {
    HWND front = GetForegroundWindow();
    return front == first.app || front == first.dialog;
  });
  ok(raised, "foreground is %p, not the first copy (%p, %p)\n", (void*)GetForegroundWindow(),
     (void*)first.app, (void*)first.dialog);
  DestroyWindow(own);

  click(first.dialog, IDCANCEL);
  ok(wait_exit(&first, kWaitMs, &code) && code == 0, "first copy did not end with 0\n");
}

TEST(long_program_folder) {
  // 130 characters of folder name alone: the program folder is far above
  // 127 characters whatever the temporary folder is.
  Folder folder("long_folder", std::string(130, 'L'));
  Program program;
  if (!ok(start(&program, folder), "program did not start in %s\n", folder.path.c_str())) return;

  HWND box = wait_message_box(program.process.dwProcessId);
  if (ok(box != nullptr, "no message box\n")) {
    ok(text(box) == "図形登録", "caption %s\n", readable(text(box)).c_str());
    std::string expected =
        "プログラムのフォルダのパスが長すぎます。\n127文字以内のフォルダに置いて起動して下さい。";
    ok(message_box_text(box) == expected, "text %s\n", readable(message_box_text(box)).c_str());
    std::vector<HWND> dialogs = process_windows(program.process.dwProcessId, "#32770");
    for (HWND dialog : dialogs) ok(!GetDlgItem(dialog, 401), "main dialog opened\n");
    answer_ok(box);
  }
  DWORD code = 99;
  ok(wait_exit(&program, kWaitMs, &code), "program still runs\n");
  ok(code == 0, "exit code %lu\n", code);
  ok(!file_exists(folder.file("HDINI\\VGZLST0.INI")), "VGZLST0.INI created\n");
}

TEST(ok_keeps_changes) {
  Folder folder("ok_keeps");
  ok(write_suite_files(folder), "cannot write the suite's files\n");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;

  ok(files_equal(folder.file("HDINI\\VGZLST3.INI"), folder.file("HDTMP\\VGZLST3.INI")),
     "no backup of VGZLST3.INI\n");
  ok(files_equal(folder.file("HDPARTS\\TRBHN.DAT"), folder.file("HDTMP\\TRBHNBAK.DAT")),
     "no backup of TRBHN.DAT\n");
  std::string changed = current_file("変");
  write_file(folder.file("HDINI\\VGZLST3.INI"), changed);

  click(program.dialog, IDOK);
  DWORD code = 99;
  ok(wait_exit(&program, kWaitMs, &code), "OK did not end the program\n");
  ok(code == 0, "exit code %lu\n", code);
  for (const char* backup : kBackups) ok(!file_exists(folder.file(backup)), "%s stays\n", backup);
  ok(file_equals(folder.file("HDINI\\VGZLST3.INI"), changed), "change to VGZLST3.INI undone\n");
}

TEST(escape_cancels) {
  Folder folder("escape");
  ok(write_suite_files(folder), "cannot write the suite's files\n");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;

  write_file(folder.file("HDINI\\VGZLST3.INI"), current_file("変"));
  press_escape(program);
  DWORD code = 99;
  ok(wait_exit(&program, kWaitMs, &code), "Escape did not end the program\n");
  ok(code == 0, "exit code %lu\n", code);
  for (const char* backup : kBackups) ok(!file_exists(folder.file(backup)), "%s stays\n", backup);
  ok(file_equals(folder.file("HDINI\\VGZLST3.INI"), current_file("二")),
     "VGZLST3.INI not restored\n");
}
